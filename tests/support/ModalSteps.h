#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <type_traits>

// Plays a user through modal dialogs. Each step waits until its dialog is the active modal
// widget and its one-shot refresh (tmrRefresh) has run, then acts from an event of its own,
// so that the action may open further dialogs. A dialog still open once the last step has
// acted is closed (leftOpen); a step that does not come within the deadline is a failure
// and closes every dialog still shown: no test can hang in a modal loop. Queue the steps
// before the call that shows the first dialog.
class ModalSteps {
public:
    explicit ModalSteps(int deadlineMs = 5000)
        : m_deadlineMs(deadlineMs)
    {
        m_poll.setInterval(2);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
    }

    template<class Dialog, class Act> ModalSteps &then(Dialog &dialog, Act act)
    {
        // A leaf dialog filled before it is shown has no refresh to wait for.
        QTimer *refresh = nullptr;
        if constexpr (requires { dialog.tmrRefresh; })
            refresh = &dialog.tmrRefresh;
        m_steps.append({ &dialog, refresh, [&dialog, act] {
                            if constexpr (std::is_invocable_v<Act, Dialog &>)
                                act(dialog);
                            else
                                act();
                        } });
        if (!m_poll.isActive()) {
            m_sinceStep.start();
            m_poll.start();
        }
        return *this;
    }

    bool finished() const { return m_next == m_steps.size() && failure.isEmpty(); }

    QString failure;
    bool leftOpen = false;

private:
    struct Step {
        QPointer<QDialog> dialog;
        QTimer *refresh; // none for a dialog without one
        std::function<void()> act;
    };

    void poll()
    {
        if (m_next >= m_steps.size()) {
            m_poll.stop();
            return;
        }
        const Step step = m_steps.at(m_next);
        if (step.dialog && QApplication::activeModalWidget() == step.dialog
            && step.dialog->isVisible() && !(step.refresh && step.refresh->isActive())) {
            ++m_next;
            m_sinceStep.start();
            QTimer::singleShot(0, &m_poll, [this, step] {
                step.act();
                if (m_next == m_steps.size() && step.dialog && step.dialog->isVisible()) {
                    leftOpen = true;
                    step.dialog->hide();
                }
            });
        } else if (m_sinceStep.elapsed() > m_deadlineMs) {
            failure = QStringLiteral("step %1 never came (%2)")
                          .arg(m_next + 1)
                          .arg(step.dialog ? step.dialog->objectName() : QStringLiteral("gone"));
            m_poll.stop();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<QDialog *>(w) && w->isVisible())
                    w->hide();
        }
    }

    QList<Step> m_steps;
    qsizetype m_next = 0;
    QTimer m_poll;
    QElapsedTimer m_sinceStep;
    const int m_deadlineMs;
};
