// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/DeliveryHistory.h"

#include <QWidget>
#include <optional>

class QLabel;
class QPushButton;

// The one warning window of the delivery: a small non-modal window with the text of the
// latest problem and an OK button that hides it, so that delivery never waits for the
// user. A new warning replaces the text of the one before. A warning comes while a
// delivery is under way, and its attempt ends after it: the next attempt to end is the
// warning's, and its button opens the delivery history there.
class MailWarning : public QWidget {
    Q_OBJECT
public:
    explicit MailWarning(QWidget *parent = nullptr);

    // The attempt of the warning on show; none while it is still under way.
    const std::optional<DeliveryHistory::Entry> &attempt() const { return m_attempt; }

public slots:
    // Shows the text, as it came, without waiting.
    void showWarning(const QString &text);
    // An attempt ended: the warning's, when one came since the last ended.
    void attemptEnded(const DeliveryHistory::Entry &attempt);

signals:
    // The user asked for the history at the warning's attempt.
    void historyRequested();

private:
    QRect twipsRect(int left, int top, int width, int height) const;

    QLabel *m_message;
    QPushButton *m_okButton;
    QPushButton *m_historyButton;
    std::optional<DeliveryHistory::Entry> m_attempt;
    bool m_awaitingAttempt = false;
};
