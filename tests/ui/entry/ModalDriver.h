#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>

// Drives a modal dialog from inside its own exec(): once the dialog is shown and its
// one-shot refresh has run, the action runs; a dialog still open after the action is
// ended, and so is one that never got that far, so no test can hang on a modal loop.
// Arm it before the call that shows the dialog.
class ModalDriver {
public:
    ModalDriver(QDialog &dialog, QTimer &refresh, std::function<void()> action)
        : m_dialog(dialog)
        , m_refresh(refresh)
        , m_action(std::move(action))
    {
        m_poll.setInterval(2);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
        m_poll.start();
        m_failsafe.setSingleShot(true);
        m_failsafe.setInterval(10000);
        QObject::connect(&m_failsafe, &QTimer::timeout, [this] {
            m_poll.stop();
            if (m_dialog.isVisible())
                m_dialog.done(QDialog::Rejected);
        });
        m_failsafe.start();
    }

    bool acted = false; // the action ran inside the shown, refreshed dialog
    bool stayedOpen = false; // the dialog was still open after the action

private:
    void poll()
    {
        if (!m_dialog.isVisible() || m_refresh.isActive())
            return;
        m_poll.stop();
        m_failsafe.stop();
        acted = true;
        m_action();
        if (m_dialog.isVisible()) {
            stayedOpen = true;
            m_dialog.done(QDialog::Rejected);
        }
    }

    QDialog &m_dialog;
    QTimer &m_refresh;
    std::function<void()> m_action;
    QTimer m_poll;
    QTimer m_failsafe;
};

// A click on a check box's indicator, where a user clicks; the middle of a wide box with a
// short name is empty space that does not toggle it.
inline void clickBox(QAbstractButton *box)
{
    QVERIFY(box);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}
