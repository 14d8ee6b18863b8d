#pragma once

#include <QAbstractButton>
#include <QTest>
#include <algorithm>

// Plays what a user does in a dialog: each step is "Escape" or the caption of a button or
// a box on show ("Apply", "Save Message", a user's name), clicked where a user clicks it
// (the middle of a wide box with a short name is empty space).
inline void playDialog(QWidget &dialog, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (step == QLatin1String("Escape")) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            continue;
        }
        const auto buttons = dialog.findChildren<QAbstractButton *>();
        const auto named = std::find_if(buttons.begin(), buttons.end(),
            [&](QAbstractButton *b) { return b->isVisible() && b->text().remove(u'&') == step; });
        QVERIFY2(named != buttons.end(), qPrintable(step));
        QTest::mouseClick(*named, Qt::LeftButton, {}, QPoint(8, (*named)->height() / 2));
    }
}
