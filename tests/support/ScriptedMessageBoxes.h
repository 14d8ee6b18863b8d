#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <QString>
#include <functional>

// Records every message box the code under test shows and answers with the answers
// the test queued (Yes when none is queued for a Yes/No box).
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    Answer show(const QString &title, const QString &text, Icon icon, Buttons buttons,
        QWidget *parent = nullptr) override;

    void queueAnswer(Answer answer) { m_answers.append(answer); }

    QList<Shown> shown;
    // Runs while a box is open, as timer ticks run inside a real box's own event loop.
    std::function<void()> whileShown;

private:
    QList<Answer> m_answers;
};
