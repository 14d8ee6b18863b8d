// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/StartValues.h"
#include "support/FullDisk.h"
#include "support/ModalSteps.h"
#include "ui/entry/EntryDialog.h"
#include "ui/entry/UserPicker.h"
#include "ui/main/DayPage.h"
#include "ui/main/DaySlots.h"
#include "ui/main/DeliveryHistoryWindow.h"
#include "ui/main/MailWarning.h"
#include "ui/main/RowState.h"
#include "ui/main/StartedProgram.h"
#include "ui/setup/ServerOptionsDialog.h"
#include "ui/setup/SetupWizard.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

QList<int> visibleMarks(const MarkedCalendar &calendar)
{
    QList<int> marks;
    for (int i = 0; i <= DayPage::Days; ++i)
        marks << (calendar.mark(i).visible ? i : -1);
    marks.removeAll(-1);
    return marks;
}

// Gives every text of the committed translation back as "⟦text⟧": a text a window shows
// without the marks did not go through tr(), or lupdate cannot see it.
struct MarkingTranslator : QTranslator {
    QSet<QString> known; // "context\ntext"
    MarkingTranslator()
    {
        QFile ts(qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/translations/tolvane_de.ts");
        ts.open(QIODevice::ReadOnly);
        QString context;
        for (QXmlStreamReader xml(&ts); !xml.atEnd();) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"name")
                context = xml.readElementText();
            else if (xml.isStartElement() && xml.name() == u"source")
                known.insert(context + '\n' + xml.readElementText());
        }
    }
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *text, const char *, int) const override
    {
        const QString source = QString::fromUtf8(text);
        return known.contains(QString::fromUtf8(context) + '\n' + source) ? "⟦" + source + "⟧"
                                                                          : QString();
    }
};

// The texts of a window and its shown children (not the calendar's own, which come from
// the locale) that lack the marks, other than the program's name, a user's and signs.
QStringList unmarked(QWidget *window, QStringList texts = {})
{
    const auto inCalendar = [](QObject *o) {
        while ((o = o->parent()))
            if (qobject_cast<QCalendarWidget *>(o))
                return true;
        return false;
    };
    texts << window->windowTitle();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || inCalendar(w))
            continue;
        texts << w->accessibleName() << w->toolTip();
        if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w))
            texts << w->property("text").toString();
        for (const char *property : { "title", "placeholderText", "suffix" })
            texts << w->property(property).toString();
        if (auto *box = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < box->count(); ++i)
                texts << box->itemText(i);
    }
    for (QAction *action : window->findChildren<QAction *>())
        if (!inCalendar(action))
            texts << action->text() << action->toolTip();
    texts.removeIf([](const QString &t) {
        return t.contains(u'⟦') || t == "Tolvane" || t == "Ada"
            || !std::any_of(t.begin(), t.end(), [](QChar c) { return c.isLetter(); });
    });
    return texts;
}

