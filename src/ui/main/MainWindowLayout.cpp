// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's controls, their places for any window size, and the scrolling of
// the content when the window is smaller than it.
#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "ui/main/DayGrid.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MarkedCalendar.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <cmath>

using namespace MainLayout;

namespace {

constexpr int MinimumContentPixels = 80;

int pixels(double twips, double perPixel)
{
    return static_cast<int>(std::lround(twips / perPixel));
}

} // namespace

void MainWindow::createControls()
{
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("content"));
    setCentralWidget(m_content);
    m_content->installEventFilter(this);

    m_calendar = new MarkedCalendar(m_content);
    m_calendar->setAccessibleName(tr("Calendar"));
    m_calendar->setObjectName(QStringLiteral("calendar"));
    m_place[m_calendar] = QRectF(0, CalendarDesignTop, 6855, CalendarNaturalHeight);
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate date) {
        const int index = m_calendar->markIndex(date);
        if (index > 0 && m_calendar->mark(index).visible)
            selectMarkedDay(index);
        else
            selectDay();
    });
    // Keys move the selection too; the grid must follow the day on view.
    connect(m_calendar, &QCalendarWidget::selectionChanged, this, &MainWindow::startSettling);
    connect(m_calendar, &QCalendarWidget::currentPageChanged, this, [this] {
        trap(m_context, "frmMain.Calendar1_PageChange", [&] { syncPageToSelection(); });
    });

    QFont buttonFont(QStringLiteral("Arial"), 12);
    buttonFont.setBold(true);
    const struct {
        QPushButton **button;
        const char *name;
        const char *caption;
        const char *spoken; // what a screen reader says and the tooltip shows for the glyph
        int left;
        void (MainWindow::*handler)();
    } buttons[] = {
        { &m_todayButton, "todayButton", ".", QT_TR_NOOP("Today"), 360, &MainWindow::goToToday },
        { &m_previousMonthButton, "previousMonthButton", "<", QT_TR_NOOP("Previous month"), 2460,
            &MainWindow::showPreviousMonth },
        { &m_nextMonthButton, "nextMonthButton", ">", QT_TR_NOOP("Next month"), 4020,
            &MainWindow::showNextMonth },
        { &m_previousYearButton, "previousYearButton", "<", QT_TR_NOOP("Previous year"), 4560,
            &MainWindow::showPreviousYear },
        { &m_nextYearButton, "nextYearButton", ">", QT_TR_NOOP("Next year"), 6120,
            &MainWindow::showNextYear },
    };
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QString::fromLatin1(b.caption), m_content);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAccessibleName(tr(b.spoken));
        button->setToolTip(tr(b.spoken));
        button->setFont(buttonFont);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, this, b.handler);
        m_place[button] = QRectF(b.left, 4560, ButtonSize, ButtonSize);
        *b.button = button;
    }

    const struct {
        const char *caption;
        int left;
    } labels[LabelCount] = { { QT_TR_NOOP("Change Month"), 2820 },
        { QT_TR_NOOP("Change Year"), 4920 }, { QT_TR_NOOP("Today"), 800 } };
    QFont labelFont = font();
    labelFont.setPointSize(8);
    for (int i = 0; i < LabelCount; ++i) {
        auto *label = new QLabel(tr(labels[i].caption), m_content);
        label->setObjectName(QStringLiteral("infoLabel%1").arg(i));
        label->setFont(labelFont);
        m_place[label] = QRectF(labels[i].left, 4635, LabelWidth, LabelHeight);
        m_infoLabels[i] = label;
    }

    m_grid = new DayGrid(m_content);
    m_grid->setObjectName(QStringLiteral("dayGrid"));
    m_grid->setAccessibleName(tr("Messages of the day"));
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setSectionsClickable(false);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setWordWrap(false);
    m_grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Tab goes on to the next control instead of from cell to cell; the arrows move
    // between the rows.
    m_grid->setTabKeyNavigation(false);
    connect(m_grid, &QTableWidget::cellClicked, this, &MainWindow::openSlot);
    connect(m_grid, &DayGrid::rowActivated, this, &MainWindow::openSlot);
    m_place[m_grid] = QRectF(GridDesignLeft, 5040, 6315, GridScrolledHeight);

    m_verticalScroll = new QScrollBar(Qt::Vertical, m_content);
    m_verticalScroll->setObjectName(QStringLiteral("verticalScroll"));
    m_place[m_verticalScroll] = QRectF(6795, 0, VScrollWidth, 4935);
    m_horizontalScroll = new QScrollBar(Qt::Horizontal, m_content);
    m_horizontalScroll->setObjectName(QStringLiteral("horizontalScroll"));
    m_place[m_horizontalScroll] = QRectF(0, 6905, 4455, HScrollHeight);
    for (QScrollBar *bar : { m_verticalScroll, m_horizontalScroll }) {
        bar->setRange(0, 0);
        bar->hide();
        // The bars take no keyboard focus, so no caret ever blinks on them.
        bar->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_verticalScroll, &QScrollBar::valueChanged, this, &MainWindow::scrollVertically);
    connect(m_horizontalScroll, &QScrollBar::valueChanged, this, &MainWindow::scrollHorizontally);

    for (auto it = m_place.cbegin(); it != m_place.cend(); ++it)
        applyPlace(const_cast<QWidget *>(it.key()));
}

