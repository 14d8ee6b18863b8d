// The calendar and the day grid of the main window.
#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "platform/Clock.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"
#include "ui/main/DayPage.h"
#include "ui/main/DaySlots.h"
#include "ui/main/FlexGrid.h"
#include "ui/main/FrmMain.h"
#include "ui/main/MarkedCalendar.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTextCharFormat>
#include <stdexcept>

namespace {

const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);

// Repaints the marks on every way out of a load, so that a load that fails half-way
// still shows what it had marked.
struct RepaintMarks {
    MarkedCalendar *calendar;
    ~RepaintMarks() { calendar->marksChanged(); }
};

} // namespace

void FrmMain::setUpCalendarFonts()
{
    QTextCharFormat header = Calendar1->headerTextFormat();
    QFont dayFont = header.font();
    dayFont.setPointSize(10);
    header.setFont(dayFont);
    Calendar1->setHeaderTextFormat(header);
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
        QTextCharFormat format = Calendar1->weekdayTextFormat(Qt::DayOfWeek(day));
        QFont gridFont = format.font();
        gridFont.setPointSize(10);
        gridFont.setBold(true);
        format.setFont(gridFont);
        Calendar1->setWeekdayTextFormat(Qt::DayOfWeek(day), format);
    }
}

void FrmMain::setUpGrid()
{
    flxApp->clear();
    flxApp->setColumnCount(1);
    flxApp->setRowCount(DaySlots::BlankRow);
    QFont bold = flxApp->font();
    bold.setBold(true);
    auto *message = new QTableWidgetItem(QStringLiteral("Message"));
    message->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    message->setFont(bold);
    flxApp->setHorizontalHeaderItem(0, message);
    flxApp->setTimeHeading(QStringLiteral("Time"), bold);
    // The time column is 800 twips, or as wide as its longest label in the font on hand.
    flxApp->verticalHeader()->setMinimumWidth(
        static_cast<int>(std::lround(800 / twipsPerPixelX())));

    for (int row = DaySlots::FirstSlotRow; row <= DaySlots::BlankRow; ++row) {
        QTableWidgetItem *label = flxApp->cell(row, 0);
        label->setText(row == DaySlots::BlankRow ? QString() : DaySlots::Label(row));
        label->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QTableWidgetItem *text = flxApp->cell(row, 1);
        text->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        text->setFlags(Qt::ItemIsEnabled);
    }
    flxApp->fitMessageColumn();
    flxApp->setTopRow(DaySlots::EightAmRow);
}

QDate FrmMain::DayDetermine(const QString &date)
{
    QDate first;
    Trap(p, "frmMain.DayDetermine", [&] {
        first = DayPage::FirstDay(Stamp::parseDate(QStringView(date).left(Stamp::DateLength)));
        if (!first.isValid())
            return;
        p.FirstGridDate = first;
        Calendar1->setFirstGridDate(first);
    });
    return first;
}

void FrmMain::StartCountDown()
{
    Trap(p, "frmMain.StartCountDown", [&] {
        for (auto &mark : Calendar1->picCheck)
            mark.Visible = false;
        Calendar1->marksChanged();
        for (int row = DaySlots::FirstSlotRow; row <= DaySlots::BlankRow; ++row)
            flxApp->cell(row, 1)->setText(QString());
        tmrDateStay.stop();
        tmrDateStay.start();
    });
}

void FrmMain::tmrDateStay_Timer()
{
    Trap(p, "frmMain.tmrDateStay_Timer", [&] {
        tmrDateStay.stop();
        LoadScreenData(Stamp::formatDate(Calendar1->selectedDate()));
    });
}

