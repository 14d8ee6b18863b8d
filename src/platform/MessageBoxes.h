// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

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
};