// Walks `count` Tab stops from the focus: "name=what a screen reader hears", an inner part
// (a date's section, the calendar's days) as the control it belongs to; `byLabel`: a control
// with a label as the label (a combo box's own name is the item on show).
QString tabStops(int count, bool byLabel = false)
{
    QStringList stops;
    for (int i = 0; i < count; ++i) {
        QWidget *focus = QApplication::focusWidget(), *named = focus;
        while (named->objectName().startsWith("qt_"))
            named = named->parentWidget();
        QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(named);
        if (const auto labels = heard->relations(QAccessible::Label); byLabel && !labels.isEmpty())
            heard = labels.first().first;
        stops << named->objectName() + '=' + heard->text(QAccessible::Name);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return stops.join(", ");
}

// The texts whose access key is taken by an earlier one, or missing where it is required.
QStringList clashingKeys(const QStringList &texts, bool required)
{
    QString keys;
    QStringList clashes;
    for (const QString &text : texts) {
        const int at = text.indexOf('&');
        if (at >= 0 ? keys.contains(text.at(at + 1).toLower()) : required)
            clashes << text;
        if (at >= 0)
            keys += text.at(at + 1).toLower();
    }
    return clashes;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // The September 2002 page runs from 25 August to 5 October; the selected day's mark is
    // dark; the buttons show their day once the calendar has stood still.
    void marks()
    {
        StartedProgram f;
        QStringList records;
        for (const QString day : { "08/24", "08/25", "09/01", "09/10", "09/12", "10/05", "10/06" })
            records << "2002/" + day + " 10:00 AMNHello" + ToAda;
        f.open(records);
        f.w().showDay(QDate(2002, 9, 10));
        QCOMPARE(f.calendar()->firstGridDate(), QDate(2002, 8, 25));
        QCOMPARE(visibleMarks(*f.calendar()), (QList<int> { 1, 8, 17, 19, 42 }));
        QCOMPARE(f.calendar()->mark(17).background, f.w().palette().color(QPalette::Dark));
        QCOMPARE(f.calendar()->mark(19).background, f.w().palette().color(QPalette::Window));
        // A screen reader hears which days hold messages, and a tooltip says it too: 10
        // September (mark 17) and 11 September (mark 18), below the weekdays' row.
        auto *days = f.calendar()->findChild<QTableView *>("qt_calendar_calendarview");
        QAccessibleTableInterface *table
            = QAccessible::queryAccessibleInterface(days)->tableInterface();
        QStringList heard;
        for (const int column : { 2, 3 })
            heard << table->cellAt(3, column)->text(QAccessible::Name) + '|'
                    + days->model()->index(3, column).data(Qt::ToolTipRole).toString();
        QCOMPARE(heard, QStringList({ "10, has messages|Has messages", "11|" }));
        QSignalSpy loads(&f.w(), &MainWindow::dayLoaded);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(f.child<QPushButton>("nextMonthButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(loads.size(), 1, 3000);
        QTest::qWait(800); // quick clicks read the file once
        QCOMPARE(loads.size(), 1);
        QCOMPARE(loads.last().first().toDate(), QDate(2002, 12, 10));
        QTest::mouseClick(f.child<QPushButton>("todayButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(loads.size(), 2, 3000);
        QCOMPARE(loads.last().first().toDate(), QDate(2026, 3, 14));
    }

    // "record clock [report] > state". At load: waiting until the record's minute has
    // passed, then not sent; sent once sent. A report shows in the user's row where the load
    // put the record. The row's colour, and what a screen reader hears, follow its state.
    void colours_data()
    {
        Columns<QString>({ "row" });
        Row("due this minute", "2026/03/14 10:15 AMNx 14T10:15:40 > waiting");
        Row("a minute ago", "2026/03/14 10:14 AMNx 14T10:15:40 > not sent");
        Row("seen the minute before", "2026/03/13 11:59 PMNx 13T23:58:59 > waiting");
        Row("the day before today", "2026/03/13 11:59 PMNx 14T10:15:40 > not sent");
        Row("sent a minute ago", "2026/03/14 10:14 AMSx 14T10:15:40 > sent");
        Row("reported failed", "2026/03/14 09:15 AMNx 14T09:00 failed > not sent");
        Row("reported sent", "2026/03/14 09:15 AMNx 14T09:00 sent > sent");
        Row("off the quarter hour", "2026/03/14 10:05 AMNx 14T09:00 failed > not sent");
        Row("another user's", "2026/03/14 09:15 AMNx 14T09:00 Bob failed > waiting");
        // To be tried again: so it says, also when the day is read again, until the end.
        Row("tried again",
            "2026/03/14 09:15 AMNx 14T09:16 retry > Not sent yet: down; next try at 09:16 AM");
        Row("tried again, then failed", "2026/03/14 09:15 AMNx 14T09:16 retry failed > not sent");
    }
    void colours()
    {
        QFETCH(QString, row);
        const MessageRecord r = MessageRecord::parse((row.section(' ', 0, 2) + ToAda).toLatin1());
        const QString report = row.section(' ', 4).section('>', 0, 0).trimmed();
        StartedProgram f;
        f.open({ row.section(' ', 0, 2) + ToAda });
        f.env.clock.set(QDateTime::fromString("2026-03-" + row.section(' ', 3, 3), Qt::ISODate));
        f.w().showDay(r.date);
        const int user = report.startsWith("Bob") ? 2 : 1;
        if (report.startsWith("retry"))
            emit f.scheduler.retrying(user, r.due(), "x", "down", r.due().addSecs(60));
        if (report.endsWith("sent") || report.endsWith("failed"))
            emit f.scheduler.delivered(user, r.due(), "x", report.endsWith("sent"));
        if (report.startsWith("retry"))
            f.w().showDay(r.date); // read again
        const QTableWidgetItem *cell = f.cell(DaySlots::rowOfMinute(r.minuteOfDay));
        const QString state = row.section("> ", 1);
        // What a screen reader hears, the tooltip and the mark; a note to try again is both.
        const QMap<QString, QString> shown { { "waiting", "|Waiting to be sent|" },
            { "sent", "|Sent|mark" }, { "not sent", "|Not sent|mark" } };
        QCOMPARE(cell->data(Qt::AccessibleTextRole).toString() + '|' + cell->toolTip() + '|'
                + (cell->icon().isNull() ? "" : "mark"),
            row.mid(11, 8) + ", x, " + state + shown.value(state, '|' + state + "|mark"));
        const auto colour = RowState(QStringList { "sent", "not sent" }.indexOf(state) + 1);
        QCOMPARE(cell->foreground().color(), RowStates::colour(colour, f.w().palette()));
    }

    // Off the quarter hour to the nearest row, late ones to the blank row 97, which the
    // next day clears; no file, an empty page. Times and dates in the locale's format: the
    // program's own in English, 24 hours in German. A long text can be scrolled to, the
    // times stay in view beside it, and a click or a key never shifts the grid sideways.
    void recordRows_data()
    {
        Columns<QString, QString, QString, QString>({ "locale", "rows", "spoken", "title" });
        Row("en_US", "en_US", "34 8:15 AM eight past, 41 10:00 AM ten past", "08:08 AM",
            "Tolvane - Message for 2026/03/14 08:15 AM");
        Row("de_DE", "de_DE", "34 08:15 eight past, 41 10:00 ten past", "08:08",
            "Tolvane - Message for 14.03.26 08:15");
    }
    void recordRows()
    {
        QFETCH(QString, locale);
        QFETCH(QString, rows);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        const auto restored = qScopeGuard([&] { QLocale::setDefault(before); });
        const QString wide = QString(400, u'w');
        StartedProgram f;
        f.open({ "2026/03/14 08:08 AMNeight past" + ToAda, "2026/03/14 10:07 AMNten past" + ToAda,
            "2026/03/14 11:58 PMNlate" + ToAda, "2026/03/15 10:00 AMN" + wide + ToAda });
        QScrollBar *sideways = f.grid()->horizontalScrollBar();
        const auto filled = [&](const QDate &day) {
            f.w().showDay(day);
            QCoreApplication::processEvents(); // the grid lays out its columns afterwards
            QStringList rows;
            for (int row = 1; row <= 97; ++row)
                if (!f.cell(row)->text().isEmpty())
                    rows << QString::number(row) + ' ' + f.grid()->cell(row, 0)->text() + ' '
                            + f.cell(row)->text();
            return rows.join(", ");
        };
        QCOMPARE(filled(QDate(2026, 3, 14)), rows + ", 97  late");
        QTEST(f.cell(34)->data(Qt::AccessibleTextRole).toString().section(',', 0, 0), "spoken");
        QCOMPARE(sideways->maximum(), 0);
        QCOMPARE(filled(QDate(2026, 3, 15)), rows.section(", ", 1).replace("ten past", wide));
        sideways->setValue(sideways->maximum());
        QVERIFY(sideways->value() > 0 && f.grid()->verticalHeader()->isVisible());
        QCOMPARE(f.grid()->verticalHeader()->model()->headerData(40, Qt::Vertical).toString(),
            f.grid()->cell(41, 0)->text());
        f.grid()->setCurrentCell(40, 0); // what a click does before the entry form opens
        QCOMPARE(sideways->value(), sideways->maximum());
        sideways->setValue(0);
        QTest::keyClick(f.grid(), Qt::Key_Up);
        QCOMPARE(sideways->value(), 0);
        f.app.entryDialog().editSlot(QDateTime(QDate(2026, 3, 14), QTime(8, 15)));
        QTEST(f.app.entryDialog().windowTitle(), "title");
        QFile::remove(f.env.userFile(1));
        QCOMPARE(filled(QDate(2026, 3, 14)), QString());
        QVERIFY(visibleMarks(*f.calendar()).isEmpty());
    }

    // The message saved from a row's entry form shows there, the grid not scrolled, and
    // waits in the scheduler's slot. Any other load shows 8:00 AM at the top.
    void openSlot_data()
    {
        Columns<int, QString>({ "row", "time" });
        Row("row 1", 1, "12:00 AM");
        Row("row 96", 96, "11:45 PM");
        Row("blank row: nothing opens", 97, "");
    }
    void openSlot()
    {
        QFETCH(int, row);
        QFETCH(QString, time);
        StartedProgram f;
        f.open();
        f.w().showDay(QDate(2026, 3, 20));
        QCOMPARE(f.grid()->topRow(), 33);
        EntryDialog &dialog = f.app.entryDialog();
        ModalSteps steps;
        if (!time.isEmpty())
            steps.then(dialog, [&] {
                QTest::keyClicks(dialog.findChild<QWidget *>("textEdit"), "Lunch?");
                playDialog(dialog, { "Save Message" });
            });
        f.grid()->setTopRow(60);
        f.grid()->setCurrentCell(row - 1, 0);
        const int top = f.grid()->topRow();
        emit f.grid()->cellClicked(row - 1, 0);
        QVERIFY2(steps.finished() && !steps.leftOpen, qPrintable(steps.failure));
        QCOMPARE(f.cell(row)->text(), time.isEmpty() ? "" : "Lunch?");
        QCOMPARE(f.scheduler.slot(1) ? f.scheduler.slot(1)->record.line : QByteArray(),
            time.isEmpty() ? QByteArray() : ("2026/03/20 " + time + "NLunch?" + ToAda).toLatin1());
        QCOMPARE(f.grid()->topRow(), top);
        f.w().showDay(QDate(2026, 3, 20));
        QCOMPARE(f.grid()->topRow(), 33);
    }

    // Every control moves with the bars, also after a resize; grown past the natural size,
    // the bars go and the content comes back.
    void scrolling()
    {
        TestEnvironment env;
        MainWindow w(env.program);
        w.load();
        w.show();
        w.setSizeTwips(7010, 7020);
        auto *down = w.findChild<QScrollBar *>("verticalScroll");
        auto *across = w.findChild<QScrollBar *>("horizontalScroll");
        QCOMPARE(QList<int>({ down->maximum(), across->maximum() }),
            QList<int>({ 7200 - w.sizeTwips().height(), 7160 - w.sizeTwips().width() }));
        const auto places = [&](double dx = 0, double dy = 0) { // moved by dx, dy
            QList<QRectF> list;
            for (const char *name :
                { "calendar", "dayGrid", "todayButton", "nextYearButton", "infoLabel2" })
                list << w.placeOf(w.findChild<QWidget *>(name)).translated(dx, dy);
            return list;
        };
        const QList<QRectF> before = places();
        down->setSliderPosition(150);
        across->setSliderPosition(100);
        QCOMPARE(places(100, 150), before);
        w.setSizeTwips(7060, 7020);
        across->setSliderPosition(0);
        down->setSliderPosition(0);
        QCOMPARE(places(), before);
        down->setSliderPosition(150);
        w.setSizeTwips(8000, 9000);
        QVERIFY(!down->isVisible());
        QCOMPARE(places()[0].top(), -120.0);
    }

    // The layout's figures, in twips, for window sizes around the natural 7160 x 7200:
    // width height | bars shown: vertical horizontal | their maxima | calendar width height |
    // grid width top height | buttons' top, labels' top.
    void layoutSizes_data()
    {
        Columns<QString>({ "figures" });
        Row("natural", "7160 7200 0 0 0 0 7010 2952 6660 3297 3003 2817 2887");
        Row("both bars", "7000 7000 1 1 200 160 6905 2952 6555 3297 2898 2817 2887");
        Row("larger", "8000 9000 0 0 -1800 -840 7850 3690 7500 4035 4065 3555 3625");
        Row("narrower", "7159 7200 0 1 0 1 7160 2952 6810 3297 3003 2817 2887");
        Row("lower", "7160 7199 1 0 1 0 6755 2952 6405 3297 2898 2817 2887");
    }
    void layoutSizes()
    {
        QFETCH(QString, figures);
        MainLayout::Input in;
        in.width = figures.section(' ', 0, 0).toInt();
        in.height = figures.section(' ', 1, 1).toInt();
        const MainLayout::Result r = MainLayout::compute(in);
        QCOMPARE(
            QString::asprintf("%d %d %d %d %d %d %d %.0f %d %d %.0f %d %d", in.width, in.height,
                r.vScrollVisible, r.hScrollVisible, r.vScrollMax, r.hScrollMax, r.calendarWidth,
                r.calendarHeight, r.gridWidth, r.gridTop, r.gridHeight, r.buttonTop, r.labelTop),
            figures);
    }

    // A month's page begins on the Sunday before the 1st, a week earlier when the 1st is a
    // Sunday, as Qt's calendar paints it; outside the years the program knows there is none.
    void monthPages()
    {
        for (int year = DayPage::FirstYear; year <= DayPage::LastYear; ++year)
            for (int month = 1; month <= 12; ++month) {
                const QDate first(year, month, 1);
                QCOMPARE(DayPage::firstDay(first.addDays(14)), first.addDays(-first.dayOfWeek()));
            }
        QCOMPARE(DayPage::firstDay(QDate(1752, 12, 31)), QDate());
        QCOMPARE(DayPage::firstDay(QDate(2200, 1, 1)), QDate());
        MarkedCalendar calendar; // the days of Qt's page, below the weekdays' row
        auto *days = calendar.findChild<QTableView *>("qt_calendar_calendarview")->model();
        for (const QDate first : { QDate(2026, 1, 25), QDate(2026, 3, 29) }) { // Sun, Wed 1st
            calendar.setCurrentPage(first.addDays(7).year(), first.addDays(7).month());
            QCOMPARE(
                days->index(1, 0).data().toString() + ' ' + days->index(6, 6).data().toString(),
                QStringLiteral("%1 %2").arg(first.day()).arg(first.addDays(41).day()));
        }
    }

    // Every state reads on a light and a dark palette, selected rows included (the style
    // draws them in the highlighted-text colour): AA contrast for the texts that say
    // something went or did not go (the mark beside the colour: colours).
    void rowStates_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << QApplication::style()->standardPalette();
        QPalette dark;
        for (const auto &[role, colour] : { std::pair { QPalette::Base, "#1e1e1e" },
                 { QPalette::Text, "#e8e8e8" }, { QPalette::Window, "#2b2b2b" },
                 { QPalette::Highlight, "#2a6fbf" }, { QPalette::HighlightedText, "#ffffff" } })
            dark.setColor(role, QColor(colour));
        QTest::newRow("dark") << dark;
    }
    void rowStates()
    {
        QFETCH(QPalette, palette);
        const auto contrast = [&](RowState state) {
            return RowStates::contrast(
                RowStates::colour(state, palette), palette.color(QPalette::Base));
        };
        const double sent = contrast(RowState::Sent), notSent = contrast(RowState::NotSent);
        QVERIFY2(sent >= 4.5 && notSent >= 4.5,
            qPrintable(QStringLiteral("%1, %2").arg(sent).arg(notSent)));
        QVERIFY(sent < contrast(RowState::Waiting)); // faded
        const int hue = RowStates::colour(RowState::NotSent, palette).hslHue();
        QVERIFY(hue <= 10 || hue >= 350); // still red
        const QPalette selection = RowStates::withReadableSelection(palette);
        QVERIFY(RowStates::contrast(selection.color(QPalette::HighlightedText),
                    selection.color(QPalette::Highlight))
            >= 4.5);
        QCOMPARE(RowStates::colour(RowState::Waiting, palette), palette.color(QPalette::Text));
    }

    // By keyboard alone: the arrows move between the grid's rows, Enter and Space open a row
    // as a click does, Tab leaves the grid instead of walking its cells; every menu item has
    // an access key of its own in its menu, and Help Topics is on F1. A screen reader names
    // the glyph buttons, the calendar and the grid for what they do.
    void keyboard()
    {
        StartedProgram f;
        f.open();
        QStringList opened;
        f.w().editSlot = [&](const QDateTime &slot) { opened << slot.toString("HH:mm"); };
        f.w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.w()));
        f.grid()->setFocus(); // comes in at the first row in view, 8:00 AM
        for (const Qt::Key key :
            { Qt::Key_Down, Qt::Key_Return, Qt::Key_Down, Qt::Key_Space, Qt::Key_Down })
            QTest::keyClick(f.grid(), key);
        QTest::keyClick(f.grid(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(opened, QStringList({ "08:15", "08:30", "08:45" }));
        QTest::keyClick(f.grid(), Qt::Key_Tab);
        QVERIFY(!f.grid()->hasFocus() && f.grid()->currentRow() == DaySlots::EightAmRow + 2);
        QCOMPARE(tabStops(7),
            "calendar=Calendar, todayButton=Today, previousMonthButton=Previous "
            "month, nextMonthButton=Next month, previousYearButton=Previous year, "
            "nextYearButton=Next year, dayGrid=Messages of the day");
        QStringList clashes;
        for (QList<QList<QAction *>> menus { f.w().menuBar()->actions() }; !menus.isEmpty();) {
            QStringList texts;
            for (const QAction *action : menus.takeFirst()) {
                texts << action->text();
                if (action->menu())
                    menus << action->menu()->actions();
            }
            clashes << clashingKeys(texts, true);
        }
        QCOMPARE(clashes, QStringList());
        QCOMPARE(f.child<QAction>("helpAction")->shortcut(), QKeySequence(Qt::Key_F1));

        // The entry form: its access keys are unique; Alt+P reaches the repetition, whose
        // end wakes with a rule, and Tab goes on through every control, each named (the
        // date's three parts one by one).
        EntryDialog &entry = f.app.entryDialog();
        entry.editSlot(QDateTime(QDate(2026, 3, 20), QTime(9, 30)));
        entry.show();
        entry.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &entry);
        QStringList texts;
        for (const QLabel *label : entry.findChildren<QLabel *>())
            texts << label->text();
        for (const QAbstractButton *button : entry.findChildren<QAbstractButton *>())
            texts << (button->isVisible() ? button->text() : "");
        QCOMPARE(clashingKeys(texts, false), QStringList());
        QTest::keyClick(&entry, Qt::Key_P, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), "repeatBox");
        for (const Qt::Key key : { Qt::Key_Down, Qt::Key_Tab, Qt::Key_Down })
            QTest::keyClick(QApplication::focusWidget(), key);
        QCOMPARE(tabStops(7, true),
            "endBox=Ends:, untilEdit=Last day, untilEdit=Last day, untilEdit=Last day, "
            "saveButton=Save Message, deleteButton=Delete Message, cancelButton=Cancel");
        entry.hide();
    }

    // Under a translation every window shows only translated texts: its captions, title,
    // menus, tooltips, accessible names and the boxes it opens.
    void everyTextTranslated()
    {
        MarkingTranslator marks;
        QCoreApplication::installTranslator(&marks);
        const auto removed = qScopeGuard([&] { QCoreApplication::removeTranslator(&marks); });
        StartedProgram f; // built under the translation, as the program builds its windows
        f.open();
        QStringList left = unmarked(
            &f.w(), { f.grid()->horizontalHeaderItem(0)->text(), f.grid()->timeHeading() });
        EntryDialog &entry = f.app.entryDialog();
        entry.editSlot(QDateTime(QDate(2026, 3, 20), QTime(9, 30)));
        for (int end : { 1, 2 }) { // each end shows its own value box
            entry.findChild<QComboBox *>("endBox")->setCurrentIndex(end);
            left << unmarked(&entry);
        }
        entry.picker().begin({ .several = true, .offerCurrentUser = true });
        left << unmarked(&entry.picker());
        SetupWizard &wizard = f.app.wizard();
        using Mode = SetupWizard::Mode;
        for (const Mode mode : { Mode::FirstRun, Mode::EditPhoneAddress, Mode::EditMailServer }) {
            wizard.begin(mode, 1);
            left << unmarked(&wizard);
        }
        auto *options = wizard.findChild<ServerOptionsDialog *>();
        ModalSteps steps;
        steps.then(*options, [&] { left << unmarked(options); });
        QTest::mouseClick(wizard.findChild<QPushButton *>("advancedButton"), Qt::LeftButton);
        QVERIFY2(steps.finished(), qPrintable(steps.failure));
        f.app.splashScreen().showAbout();
        DeliveryHistoryWindow &history = f.app.historyWindow();
        history.showInFront();
        const QAbstractItemModel *attempts = history.findChild<QTableView *>()->model();
        QStringList texts; // the filters' items are read with every combo box's
        for (int i = 0; i < 5; ++i)
            texts << attempts->headerData(i, Qt::Horizontal).toString();
        left << unmarked(&f.app.splashScreen()) << unmarked(&history, texts)
             << unmarked(&f.app.mailWarning());
        f.p().showErrors = true;
        f.p().reportError("frmMain.Test");
        for (int n = 2; n <= 10; ++n)
            f.env.addUser(n, QString(n, 'x'), QString::number(n));
        f.trigger("addUserAction");
        f.trigger("shutdownAction");
        f.env.boxes.queueAnswer(MessageBoxes::Answer::No);
        f.w().showClosingMessages();
        QCOMPARE(f.env.boxes.shown.size(), 3);
        QWidget none;
        texts.clear();
        for (const auto &box : f.env.boxes.shown)
            texts << box.title << box.text;
        left << unmarked(&none, texts);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(" | ")));
    }

    // The history window, from the Instant Message menu: the attempts newest first, by user
    // and by result (chosen by keyboard), the whole reply of the selected one, and each new
    // attempt as it ends, the selection staying where it was. The warning's button opens
    // the one window at the warning's attempt, also when pressed before it ended; the
    // warning shows the latest text as it came (never as markup), without waiting, and OK
    // hides it. Escape closes the history; Tab walks its controls, each named for a screen
    // reader.
    void deliveryHistory()
    {
        using O = DeliveryAttempt::Outcome;
        StartedProgram f;
        f.env.addUser(2, "Bob", "bob@phone.example");
        f.open();
        for (const auto &[user, minute, outcome, reply] : { std::tuple(1, 0, O::Sent, "250 Ok"),
                 std::tuple(2, 1, O::WillRetry, "421 busy\n421 try later"),
                 std::tuple(2, 3, O::Failed, "550 no"), std::tuple(1, 4, O::Failed, "554 no") })
            f.app.deliveryHistory().append({ at(10, minute), user, at(10, minute), minute == 4,
                { { AdaCell }, { "ntfy://n/a", DeliveryAttempt::Channel::Notification } }, outcome,
                reply, at(10, minute + 2) });
        f.trigger("historyAction");
        DeliveryHistoryWindow &window = f.app.historyWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window) && !window.isModal());
        auto *table = window.findChild<QTableView *>("attemptTable");
        auto *reply = window.findChild<QPlainTextEdit *>("replyView");
        const auto rows = [&](const QList<int> &columns = { 0, 1, 2, 3, 4 }) {
            QStringList shown;
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                QStringList cells;
                for (const int column : columns)
                    cells << table->model()->index(row, column).data().toString();
                shown << cells.join('|').remove("2026/03/14 ");
            }
            return shown;
        };
        const QString to = "|" + AdaCell + ", ntfy://n/a|";
        QCOMPARE(rows(),
            QStringList({ "10:04 AM|Ada|Instant message" + to + "Failed",
                "10:03 AM|Bob|10:03 AM" + to + "Failed",
                "10:01 AM|Bob|10:01 AM" + to + "Will retry at 10:03 AM",
                "10:00 AM|Ada|10:00 AM" + to + "Sent" }));
        QCOMPARE(reply->toPlainText(), "554 no");
        const auto choose = [&](const char *filter, int downs) {
            auto *combo = window.findChild<QComboBox *>(filter);
            combo->setFocus();
            QTest::keyClick(combo, Qt::Key_Home);
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(combo, Qt::Key_Down);
            return rows({ 1, 4 }).join(", ");
        };
        QCOMPARE(choose("userFilter", 2), "Bob|Failed, Bob|Will retry at 10:03 AM");
        QCOMPARE(choose("resultFilter", 3), "Bob|Failed");
        QCOMPARE(choose("userFilter", 0), "Ada|Failed, Bob|Failed");
        QCOMPARE(choose("resultFilter", 0),
            "Ada|Failed, Bob|Failed, Bob|Will retry at 10:03 AM, Ada|Sent");
        QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(table, Qt::Key_Up);
        QCOMPARE(reply->toPlainText(), "421 busy\n421 try later");

        // While open; and a warning during the next delivery, whose attempt ends after it.
        const auto instant = [&](int user, bool sent, const char *reply) {
            f.delivery.result.sent = sent;
            f.delivery.result.reply = reply;
            f.scheduler.sendInstantMessage(
                user, MessageRecord::compose(f.env.clock.now(), "hi", {}));
            f.scheduler.checkDue();
        };
        instant(1, true, "250 queued");
        QCOMPARE(rows().first(), "10:00 AM|Ada|Instant message||Sent");
        QCOMPARE(reply->toPlainText(), "421 busy\n421 try later");
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        MailWarning &warning = f.app.mailWarning();
        QCOMPARE(warning.windowTitle() + warning.findChild<QPushButton *>("okButton")->text(),
            "Tolvane Warning&OK");
        QVERIFY(!warning.isVisible());
        for (const bool ended : { true, false }) {
            const QString text = ended ? "SMTP Server responded: 550 <b>no</b> such user\r\n"
                                       : "SMTP Server responded: User not local; will forward to";
            f.delivery.during = [&] { emit f.delivery.warning(text); };
            f.delivery.hold = !ended;
            instant(2, false, ended ? "refused" : "timed out");
            f.delivery.during = {};
            if (ended)
                instant(1, true, "250 later");
            auto *message = warning.findChild<QLabel *>("messageLabel");
            QVERIFY(warning.isVisible() && !warning.isModal());
            QVERIFY(message->text() == text && message->textFormat() == Qt::PlainText);
            QTest::mouseClick(warning.findChild<QPushButton *>("historyButton"), Qt::LeftButton);
            QVERIFY(window.isVisible());
            f.delivery.release();
            QCOMPARE(reply->toPlainText(), ended ? "refused" : "timed out");
        }
        QTest::mouseClick(warning.findChild<QPushButton *>("okButton"), Qt::LeftButton);
        QVERIFY(!warning.isVisible());
        QCOMPARE(std::ranges::count_if(QApplication::topLevelWidgets(),
                     [](QWidget *w) { return qobject_cast<DeliveryHistoryWindow *>(w); }),
            1);

        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.findChild<QComboBox *>("userFilter")->setFocus();
        QCOMPARE(tabStops(5),
            "userFilter=All users, resultFilter=All results, attemptTable=Delivery attempts, "
            "newest first, replyView=Reply of the selected attempt, closeButton=Close");
    }

    // An empty table says why: nothing tried yet, or nothing that the filters let through.
    void historyEmpty()
    {
        StartedProgram f;
        f.open();
        f.trigger("historyAction");
        DeliveryHistoryWindow &window = f.app.historyWindow();
        auto *empty = window.findChild<QLabel *>("emptyLabel");
        const auto why = [&] { return empty->isVisible() ? empty->text() : QString(); };
        QCOMPARE(why(), "Nothing has been sent or tried yet.");
        f.app.deliveryHistory().append({ at(10, 0), 1, at(10, 0), false, { { AdaCell } },
            DeliveryAttempt::Outcome::Sent, "250 Ok", {} });
        QCOMPARE(why(), "");
        window.findChild<QComboBox *>("resultFilter")->setCurrentIndex(3);
        QCOMPARE(why(), "No attempt matches the chosen user and result.");
        QCOMPARE(window.findChild<QTableView *>()->accessibleDescription(), why());
    }

    // A good stored place is kept to the twip, read whole also beyond 16 bits (right of
    // 2,184 pixels), and written back, 0 as the empty text; a maximised window stores only
    // its state. With values nobody would write the program starts and works, and a Current
    // User that names nobody falls back to a configured one. Either way the window, frame
    // and title bar included, stands on its screen (also a laptop's 1366 x 768 and 1920 x
    // 1080 scaled twice) without scroll bars, the day grid shows at least eight whole rows,
    // and what it stores for the next start is a place on the screen. Damaged lines of the
    // files are the store's tests' and the fuzz targets'.
    void windowPlace_data()
    {
        // The screen, then Options' Current User, Top, Left, Width, Height, WindowState;
        // the window's place where a good one is kept.
        Columns<QString, QPoint>({ "options", "place" });
        Row("ordinary", "wide 1 600 900 7610 8190", QPoint(60, 40));
        Row("right of 32767 twips", "wide 1 600 33000 24110 8190", QPoint(2200, 40));
        Row("1366x768, first start", "laptop 1", QPoint());
        Row("2x, first start", "hidpi 1", QPoint());
        Row("2x, saved below the screen", "hidpi 1 30000 30000 7160 7860", QPoint());
        Row("as text", "wide abc abc x1 wide tall max", QPoint());
        Row("huge", "wide 99999999999 99999999999 99999999999 99999999999 99999999999", QPoint());
        Row("beyond the screen", "wide 7 30000 60000 32000 32000", QPoint());
        Row("negative", "hidpi -1 -30000 -30000 -7160 -1", QPoint());
    }
    void windowPlace()
    {
        QFETCH(QString, options);
        QFETCH(QPoint, place);
        StartedProgram f;
        f.env.writeMessageFile(1, { "2026/03/14 10:15 AMNDue soon" + ToAda });
        const QStringList keys { "Current User", "Top", "Left", "Width", "Height", "WindowState" };
        const QStringList values = options.section(' ', 1).split(' ');
        for (int i = 0; i < values.size(); ++i)
            f.env.settings.writeSetting("Options", keys[i], values[i]);
        readStartValues(f.p(), "/usr/bin/tolvane", f.env.dataDir());
        const QList<QScreen *> screens = QGuiApplication::screens();
        QScreen *target = *std::ranges::find(screens, options.section(' ', 0, 0), &QScreen::name);
        MainWindow &w = f.w();
        w.setScreen(target);
        f.start();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.showDay(QDate(2026, 3, 14));
        QCOMPARE(QString::number(f.p().currentUser) + ' ' + w.windowTitle() + ' '
                + f.cell(DaySlots::rowOfMinute(10 * 60 + 15))->text(),
            "1 Tolvane - Ada Due soon");
        QCOMPARE(w.screen(), target);
        QVERIFY(target->availableGeometry().contains(w.frameGeometry()));
        for (const char *bar : { "verticalScroll", "horizontalScroll" })
            QVERIFY2(!f.child<QScrollBar>(bar)->isVisible(), bar);
        const int rows
            = f.grid()->viewport()->height() / f.grid()->verticalHeader()->defaultSectionSize();
        QVERIFY2(rows >= 8, qPrintable(QString::number(rows)));
        const QString size = options.section(' ', 4, 5);
        const auto stored = [&] {
            QStringList values;
            for (const QString &key : keys.mid(1))
                values << f.setting("Options/" + key);
            return values.join(' ');
        };
        if (!place.isNull()) {
            QCOMPARE(QStringLiteral("%1 %2").arg(w.sizeTwips().width()).arg(w.sizeTwips().height()),
                size);
            QCOMPARE(w.pos(), place);
            w.saveWindowPlace();
            QCOMPARE(stored(), options.section(' ', 2) + " 0");
            w.move(0, 0);
            w.saveWindowPlace();
            QCOMPARE(stored(), "  " + size + " 0");
            w.showMaximized();
            QTRY_VERIFY(w.isMaximized());
        }
        w.unload();
        const int width = f.setting("Options/Width").toInt();
        QVERIFY(
            width > 0 && width <= (target->availableGeometry().width() + 10) * w.twipsPerPixelX());
        if (!place.isNull()) {
            QCOMPARE(stored(), "  " + size + " 2");
            MainWindow next(f.p());
            next.load();
            QVERIFY(next.windowState() & Qt::WindowMaximized);
        }
    }

    // The box begins with its reason, whatever ShowErrors says; the tick tells what is
    // stored, and the program goes on: the same command works once the disk has room.
    // Unexpected failures and ShowErrors: tst_startup errorTrap.
    void failureIsTold_data()
    {
        Columns<QString, QString>({ "fault", "box" });
        Row("full disk", "disk", "Cannot write the settings file ");
        Row("message file unreadable", "file", "Cannot read ");
    }
    void failureIsTold()
    {
        QFETCH(QString, fault);
        QFETCH(QString, box);
        StartedProgram f;
        f.w().load();
        auto *startSmall = f.child<QAction>("startSmallAction");
        if (fault == "disk") {
            const FullDisk fullDisk(1);
            startSmall->trigger();
        } else {
            QVERIFY(QDir().mkpath(f.env.userFile(1) + "/inside"));
            f.w().showDay(QDate(2026, 3, 14));
        }
        QCOMPARE(f.env.boxes.shown.size(), 1);
        QVERIFY2(f.env.boxes.shown[0].text.startsWith(box), qPrintable(f.env.boxes.shown[0].text));
        QCOMPARE(f.env.boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        for (const bool on : { false, true }) {
            QCOMPARE(startSmall->isChecked(), on);
            QCOMPARE(f.env.settings.readSetting("Options", "StartSmall", "0"), on ? "1" : "0");
            startSmall->trigger();
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
