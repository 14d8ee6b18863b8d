// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

KeyPreview::KeyPreview(QWidget &window, std::function<void(QChar)> typed)
    : QObject(&window)
    , m_window(window)
    , m_typed(std::move(typed))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWindowType()
        && watched == m_window.windowHandle()) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        for (const QChar c : text)
            m_typed(c);
    }
    return false;
}
