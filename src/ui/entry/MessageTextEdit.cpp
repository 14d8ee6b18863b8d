// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/entry/MessageTextEdit.h"

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

MessageTextEdit::MessageTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    // The document reports where it grew; the cut waits until the change is complete,
    // because a document must not be edited from inside its own change report.
    connect(document(), &QTextDocument::contentsChange, this, &MessageTextEdit::noteChange);
    connect(this, &QPlainTextEdit::textChanged, this, &MessageTextEdit::cutExcess);
}

void MessageTextEdit::setTextUnlimited(const QString &text)
{
    m_unlimited = true;
    setPlainText(text);
    m_unlimited = false;
    m_insertEnd = -1;
}

void MessageTextEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void MessageTextEdit::noteChange(int position, int, int added)
{
    if (m_unlimited || added <= 0) {
        m_insertEnd = -1;
        return;
    }
    m_insertEnd = position + added;
    m_inserted = added;
}

void MessageTextEdit::cutExcess()
{
    if (m_unlimited || m_insertEnd < 0)
        return;
    // A document that relaid itself out whole reports the whole text as inserted, one
    // position past its end.
    const int insertEnd = std::min(m_insertEnd, length());
    const int inserted = m_inserted;
    m_insertEnd = -1;
    const int excess = length() - m_maxLength;
    if (excess <= 0)
        return;
    // Only what this insertion brought is cut; a stored text that was already longer
    // than the limit stays as it is.
    const int cut = std::min(excess, inserted);
    // Never leave half of a character that needs two UTF-16 units.
    int start = std::max(insertEnd - cut, 0);
    if (start > 0 && document()->characterAt(start).isLowSurrogate())
        --start;
    QTextCursor cursor(document());
    cursor.setPosition(start);
    cursor.setPosition(insertEnd, QTextCursor::KeepAnchor);
    cursor.removeSelectedText(); // reports a removal only, so no new cut follows
    setTextCursor(cursor);
}
