#pragma once

#include "ui/setup/SetupPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The controls of a set-up page, by the names the program gives them.
inline QLineEdit *box(SetupPage &page, int index)
{
    return page.findChild<QLineEdit *>(QStringLiteral("txtData_%1").arg(index));
}

inline QLabel *info(SetupPage &page, int index)
{
    return page.findChild<QLabel *>(QStringLiteral("lblInfo_%1").arg(index));
}

inline QPushButton *button(SetupPage &page, const char *name)
{
    return page.findChild<QPushButton *>(QString::fromLatin1(name));
}

inline void click(SetupPage &page, const char *name)
{
    QTest::mouseClick(button(page, name), Qt::LeftButton);
}

// Types the texts into the first boxes, replacing what they held, and presses the button.
inline void typeAndPress(SetupPage &page, const QStringList &texts, const char *name)
{
    for (int i = 0; i < texts.size(); ++i) {
        box(page, i)->selectAll();
        QTest::keyClick(box(page, i), Qt::Key_Delete);
        QTest::keyClicks(box(page, i), texts.at(i));
    }
    if (name)
        click(page, name);
}

// The same, as a step of its own.
inline auto pressing(const QStringList &texts, const char *name)
{
    return [texts, name](SetupPage &page) { typeAndPress(page, texts, name); };
}
