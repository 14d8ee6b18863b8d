// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/MessageBoxes.h"

// The message boxes the user sees: QMessageBox.
class QtMessageBoxes final : public MessageBoxes {
public:
    Answer show(const QString &title, const QString &text, Icon icon, Buttons buttons,
        QWidget *parent = nullptr) override;
    qsizetype choose(const QString &title, const QString &text, const QStringList &answers,
        QWidget *parent = nullptr) override;
};
