// The main window's controls, their places for any window size, and the scrolling of
// the content when the window is smaller than it.
#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "ui/main/FlexGrid.h"
#include "ui/main/FrmMain.h"
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

void FrmMain::createControls()
{
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("content"));
    setCentralWidget(m_content);
    m_content->installEventFilter(this);

    Calendar1 = new MarkedCalendar(m_content);
    Calendar1->setObjectName(QStringLiteral("Calendar1"));
    m_place[Calendar1] = QRectF(0, CalendarDesignTop, 6855, 4695);
    connect(Calendar1, &QCalendarWidget::clicked, this, [this](QDate date) {
        const int index = Calendar1->markIndex(date);
        if (index > 0 && Calendar1->picCheck[index].Visible)
            picCheck_Click(index);
        else
            Calendar1_Click();
    });
    // Keys move the selection too; the grid must follow the day on view.
    connect(Calendar1, &QCalendarWidget::selectionChanged, this, &FrmMain::StartCountDown);
    connect(Calendar1, &QCalendarWidget::currentPageChanged, this,
        [this] { Trap(p, "frmMain.Calendar1_PageChange", [&] { syncPageToSelection(); }); });

    QFont buttonFont(QStringLiteral("Arial"), 12);
    buttonFont.setBold(true);
    const struct {
        QPushButton **button;
        const char *name;
        const char *caption;
        int left;
        void (FrmMain::*handler)();
    } buttons[] = {
        { &cmdToday, "cmdToday", ".", 360, &FrmMain::cmdToday_Click },
        { &cmdPrevious, "cmdPrevious", "<", 2460, &FrmMain::cmdPrevious_Click },
        { &cmdNext, "cmdNext", ">", 4020, &FrmMain::cmdNext_Click },
        { &cmdPreviousYear, "cmdPreviousYear", "<", 4560, &FrmMain::cmdPreviousYear_Click },
        { &cmdNextYear, "cmdNextYear", ">", 6120, &FrmMain::cmdNextYear_Click },
    };
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QString::fromLatin1(b.caption), m_content);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setFont(buttonFont);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, this, b.handler);
        m_place[button] = QRectF(b.left, 4560, ButtonSize, ButtonSize);
        *b.button = button;
    }

    const struct {
        const char *caption;
        int left;
    } labels[LabelCount] = { { "Change Month", 2820 }, { "Change Year", 4920 }, { "Today", 800 } };
    QFont labelFont = font();
    labelFont.setPointSize(8);
    for (int i = 0; i < LabelCount; ++i) {
        auto *label = new QLabel(QString::fromLatin1(labels[i].caption), m_content);
        label->setObjectName(QStringLiteral("lblInfo%1").arg(i));
        label->setFont(labelFont);
        m_place[label] = QRectF(labels[i].left, 4635, LabelWidth, LabelHeight);
        lblInfo[i] = label;
    }

    flxApp = new FlexGrid(m_content);
    flxApp->setObjectName(QStringLiteral("flxApp"));
    flxApp->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    flxApp->verticalHeader()->setSectionsClickable(false);
    flxApp->verticalHeader()->setDefaultSectionSize(flxApp->fontMetrics().height() + 4);
    flxApp->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    flxApp->setEditTriggers(QAbstractItemView::NoEditTriggers);
    flxApp->setSelectionMode(QAbstractItemView::NoSelection);
    flxApp->setWordWrap(false);
    flxApp->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(flxApp, &QTableWidget::cellClicked, this, &FrmMain::flxApp_Click);
    m_place[flxApp] = QRectF(GridDesignLeft, 5040, 6315, 1815);

    VScroll1 = new QScrollBar(Qt::Vertical, m_content);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    m_place[VScroll1] = QRectF(6795, 0, VScrollWidth, 4935);
    HScroll1 = new QScrollBar(Qt::Horizontal, m_content);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    m_place[HScroll1] = QRectF(0, 6905, 4455, HScrollHeight);
    for (QScrollBar *bar : { VScroll1, HScroll1 }) {
        bar->setRange(0, 0);
        bar->hide();
        // The bars take no keyboard focus, so no caret ever blinks on them.
        bar->setFocusPolicy(Qt::NoFocus);
    }
    connect(VScroll1, &QScrollBar::valueChanged, this, &FrmMain::pScrollForm);
    connect(HScroll1, &QScrollBar::valueChanged, this, &FrmMain::wScrollForm);

    for (auto it = m_place.cbegin(); it != m_place.cend(); ++it)
        applyPlace(const_cast<QWidget *>(it.key()));
}

double FrmMain::twipsPerPixelX() const
{
    const QScreen *s = screen();
    return s ? 1440.0 / s->logicalDotsPerInchX() : 15.0;
}

double FrmMain::twipsPerPixelY() const
{
    const QScreen *s = screen();
    return s ? 1440.0 / s->logicalDotsPerInchY() : 15.0;
}

QSize FrmMain::sizeTwips() const
{
    return QSize(static_cast<int>(std::lround(m_content->width() * twipsPerPixelX())) + FrameWidth,
        static_cast<int>(std::lround(m_content->height() * twipsPerPixelY())) + FrameHeight);
}

void FrmMain::setSizeTwips(int width, int height)
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

