// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The one warning window of the delivery: a small non-modal window with the text of the
// latest problem and an OK button that hides it, so that delivery never waits for the
// user. A new warning replaces the text of the one before.
class MailWarning : public QWidget {
    Q_OBJECT
public:
    explicit MailWarning(QWidget *parent = nullptr);

public slots:
    // Shows the text, as it came, without waiting.
    void showWarning(const QString &text);

private:
    QRect twipsRect(int left, int top, int width, int height) const;

    QLabel *m_message;
    QPushButton *m_okButton;
};
