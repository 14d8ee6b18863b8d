// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The calendar and the day grid of the main window.
#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "platform/Clock.h"
#include "platform/ShownTime.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"
#include "ui/main/DayGrid.h"
#include "ui/main/DayPage.h"
#include "ui/main/DaySlots.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MarkedCalendar.h"
#include "ui/main/RowState.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTextCharFormat>
#include <stdexcept>
#include <utility>

namespace {

// The time a row stands for, as the grid shows it; the blank row has none.
QString rowTime(int row)
{
    return row == DaySlots::BlankRow ? QString() : DaySlots::label(row);
}

// Repaints the marks on every way out of a load, so that a load that fails half-way
// still shows what it had marked.
struct RepaintMarks {
    MarkedCalendar *calendar;
    ~RepaintMarks() { calendar->marksChanged(); }
};

} // namespace

void MainWindow::setUpCalendarFonts()
{
    QTextCharFormat header = m_calendar->headerTextFormat();
    QFont dayFont = header.font();
    dayFont.setPointSize(10);
    header.setFont(dayFont);
    m_calendar->setHeaderTextFormat(header);
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
        QTextCharFormat format = m_calendar->weekdayTextFormat(Qt::DayOfWeek(day));
        QFont gridFont = format.font();
        gridFont.setPointSize(10);
        gridFont.setBold(true);
        format.setFont(gridFont);
        m_calendar->setWeekdayTextFormat(Qt::DayOfWeek(day), format);
    }
}

void MainWindow::setUpGrid()
{
    m_grid->setPalette(RowStates::withReadableSelection(palette()));
    m_grid->clear();
    m_grid->setColumnCount(1);
    m_grid->setRowCount(DaySlots::BlankRow);
    QFont bold = m_grid->font();
    bold.setBold(true);
    auto *message = new QTableWidgetItem(tr("Message"));
    message->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    message->setFont(bold);
    m_grid->setHorizontalHeaderItem(0, message);
    m_grid->setTimeHeading(tr("Time"), bold);
    // The time column is 800 twips, or as wide as its longest label in the font on hand.
    m_grid->verticalHeader()->setMinimumWidth(
        static_cast<int>(std::lround(800 / twipsPerPixelX())));

    for (int row = DaySlots::FirstSlotRow; row <= DaySlots::BlankRow; ++row) {
        QTableWidgetItem *label = m_grid->cell(row, 0);
        label->setText(rowTime(row));
        label->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QTableWidgetItem *text = m_grid->cell(row, 1);
        text->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        text->setFlags(Qt::ItemIsEnabled);
    }
    m_grid->fitMessageColumn();
    m_grid->setTopRow(DaySlots::EightAmRow);
}

void MainWindow::startSettling()
{
    trap(m_context, "frmMain.StartCountDown", [&] {
        for (int i = 0; i <= DayPage::Days; ++i)
            m_calendar->mark(i).visible = false;
        m_calendar->marksChanged();
        for (int row = DaySlots::FirstSlotRow; row <= DaySlots::BlankRow; ++row)
            RowStates::clear(*m_grid->cell(row, 1), rowTime(row));
        m_daySettleTimer.start();
    });
}

void MainWindow::showDay(const QDate &day)
{
    m_calendar->setSelectedDate(day);
    m_daySettleTimer.stop();
    loadDay(day);
}

void MainWindow::loadDay(const QDate &selected)
{
    trap(m_context, "frmMain.LoadScreenData", [&] {
        RepaintMarks repaint { m_calendar };
        m_calendar->hideMarks(palette().color(QPalette::Window));
        const QColor shadowColour = palette().color(QPalette::Dark);
        const QDate first = DayPage::firstDay(selected);
        if (!first.isValid())
            throw std::runtime_error("the date has no calendar page");
        m_calendar->setFirstGridDate(first);
        const QDate last = first.addDays(DayPage::Days - 1);
        for (int row = DaySlots::FirstSlotRow; row <= DaySlots::BlankRow; ++row)
            RowStates::clear(*m_grid->cell(row, 1), rowTime(row));

        const MessageStore store(m_context.dataFolder, m_context.clock);
        if (!QFileInfo::exists(store.filePath(m_context.currentUser)))
            return;

        const QDateTime now = m_context.clock.now();
        const QDate today = now.date();
        const int nowMinute = Stamp::minuteOfDay(now.time());
        store.read(m_context.currentUser, [&](const MessageRecord &record) {
            const QDate d = record.date;
            // The file is in stamp order: nothing after the page can show on it.
            if (d > last)
                return false;
            if (d >= first) {
                auto &mark = m_calendar->mark(first.daysTo(d) + 1);
                if (d == selected)
                    mark.background = shadowColour;
                mark.visible = true;
            }
            if (d == selected) {
                const int row = DaySlots::rowOfMinute(record.minuteOfDay);
                const bool late = (d == today && record.minuteOfDay < nowMinute) || d < today;
                const QString time = ShownTime::time(Stamp::timeOfMinute(record.minuteOfDay));
                const QString note = record.sent ? QString()
                                                 : m_retryNotes.value({ m_context.currentUser,
                                                     record.due().toMSecsSinceEpoch() });
                if (!note.isEmpty())
                    RowStates::showPending(
                        *m_grid->cell(row, 1), time, record.text, note, palette(), *style());
                else
                    RowStates::show(*m_grid->cell(row, 1), time, record.text,
                        record.sent ? RowState::Sent
                            : late  ? RowState::NotSent
                                    : RowState::Waiting,
                        palette(), *style());
            }
            return true;
        });

        m_grid->fitMessageColumn();
        m_grid->setTopRow(
            std::exchange(m_topRowToRestore, std::nullopt).value_or(DaySlots::EightAmRow));
        emit dayLoaded(selected);
    });
}

