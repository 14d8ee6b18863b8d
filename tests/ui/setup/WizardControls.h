#pragma once

#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/setup/ServerOptionsDialog.h"
#include "ui/setup/SetupWizard.h"
#include "ui/setup/WizardPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using L = QStringList;
using Mode = SetupWizard::Mode;
Q_DECLARE_METATYPE(SetupWizard::Mode)

// Replaces what the box holds, as a user does.
inline void retype(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// Types into the boxes of the page on show, from the first, then presses a button
// ("nextButton", "backButton", "cancelButton"; none: only types).
inline void press(SetupWizard &wizard, const L &texts, const char *button = "nextButton")
{
    for (int i = 0; i < texts.size(); ++i)
        retype(wizard.currentPage()->boxes().at(i), texts.at(i));
    if (button)
        QTest::mouseClick(wizard.findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
}

inline L shownTexts(SetupWizard &wizard)
{
    L texts;
    for (QLineEdit *box : wizard.currentPage()->boxes())
        texts << box->text();
    return texts;
}

// A line of the page on show by its name ("statusLabel", "instructionLabel").
inline QString line(SetupWizard &wizard, const char *name)
{
    auto *label = wizard.currentPage()->findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QString();
}

// The frame around the page on show: "title|Next caption|Back shown|status line".
inline QString look(SetupWizard &wizard)
{
    return L { wizard.windowTitle(), wizard.findChild<QPushButton *>("nextButton")->text(),
        QString::number(wizard.findChild<QPushButton *>("backButton")->isVisible()),
        line(wizard, "statusLabel") }
        .join('|');
}

// Advanced... on page 2, and what the user does in the dialog while it is up.
inline void advanced(SetupWizard &wizard, const std::function<void(ServerOptionsDialog &)> &act)
{
    ModalSteps steps;
    steps.then(*wizard.findChild<ServerOptionsDialog *>(), act);
    QTest::mouseClick(wizard.findChild<QPushButton *>("advancedButton"), Qt::LeftButton);
    QVERIFY2(steps.finished(), qPrintable(steps.failure));
}

// A program of its own with the wizard, opened without waiting for it; every settings
// write and the way the wizard ended are recorded.
struct WizardTest {
    WizardTest()
    {
        wizard.accountName = [] { return QStringLiteral("alice"); };
        env.settings.written
            = [this](const QString &section, const QString &key) { writes << section + '/' + key; };
        QObject::connect(&wizard, &QDialog::finished, [this](int outcome) { ended = outcome; });
    }
    void open(Mode mode, int user)
    {
        writes.clear();
        wizard.begin(mode, user);
        wizard.show();
    }
    QString read(const QString &key) const
    {
        return env.settings.ReadSetting(key.section('/', 0, 0), key.section('/', 1), "<absent>");
    }
    // The message boxes shown, as "title: text".
    L boxes() const
    {
        L shown;
        for (const auto &box : env.boxes.shown)
            shown << box.title + ": " + box.text;
        return shown;
    }

    TestEnvironment env;
    SetupWizard wizard { env.program };
    L writes;
    int ended = -1; // the outcome once finished
};
