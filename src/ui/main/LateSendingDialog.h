// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>

class QComboBox;
class SettingsStore;

// "Send Late Messages...": how late a message that could not go out at its minute may
// still be sent, kept as LateMinutes in [Options] (0 or absent: never, as always).
class LateSendingDialog : public QDialog {
    Q_OBJECT
public:
    LateSendingDialog(SettingsStore &settings, QWidget *parent = nullptr);

    // The minutes each choice stands for, in the order shown.
    static constexpr int Choices[] { 0, 15, 60, 360, 1440 };

    void accept() override;

private:
    SettingsStore &m_settings;
    QComboBox *m_choice = nullptr;
    int m_shown = 0; // the choice shown when it opened
};
