// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Records every message box the code under test shows and answers with the answers
// the test queued (Yes when none is queued for a Yes/No box; the first of a question's own
// answers when no caption is queued).
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString title, text;
        Icon icon;
        Buttons buttons;
    };

    Answer show(const QString &title, const QString &text, Icon icon, Buttons buttons,
        QWidget * = nullptr) override
    {
        shown.append({ title, text, icon, buttons });
        if (whileShown)
            std::exchange(whileShown, {})();
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return m_answers.isEmpty() ? Answer::Yes : m_answers.takeFirst();
    }
    void queueAnswer(Answer answer) { m_answers.append(answer); }

    // Recorded with its answers, "[caption|caption]", after its text.
    qsizetype choose(const QString &title, const QString &text, const QStringList &answers,
        QWidget * = nullptr) override
    {
        QStringList captions;
        for (const QString &answer : answers)
            captions << QString(answer).remove('&');
        shown.append(
            { title, text + " [" + captions.join('|') + ']', Icon::Question, Buttons::Ok });
        return m_choices.isEmpty() ? 0 : captions.indexOf(m_choices.takeFirst());
    }
    // The answer to the next question of choose(), by its caption without "&".
    void queueChoice(const QString &caption) { m_choices.append(caption); }

    // The boxes shown as "title: text", "!" after a critical one.
    QStringList lines() const
    {
        QStringList out;
        for (const Shown &box : shown)
            out << box.title + ": " + box.text + (box.icon == Icon::Critical ? "!" : "");
        return out;
    }

    QList<Shown> shown;
    std::function<void()> whileShown; // runs once, while the next box is open

private:
    QList<Answer> m_answers;
    QStringList m_choices;
};
