// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QChar>
#include <QObject>
#include <functional>

class QWidget;

// Lets a window see every character typed into it before the control with the focus
// does, whichever control that is, and then lets the key go on to that control unchanged.
//
// It watches the application's events for key presses that reach the window's own
// top-level surface: every key typed into the window arrives there exactly once, before
// the window hands it to its focused control (a key going up the parent chain reaches
// the widgets once for each parent, so they cannot be counted there).
class KeyPreview : public QObject {
    Q_OBJECT
public:
    KeyPreview(QWidget &window, std::function<void(QChar)> typed);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    std::function<void(QChar)> m_typed;
};
