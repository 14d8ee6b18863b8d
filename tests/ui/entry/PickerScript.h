#pragma once

#include "ui/entry/UserPicker.h"

#include <QAbstractButton>
#include <QTest>
#include <algorithm>

// Plays what a user does in the picker: each step is "Escape", a button ("Apply", "Cancel",
// "Select All", "Clear All") or the name on a box, whose tick mark is clicked where a user
// clicks it (the middle of a wide box with a short name is empty space).
inline void playPicker(UserPicker &picker, const QStringList &steps)
{
    const auto buttons = picker.findChildren<QAbstractButton *>();
    for (const QString &step : steps) {
        if (step == QLatin1String("Escape")) {
            QTest::keyClick(&picker, Qt::Key_Escape);
            continue;
        }
        const auto named = std::find_if(buttons.begin(), buttons.end(),
            [&](QAbstractButton *b) { return !b->isHidden() && b->text().remove(u'&') == step; });
        QVERIFY2(named != buttons.end(), qPrintable(step));
        QTest::mouseClick(*named, Qt::LeftButton, {}, QPoint(8, (*named)->height() / 2));
    }
}
