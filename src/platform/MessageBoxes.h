// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The program's modal message boxes. The program shows them through QMessageBox;
// tests put a scripted stand-in in its place that records what was asked and
// gives the answer the test chose.
class MessageBoxes {
public:
    enum class Icon { None, Critical, Information, Question, Warning };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~MessageBoxes() = default;
    virtual Answer show(const QString &title, const QString &text, Icon icon, Buttons buttons,
        QWidget *parent = nullptr)
        = 0;
    // A question answered by one of its own buttons, left to right as `answers` names them
    // (captions with access keys); the last is what Escape and the close box give. Returns
    // the index of the one chosen. A stand-in that shows nothing gives the last: that answer
    // changes nothing.
    virtual qsizetype choose(const QString &title, const QString &text, const QStringList &answers,
        QWidget *parent = nullptr)
    {
        Q_UNUSED(title);
        Q_UNUSED(text);
        Q_UNUSED(parent);
        return answers.size() - 1;
    }
};
