#pragma once

#include "ui/setup/SetupPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

// Plays a user through modal set-up pages. Each step waits until its page is the
// active modal window and has finished its refresh, then acts on it from an event of
// its own, so that the action may open further modal pages. A step that does not come
// within the deadline is a failure, and every page still shown is hidden, which ends
// each waiting showing: no test can hang on a modal page.
class PageDriver {
public:
    using Action = std::function<void(SetupPage &page)>;

    explicit PageDriver(int deadlineMs = 5000)
        : m_deadlineMs(deadlineMs)
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { tick(); });
    }

    PageDriver &then(SetupPage &page, Action action)
    {
        m_steps.append({ &page, std::move(action) });
        if (!m_poll.isActive()) {
            m_sinceStep.start();
            m_poll.start();
        }
        return *this;
    }

    bool finished() const { return m_next == m_steps.size() && failure.isEmpty(); }

    QString failure;

private:
    struct Step {
        QPointer<SetupPage> page;
        Action action;
    };

    void tick()
    {
        if (m_next >= m_steps.size()) {
            m_poll.stop();
            return;
        }
        const Step &step = m_steps.at(m_next);
        SetupPage *page = step.page;
        const bool ready = page && QApplication::activeModalWidget() == page && page->isVisible()
            && !page->tmrRefresh.isActive();
        if (ready) {
            ++m_next;
            m_sinceStep.start();
            Action action = step.action;
            QTimer::singleShot(0, page, [page, action] { action(*page); });
            return;
        }
        if (m_sinceStep.elapsed() > m_deadlineMs) {
            failure = QStringLiteral("step %1 never came (%2)")
                          .arg(m_next + 1)
                          .arg(page ? page->objectName() : QStringLiteral("gone"));
            m_poll.stop();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<SetupPage *>(w) && w->isVisible())
                    w->hide();
        }
    }

    QList<Step> m_steps;
    qsizetype m_next = 0;
    QTimer m_poll;
    QElapsedTimer m_sinceStep;
    const int m_deadlineMs;
};

// The controls of a page, by the names the program gives them.
inline QLineEdit *box(SetupPage &page, int index)
{
    return page.findChild<QLineEdit *>(QStringLiteral("txtData_%1").arg(index));
}

inline QLabel *info(SetupPage &page, int index)
{
    return page.findChild<QLabel *>(QStringLiteral("lblInfo_%1").arg(index));
}

inline QPushButton *button(SetupPage &page, const char *name)
{
    return page.findChild<QPushButton *>(QString::fromLatin1(name));
}

inline void type(SetupPage &page, int index, const QString &text)
{
    QLineEdit *edit = box(page, index);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

inline void click(SetupPage &page, const char *name)
{
    QTest::mouseClick(button(page, name), Qt::LeftButton);
}