// Settings edited by hand, or saved on a larger screen or a monitor that is gone, may put
// the window where nobody can reach it: it is made to fit the screen and moved onto it.
void FrmMain::keepOnScreen()
{
    const QScreen *s = screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    const QSize twips = sizeTwips();
    const int maxWidth = static_cast<int>(area.width() * twipsPerPixelX()) + FrameWidth;
    const int maxHeight
        = static_cast<int>((area.height() - menuBar()->sizeHint().height()) * twipsPerPixelY())
        + FrameHeight;
    if (twips.width() > maxWidth || twips.height() > maxHeight)
        setSizeTwips(qMin(twips.width(), maxWidth), qMin(twips.height(), maxHeight));
    move(qBound(area.left(), x(), qMax(area.left(), area.left() + area.width() - width())),
        qBound(area.top(), y(), qMax(area.top(), area.top() + area.height() - height())));
}

QRectF FrmMain::placeOf(const QWidget *control) const
{
    return m_place.value(control);
}

void FrmMain::applyPlace(QWidget *control)
{
    QRectF t = m_place.value(control);
    // The calendar's design Top tucks a border under the menu bar that this calendar does
    // not have; its title row is shown whole instead.
    if (control == Calendar1)
        t.setTop(t.top() - CalendarDesignTop);
    const double x = twipsPerPixelX();
    const double y = twipsPerPixelY();
    control->setGeometry(
        pixels(t.left(), x), pixels(t.top(), y), pixels(t.width(), x), pixels(t.height(), y));
}

bool FrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_content && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::Form_Resize()
{
    if (m_placing)
        return;
    m_placing = true;
    Trap(p, "frmMain.Form_Resize", [&] {
        const QSize size = sizeTwips();
        Input in;
        in.width = size.width();
        in.height = size.height();
        in.calendarTop = m_place[Calendar1].top();
        in.horizontalOffset = LastHScrollValue;
        in.twipsPerPixelX = twipsPerPixelX();
        in.twipsPerPixelY = twipsPerPixelY();
        const Result bars = Compute(in);

        VScroll1->setVisible(bars.vScrollVisible);
        HScroll1->setVisible(bars.hScrollVisible);
        QRectF &v = m_place[VScroll1];
        v.moveLeft(bars.vScrollLeft);
        v.setHeight(bars.vScrollHeight);
        QRectF &h = m_place[HScroll1];
        h.setWidth(bars.hScrollWidth);
        h.moveTop(bars.hScrollTop);
        applyPlace(VScroll1);
        applyPlace(HScroll1);
        // A range that shrinks brings the value back into it; the content follows
        // through the bar's change, before the rest is placed from the calendar's Top.
        VScroll1->setSingleStep(bars.vScrollStep);
        VScroll1->setPageStep(bars.vScrollStep);
        VScroll1->setRange(0, qMax(0, bars.vScrollMax));
        HScroll1->setSingleStep(bars.hScrollStep);
        HScroll1->setPageStep(bars.hScrollStep);
        HScroll1->setRange(0, qMax(0, bars.hScrollMax));

        in.calendarTop = m_place[Calendar1].top();
        in.horizontalOffset = LastHScrollValue;
        const Result r = Compute(in);
        QRectF &calendar = m_place[Calendar1];
        calendar.setWidth(r.calendarWidth);
        calendar.setHeight(r.calendarHeight);
        QRectF &grid = m_place[flxApp];
        grid.setWidth(r.gridWidth);
        grid.moveTop(r.gridTop);
        grid.setHeight(r.gridHeight);
        QPushButton *const buttons[ButtonCount]
            = { cmdToday, cmdPrevious, cmdNext, cmdPreviousYear, cmdNextYear };
        for (int i = 0; i < ButtonCount; ++i) {
            m_place[buttons[i]].moveTo(r.buttonLeft[i], r.buttonTop);
            applyPlace(buttons[i]);
        }
        for (int i = 0; i < LabelCount; ++i) {
            m_place[lblInfo[i]].moveTo(r.labelLeft[i], r.labelTop);
            applyPlace(lblInfo[i]);
        }
        applyPlace(Calendar1);
        applyPlace(flxApp);
        VScroll1->raise();
        HScroll1->raise();
    });
    m_placing = false;
}

QList<QWidget *> FrmMain::scrolledControls() const
{
    return { Calendar1, cmdNext, cmdPrevious, cmdNextYear, cmdPreviousYear, cmdToday, flxApp,
        lblInfo[0], lblInfo[1], lblInfo[2] };
}

void FrmMain::moveControls(double dx, double dy)
{
    for (QWidget *control : scrolledControls()) {
        m_place[control].translate(dx, dy);
        applyPlace(control);
    }
}

void FrmMain::pScrollForm()
{
    Trap(p, "frmMain.pScrollForm", [&] {
        const int v = VScroll1->value();
        moveControls(0, LastVScrollValue - v);
        LastVScrollValue = v;
    });
}

void FrmMain::wScrollForm()
{
    Trap(p, "frmMain.wScrollForm", [&] {
        const int h = HScroll1->value();
        moveControls(LastHScrollValue - h, 0);
        LastHScrollValue = h;
    });
}
