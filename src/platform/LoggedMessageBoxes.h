// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/MessageBoxes.h"

#include <QString>

// Message boxes for runs nobody watches (the end-to-end tests and the benchmarks start
// the program with TOLVANE_BOX_LOG naming a file): each box is appended to that file as
// one line "title<TAB>icon<TAB>text", with CR and LF written as \r and \n, and answered
// at once with OK, Yes to a question, or the first of a question's own answers.
class LoggedMessageBoxes final : public MessageBoxes {
public:
    explicit LoggedMessageBoxes(const QString &logPath);

    Answer show(const QString &title, const QString &text, Icon icon, Buttons buttons,
        QWidget *parent = nullptr) override;
    qsizetype choose(const QString &title, const QString &text, const QStringList &answers,
        QWidget *parent = nullptr) override;

    static QString iconName(Icon icon);

private:
    QString m_path;
};
