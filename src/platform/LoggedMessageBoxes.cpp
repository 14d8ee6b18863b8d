// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/LoggedMessageBoxes.h"

#include <QFile>

LoggedMessageBoxes::LoggedMessageBoxes(const QString &logPath)
    : m_path(logPath)
{
}

QString LoggedMessageBoxes::iconName(Icon icon)
{
    switch (icon) {
    case Icon::None:
        return QStringLiteral("none");
    case Icon::Critical:
        return QStringLiteral("critical");
    case Icon::Information:
        return QStringLiteral("information");
    case Icon::Question:
        return QStringLiteral("question");
    case Icon::Warning:
        return QStringLiteral("warning");
    }
    return {};
}

MessageBoxes::Answer LoggedMessageBoxes::show(
    const QString &title, const QString &text, Icon icon, Buttons buttons, QWidget *)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    shown.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    QFile log(m_path);
    if (log.open(QIODevice::Append | QIODevice::Text)) {
        log.write((title + QLatin1Char('\t') + iconName(icon) + QLatin1Char('\t') + shown
            + QLatin1Char('\n'))
                      .toUtf8());
    }
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

qsizetype LoggedMessageBoxes::choose(
    const QString &title, const QString &text, const QStringList &answers, QWidget *parent)
{
    show(title, text, Icon::Question, Buttons::Ok, parent);
    return answers.isEmpty() ? -1 : 0;
}
