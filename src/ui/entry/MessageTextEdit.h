// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPlainTextEdit>

// The multi-line message box. It takes at most maxLength() characters from the user,
// however they arrive (typing, pasting, dropping, input methods): whatever goes beyond
// is cut from the end of the insertion, as a one-line box with a maximum length does.
// Text set by the program is not cut, so a stored message always shows whole.
class MessageTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MessageTextEdit(QWidget *parent = nullptr);

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }

    // Replaces the whole text without applying the limit.
    void setTextUnlimited(const QString &text);

    int length() const { return document()->characterCount() - 1; }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void noteChange(int position, int removed, int added);
    void cutExcess();

    int m_maxLength = 32767;
    bool m_unlimited = false;
    int m_insertEnd = -1; // end of the latest insertion, -1 when there was none
    int m_inserted = 0;
};
