#pragma once

#include "ui/entry/FrmUserSelect.h"

#include <QCheckBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>

// Plays what a user does in the picker: each step is a button ("Apply", "Cancel",
// "Escape", "Select All", "Clear All") or the name on a box, whose tick mark is clicked
// where a user clicks it (the middle of a wide box with a short name is empty space).
inline void playPicker(FrmUserSelect &picker, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (step == QLatin1String("Apply"))
            QTest::mouseClick(picker.cmdNext, Qt::LeftButton);
        else if (step == QLatin1String("Cancel"))
            QTest::mouseClick(picker.cmdCancel, Qt::LeftButton);
        else if (step == QLatin1String("Escape"))
            QTest::keyClick(&picker, Qt::Key_Escape);
        else if (step == QLatin1String("Select All"))
            QTest::mouseClick(picker.cmdSelectAll, Qt::LeftButton);
        else if (step == QLatin1String("Clear All"))
            QTest::mouseClick(picker.cmdClearAll, Qt::LeftButton);
        else {
            QCheckBox *named = nullptr;
            for (QCheckBox *box : picker.chkUser)
                if (!box->isHidden() && box->text() == step)
                    named = box;
            QVERIFY2(named, qPrintable(step));
            QTest::mouseClick(named, Qt::LeftButton, {}, QPoint(8, named->height() / 2));
        }
    }
}