double MainWindow::twipsPerPixelX() const
{
    const QScreen *s = screen();
    return s ? 1440.0 / s->logicalDotsPerInchX() : 15.0;
}

double MainWindow::twipsPerPixelY() const
{
    const QScreen *s = screen();
    return s ? 1440.0 / s->logicalDotsPerInchY() : 15.0;
}

QSize MainWindow::sizeTwips() const
{
    return QSize(static_cast<int>(std::lround(m_content->width() * twipsPerPixelX())) + FrameWidth,
        static_cast<int>(std::lround(m_content->height() * twipsPerPixelY())) + FrameHeight);
}

void MainWindow::setSizeTwips(int width, int height)
{
    const int contentWidth
        = qMax(MinimumContentPixels, pixels(width - FrameWidth, twipsPerPixelX()));
    const int contentHeight
        = qMax(MinimumContentPixels, pixels(height - FrameHeight, twipsPerPixelY()));
    resize(contentWidth, contentHeight + menuBar()->sizeHint().height());
    // A window that is not shown yet lays out its content only when asked.
    if (layout())
        layout()->activate();
    if (m_content->size() != QSize(contentWidth, contentHeight))
        m_content->resize(contentWidth, contentHeight);
}

// The desktop's frame around the window. Once the window has been shown the frame is
// known; before that there is room for the tallest title bar of the common desktops
// (GNOME's is 37 pixels), so that a window placed before it is first shown keeps its
// title bar on the screen.
QMargins MainWindow::frameAllowance() const
{
    const QRect inner = geometry();
    const QRect outer = frameGeometry();
    const QMargins known(inner.left() - outer.left(), inner.top() - outer.top(),
        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    return known.isNull() ? QMargins(4, 40, 4, 4) : known;
}

// Settings edited by hand, or saved on a larger screen or a monitor that is gone, may put
// the window where nobody can reach it; the natural size does not fit a small screen
// either. The window, its frame included, is made to fit the screen and moved onto it.
void MainWindow::keepOnScreen()
{
    const QScreen *s = screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    const QMargins frame = frameAllowance();
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QSize twips = sizeTwips();
    const int maxWidth
        = static_cast<int>((area.width() - frameWidth) * twipsPerPixelX()) + FrameWidth;
    const int maxHeight
        = static_cast<int>(
              (area.height() - frameHeight - menuBar()->sizeHint().height()) * twipsPerPixelY())
        + FrameHeight;
    if (twips.width() > maxWidth || twips.height() > maxHeight)
        setSizeTwips(qMin(twips.width(), maxWidth), qMin(twips.height(), maxHeight));
    // The place is the frame's top left corner.
    const int right = area.left() + area.width() - width() - frameWidth;
    const int bottom = area.top() + area.height() - height() - frameHeight;
    move(qBound(area.left(), x(), qMax(area.left(), right)),
        qBound(area.top(), y(), qMax(area.top(), bottom)));
}

QRectF MainWindow::placeOf(const QWidget *control) const
{
    return m_place.value(control);
}

void MainWindow::applyPlace(QWidget *control)
{
    QRectF t = m_place.value(control);
    // The calendar's design Top tucks a border under the menu bar that this calendar does
    // not have; its title row is shown whole instead.
    if (control == m_calendar)
        t.setTop(t.top() - CalendarDesignTop);
    const double x = twipsPerPixelX();
    const double y = twipsPerPixelY();
    control->setGeometry(
        pixels(t.left(), x), pixels(t.top(), y), pixels(t.width(), x), pixels(t.height(), y));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_content && event->type() == QEvent::Resize)
        placeControls();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::placeControls()
{
    if (m_placing)
        return;
    m_placing = true;
    trap(m_context, "frmMain.Form_Resize", [&] {
        const QSize size = sizeTwips();
        Input in;
        in.width = size.width();
        in.height = size.height();
        in.calendarTop = m_place[m_calendar].top();
        in.horizontalOffset = m_lastHorizontalValue;
        in.twipsPerPixelX = twipsPerPixelX();
        in.twipsPerPixelY = twipsPerPixelY();
        const Result bars = compute(in);

        m_verticalScroll->setVisible(bars.vScrollVisible);
        m_horizontalScroll->setVisible(bars.hScrollVisible);
        QRectF &v = m_place[m_verticalScroll];
        v.moveLeft(bars.vScrollLeft);
        v.setHeight(bars.vScrollHeight);
        QRectF &h = m_place[m_horizontalScroll];
        h.setWidth(bars.hScrollWidth);
        h.moveTop(bars.hScrollTop);
        applyPlace(m_verticalScroll);
        applyPlace(m_horizontalScroll);
        // A range that shrinks brings the value back into it; the content follows
        // through the bar's change, before the rest is placed from the calendar's Top.
        m_verticalScroll->setSingleStep(bars.vScrollStep);
        m_verticalScroll->setPageStep(bars.vScrollStep);
        m_verticalScroll->setRange(0, qMax(0, bars.vScrollMax));
        m_horizontalScroll->setSingleStep(bars.hScrollStep);
        m_horizontalScroll->setPageStep(bars.hScrollStep);
        m_horizontalScroll->setRange(0, qMax(0, bars.hScrollMax));

        in.calendarTop = m_place[m_calendar].top();
        in.horizontalOffset = m_lastHorizontalValue;
        const Result r = compute(in);
        QRectF &calendar = m_place[m_calendar];
        calendar.setWidth(r.calendarWidth);
        calendar.setHeight(r.calendarHeight);
        QRectF &grid = m_place[m_grid];
        grid.setWidth(r.gridWidth);
        grid.moveTop(r.gridTop);
        grid.setHeight(r.gridHeight);
        QPushButton *const buttons[ButtonCount] = { m_todayButton, m_previousMonthButton,
            m_nextMonthButton, m_previousYearButton, m_nextYearButton };
        for (int i = 0; i < ButtonCount; ++i) {
            m_place[buttons[i]].moveTo(r.buttonLeft[i], r.buttonTop);
            applyPlace(buttons[i]);
        }
        for (int i = 0; i < LabelCount; ++i) {
            m_place[m_infoLabels[i]].moveTo(r.labelLeft[i], r.labelTop);
            applyPlace(m_infoLabels[i]);
        }
        applyPlace(m_calendar);
        applyPlace(m_grid);
        m_verticalScroll->raise();
        m_horizontalScroll->raise();
    });
    m_placing = false;
}

QList<QWidget *> MainWindow::scrolledControls() const
{
    return { m_calendar, m_nextMonthButton, m_previousMonthButton, m_nextYearButton,
        m_previousYearButton, m_todayButton, m_grid, m_infoLabels[0], m_infoLabels[1],
        m_infoLabels[2] };
}

void MainWindow::moveControls(double dx, double dy)
{
    for (QWidget *control : scrolledControls()) {
        m_place[control].translate(dx, dy);
        applyPlace(control);
    }
}

void MainWindow::scrollVertically()
{
    trap(m_context, "frmMain.pScrollForm", [&] {
        const int v = m_verticalScroll->value();
        moveControls(0, m_lastVerticalValue - v);
        m_lastVerticalValue = v;
    });
}

void MainWindow::scrollHorizontally()
{
    trap(m_context, "frmMain.wScrollForm", [&] {
        const int h = m_horizontalScroll->value();
        moveControls(m_lastHorizontalValue - h, 0);
        m_lastHorizontalValue = h;
    });
}