void FrmMain::LoadScreenData(const QString &DateSent)
{
    Trap(p, "frmMain.LoadScreenData", [&] {
        RepaintMarks repaint { Calendar1 };
        const QColor menuColour = palette().color(QPalette::Window);
        const QColor shadowColour = palette().color(QPalette::Dark);
        for (auto &mark : Calendar1->picCheck) {
            mark.BackColor = menuColour;
            mark.Visible = false;
        }
        const QDate first = DayDetermine(DateSent);
        if (!first.isValid())
            throw std::runtime_error("the date has no calendar page");
        const QDate last = first.addDays(DayPage::Days - 1);
        for (int row = DaySlots::FirstSlotRow; row <= DaySlots::BlankRow; ++row)
            flxApp->cell(row, 1)->setText(QString());
        const QDate selected = Stamp::parseDate(QStringView(DateSent).left(Stamp::DateLength));

        const MessageStore store(p.ProgramDir, p.clock);
        if (!QFileInfo::exists(store.filePath(p.CurrentUser)))
            return;

        const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
        const QDateTime now = p.clock.now();
        const QDate today = now.date();
        const int nowMinute = Stamp::minuteOfDay(now.time());
        store.read(p.CurrentUser, [&](const MessageRecord &record) {
            const QDate d = record.date;
            // The file is in stamp order: nothing after the page can show on it.
            if (d > last)
                return false;
            if (d >= first) {
                auto &mark = Calendar1->picCheck[first.daysTo(d) + 1];
                if (d == selected)
                    mark.BackColor = shadowColour;
                mark.Visible = true;
            }
            if (d == selected) {
                QTableWidgetItem *cell = flxApp->cell(DaySlots::RowOfMinute(record.minuteOfDay), 1);
                QColor colour = Black;
                if (record.sent)
                    colour = grey;
                else if ((d == today && record.minuteOfDay < nowMinute) || d < today)
                    colour = Red;
                cell->setForeground(colour);
                cell->setText(record.text);
            }
            return true;
        });

        flxApp->fitMessageColumn();
        if (p.RestoreTopRow) {
            flxApp->setTopRow(p.SavedTopRow);
            p.RestoreTopRow = false;
            p.SavedTopRow = DaySlots::EightAmRow;
        } else {
            flxApp->setTopRow(DaySlots::EightAmRow);
        }
        emit screenLoaded(selected);
    });
}

void FrmMain::Calendar1_Click()
{
    Trap(p, "frmMain.Calendar1_Click", [&] { StartCountDown(); });
}

void FrmMain::cmdNext_Click()
{
    Trap(p, "frmMain.cmdNext_Click", [&] {
        Calendar1->setSelectedDate(Calendar1->selectedDate().addMonths(1));
        StartCountDown();
    });
}

void FrmMain::cmdPrevious_Click()
{
    Trap(p, "frmMain.cmdPrevious_Click", [&] {
        Calendar1->setSelectedDate(Calendar1->selectedDate().addMonths(-1));
        StartCountDown();
    });
}

void FrmMain::cmdNextYear_Click()
{
    Trap(p, "frmMain.cmdNextYear_Click", [&] {
        Calendar1->setSelectedDate(Calendar1->selectedDate().addYears(1));
        StartCountDown();
    });
}

void FrmMain::cmdPreviousYear_Click()
{
    Trap(p, "frmMain.cmdPreviousYear_Click", [&] {
        Calendar1->setSelectedDate(Calendar1->selectedDate().addYears(-1));
        StartCountDown();
    });
}

void FrmMain::cmdToday_Click()
{
    Trap(p, "frmMain.cmdToday_Click", [&] {
        Calendar1->setSelectedDate(p.clock.now().date());
        StartCountDown();
    });
}

void FrmMain::picCheck_Click(int index)
{
    Trap(p, "frmMain.picCheck_Click", [&] {
        Calendar1->setSelectedDate(p.FirstGridDate.addDays(index - 1));
        StartCountDown();
    });
}

void FrmMain::syncPageToSelection()
{
    // The calendar's own arrows and month menu turn the page; the selection follows to
    // the same day of that month, so that the marks and the grid always show the page
    // and the day on view.
    const QDate selected = Calendar1->selectedDate();
    const int year = Calendar1->yearShown();
    const int month = Calendar1->monthShown();
    if (selected.year() == year && selected.month() == month)
        return;
    const QDate first(year, month, 1);
    Calendar1->setSelectedDate(first.addDays(qMin(selected.day(), first.daysInMonth()) - 1));
}

void FrmMain::flxApp_Click()
{
    Trap(p, "frmMain.flxApp_Click", [&] {
        const int row = flxApp->currentRow() + 1;
        // The blank row under 11:45 PM stands for no quarter hour of its own.
        if (row < DaySlots::FirstSlotRow || row > DaySlots::LastSlotRow)
            return;
        const QDate day = Calendar1->selectedDate();
        if (editSlot)
            editSlot(QDateTime(day, Stamp::timeOfMinute(DaySlots::MinuteOfRow(row))));
        p.RestoreTopRow = true;
        p.SavedTopRow = flxApp->TopRow();
        LoadScreenData(Stamp::formatDate(Calendar1->selectedDate()));
        if (loadNextMessage)
            loadNextMessage();
    });
}

void FrmMain::colourRow(int user, const QDateTime &due, const QString &text, bool sent)
{
    Trap(p, "frmMain.colourRow", [&] {
        if (p.CurrentUser != user || !due.isValid() || Calendar1->selectedDate() != due.date())
            return;
        // The row the load put the record in: its time to the nearest quarter hour.
        const int row = DaySlots::RowOfMinute(Stamp::minuteOfDay(due.time()));
        if (flxApp->cell(row, 1)->text() != text)
            return;
        flxApp->cell(row, 1)->setForeground(
            sent ? palette().color(QPalette::Disabled, QPalette::Text) : Red);
    });
}