void MainWindow::selectDay()
{
    trap(m_context, "frmMain.Calendar1_Click", [&] { startSettling(); });
}

void MainWindow::moveCalendar(const char *where, int months)
{
    // addMonths keeps the day, or takes the month's last when it is shorter (31 January,
    // then 28 February), as a year's move does for 29 February.
    trap(m_context, where, [&] {
        m_calendar->setSelectedDate(m_calendar->selectedDate().addMonths(months));
        startSettling();
    });
}

void MainWindow::showNextMonth()
{
    moveCalendar("frmMain.cmdNext_Click", 1);
}

void MainWindow::showPreviousMonth()
{
    moveCalendar("frmMain.cmdPrevious_Click", -1);
}

void MainWindow::showNextYear()
{
    moveCalendar("frmMain.cmdNextYear_Click", 12);
}

void MainWindow::showPreviousYear()
{
    moveCalendar("frmMain.cmdPreviousYear_Click", -12);
}

void MainWindow::goToToday()
{
    trap(m_context, "frmMain.cmdToday_Click", [&] {
        m_calendar->setSelectedDate(m_context.clock.now().date());
        startSettling();
    });
}

void MainWindow::selectMarkedDay(int index)
{
    trap(m_context, "frmMain.picCheck_Click", [&] {
        m_calendar->setSelectedDate(m_calendar->firstGridDate().addDays(index - 1));
        startSettling();
    });
}

void MainWindow::syncPageToSelection()
{
    // The calendar's own arrows and month menu turn the page; the selection follows to
    // the same day of that month, so that the marks and the grid always show the page
    // and the day on view.
    const QDate selected = m_calendar->selectedDate();
    const int year = m_calendar->yearShown();
    const int month = m_calendar->monthShown();
    if (selected.year() == year && selected.month() == month)
        return;
    const QDate first(year, month, 1);
    m_calendar->setSelectedDate(first.addDays(qMin(selected.day(), first.daysInMonth()) - 1));
}

void MainWindow::openSlot()
{
    trap(m_context, "frmMain.flxApp_Click", [&] {
        const int row = m_grid->currentRow() + 1;
        // The blank row under 11:45 PM stands for no quarter hour of its own.
        if (row < DaySlots::FirstSlotRow || row > DaySlots::LastSlotRow)
            return;
        const QDate day = m_calendar->selectedDate();
        if (editSlot)
            editSlot(QDateTime(day, Stamp::timeOfMinute(DaySlots::minuteOfRow(row))));
        m_topRowToRestore = m_grid->topRow();
        loadDay(m_calendar->selectedDate());
        if (reloadScheduler)
            reloadScheduler();
    });
}

void MainWindow::showRetry(int user, const QDateTime &due, const QString &text,
    const QString &reason, const QDateTime &nextTry)
{
    trap(m_context, "frmMain.colourRow", [&] {
        const QString note
            = tr("Not sent yet: %1; next try at %2").arg(reason, ShownTime::time(nextTry.time()));
        m_retryNotes.insert({ user, due.toMSecsSinceEpoch() }, note);
        if (QTableWidgetItem *cell = shownMessageCell(user, due, text))
            RowStates::showPending(*cell, ShownTime::time(Stamp::startOfMinute(due).time()), text,
                note, palette(), *style());
    });
}

void MainWindow::colourRow(int user, const QDateTime &due, const QString &text, bool sent)
{
    m_retryNotes.remove({ user, due.toMSecsSinceEpoch() });
    trap(m_context, "frmMain.colourRow", [&] {
        if (QTableWidgetItem *cell = shownMessageCell(user, due, text))
            RowStates::show(*cell, ShownTime::time(Stamp::startOfMinute(due).time()), text,
                sent ? RowState::Sent : RowState::NotSent, palette(), *style());
    });
}

QTableWidgetItem *MainWindow::shownMessageCell(int user, const QDateTime &due, const QString &text)
{
    if (m_context.currentUser != user || !due.time().isValid()
        || m_calendar->selectedDate() != due.date())
        return nullptr;
    // The row the load put the record in: its time to the nearest quarter hour.
    QTableWidgetItem *cell = m_grid->cell(DaySlots::rowOfMinute(Stamp::minuteOfDay(due.time())), 1);
    return cell->text() == text ? cell : nullptr;
}
