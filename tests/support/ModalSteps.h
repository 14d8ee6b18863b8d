#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>

// Plays a user through modal dialogs. Each step waits until its dialog is the active modal
// widget, then acts from an event of its own, so that the action may open further dialogs.
// A dialog still open once the last step has acted is closed (leftOpen); a step that does
// not come within five seconds is a failure and closes every dialog still shown: no test
// can hang in a modal loop. Queue the steps before the call that shows the first dialog.
class ModalSteps {
public:
    ModalSteps()
    {
        m_poll.setInterval(2);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
    }

    ModalSteps &then(QDialog &dialog, std::function<void()> act)
    {
        m_steps.append({ &dialog, std::move(act) });
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
    void poll()
    {
        if (m_next >= m_steps.size())
            return m_poll.stop();
        const auto step = m_steps.at(m_next);
        QDialog *dialog = step.first;
        if (dialog && QApplication::activeModalWidget() == dialog && dialog->isVisible()) {
            ++m_next;
            m_sinceStep.start();
            QTimer::singleShot(0, &m_poll, [this, step] {
                step.second();
                if (m_next == m_steps.size() && step.first && step.first->isVisible()) {
                    leftOpen = true;
                    step.first->hide();
                }
            });
        } else if (m_sinceStep.elapsed() > 5000) {
            failure = QStringLiteral("step %1 never came (%2)")
                          .arg(m_next + 1)
                          .arg(dialog ? dialog->objectName() : QStringLiteral("gone"));
            m_poll.stop();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<QDialog *>(w) && w->isVisible())
                    w->hide();
        }
    }

    QList<std::pair<QPointer<QDialog>, std::function<void()>>> m_steps;
    qsizetype m_next = 0;
    QTimer m_poll;
    QElapsedTimer m_sinceStep;
};
