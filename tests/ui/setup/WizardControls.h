// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/PasswordOwner.h"
#include "platform/KeychainSecretStore.h"
#include "support/ModalSteps.h"
#include "ui/common/DialogPlacement.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/ServerOptionsDialog.h"
#include "ui/setup/SetupWizard.h"
#include "ui/setup/SplashScreen.h"
#include "ui/setup/ThunderbirdAccounts.h"
#include "ui/setup/WizardPage.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

using L = QStringList;

// The desktop keyring's answer to a read, or to a write of the password given (an empty
// one removes); the store answers by itself in the end (KeychainSecretStore::Patience).
inline SecretStore::Result keyringAnswer(const QString &key, std::optional<QString> write = {})
{
    KeychainSecretStore keyring;
    QObject context;
    std::optional<SecretStore::Result> answer;
    const auto done = [&](const SecretStore::Result &result) { answer = result; };
    if (!write)
        keyring.readPassword(key, &context, done);
    else if (write->isEmpty())
        keyring.removePassword(key, &context, done);
    else
        keyring.writePassword(key, *write, &context, done);
    while (!answer)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return *answer;
}

// The set-up wizard, played as a user plays it; every settings write and the way the wizard
// ended are recorded; the splash at start, with two dialogs of other layers and a main window
// that records when it was shown. Steps: "open MODE [USER]" (first, add, name, mail, phone,
// defaults); "start [MS [first small]]" (the splash, standing MS, with its first run);
// "wait" (for the wizard or the hand-over); "about"; "move" (the dialogs, to 7,9);
// "next|back|type [A;B]" (with a space: typed into the page's boxes from the first, then the
// button); "cancel", "esc", "return", "ok" (in the About box too); "answer No|Yes" (to the next
// question); "found FOLDER" (the first run finds the account of tests/data/mail/FOLDER); "keep
// SECTION" (the keyring holds KEPT). "adv" opens Advanced..., where the steps after it play: "sec
// N" (none, STARTTLS, TLS), "type PORT;LOGIN;PASSWORD", "ok", "cancel". Checks (see shown()): look,
// shown, heard (the boxes' names to a screen reader), writes, ended, dialog, splash, about (what
// shows of its OK, version and licence's first line), placed, SECTION/KEY (a setting), @SECTION
// ("keyring|login|sent or withheld"). PW and KEPT stand for two passwords.
struct WizardFlow : StepScript {
    static inline const QString Password = QStringLiteral("Pw-7f3q!x");
    static inline const QString Kept = QStringLiteral("kept-Pw-41");
    static inline const QString Instruction
        = QStringLiteral("If this is correct, click the %1 button below.  Otherwise, make any "
                         "necessary changes and click the %1 button.");

    WizardFlow()
    {
        wizard.accountName = [] { return QStringLiteral("alice"); };
        env.settings.written
            = [this](const QString &section, const QString &key) { writes << section + '/' + key; };
        QObject::connect(&wizard, &QDialog::finished, [this](int outcome) { ended = outcome; });
        QObject::connect(&splash, &SplashScreen::firstRunSetUp, [this] { ++setUps; });
        entryDialog.resize(500, 400);
        userPicker.resize(300, 350);
        splash.setHooks({ [this] { return dialogs().mid(1); },
            [this] {
                const qint64 ms = sinceStart.elapsed();
                mains << (wizard.isVisible()      ? "over the wizard"
                        : ms >= 1900 && ms < 3000 ? "2s"
                                                  : QString::number(ms));
            } });
    }

    void play(QString script)
    {
        StepScript::play(script.replace("PW", Password).replace("KEPT", Kept));
    }

    void act(const QString &verb, const QString &rest) override
    {
        const L parts = rest.split(';');
        auto *d = qobject_cast<ServerOptionsDialog *>(in);
        if (verb == "open") {
            writes.clear();
            const L modes { "first", "add", "name", "mail", "phone", "defaults" };
            wizard.begin(SetupWizard::Mode(modes.indexOf(rest.section(' ', 0, 0))),
                rest.section(' ', 1).toInt());
            wizard.show();
        } else if (L { "next", "back", "type", "ok", "cancel" }.contains(verb)) {
            const auto boxes = d ? QList { d->portEdit, d->loginEdit, d->passwordEdit }
                                 : wizard.currentPage()->boxes();
            for (int i = 0; !rest.isNull() && i < parts.size(); ++i)
                if (boxes.at(i)->isVisible()) { // not the password box without a secure connection
                    boxes.at(i)->selectAll(); // replaced as a user replaces what a box holds
                    QTest::keyClick(boxes.at(i), Qt::Key_Delete);
                    QTest::keyClicks(boxes.at(i), parts.at(i));
                }
            if (verb != "type")
                QTest::mouseClick(button(verb + "Button"), Qt::LeftButton);
        } else if (verb == "esc" || verb == "return") {
            QTest::keyClick(splash.isAbout()
                    ? &splash
                    : static_cast<QWidget *>(wizard.currentPage()->boxes().first()),
                verb == "esc" ? Qt::Key_Escape : Qt::Key_Return);
        } else if (verb == "sec") {
            QTest::mouseClick(d->securityButtons[rest.toInt()], Qt::LeftButton, {}, QPoint(8, 8));
        } else if (verb == "start") {
            env.program.firstRun = env.program.startSmall = rest.contains("first");
            if (!rest.isNull())
                splash.setStandingTime(rest.section(' ', 0, 0).toInt());
            sinceStart.start();
            splash.start();
        } else if (verb == "wait") {
            QTRY_VERIFY_WITH_TIMEOUT(splash.isDone() || wizard.isVisible(), 5000);
        } else if (verb == "move") {
            for (QWidget *dialog : dialogs())
                dialog->move(7, 9);
        } else if (verb == "about") {
            splash.showAbout();
            QTest::qWait(50);
        } else if (verb == "answer") {
            env.boxes.queueAnswer(
                rest == "Yes" ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::No);
        } else if (verb == "found") {
            const QString folder = qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/tests/data/mail/";
            wizard.mailAccountGuess
                = [=] { return searchMailAccounts(thunderbirdAccounts(folder + rest), {}); };
        } else if (verb == "keep") {
            QVERIFY(keyringAnswer(rest, Kept).ok);
        } else if (verb == "adv") {
            within(*wizard.findChild<ServerOptionsDialog *>(),
                [&] { QTest::mouseClick(button("advancedButton"), Qt::LeftButton); });
        } else {
            QFAIL(qPrintable("no such step: " + verb));
        }
    }

    // "look": "title|Next's caption|Back shown|status line|instruction (its button's word)";
    // "dialog": "security checked (-1: none)|port|port placeholder|login|password placeholder
    // (- with no password box)".
    QString shown(const QString &what) override
    {
        const WizardPage *page = wizard.currentPage();
        const auto *d = qobject_cast<ServerOptionsDialog *>(in);
        L texts;
        if (what == "look") {
            const auto *status = page->findChild<QLabel *>("statusLabel");
            const auto *instruction = page->findChild<QLabel *>("instructionLabel");
            const QString said = instruction ? instruction->text() : "",
                          word = said.section(' ', 6, 6);
            texts << wizard.windowTitle() << button("nextButton")->text()
                  << QString::number(button("backButton")->isVisible())
                  << (status ? status->text() : "")
                  << (said == Instruction.arg(word) ? word : said);
        } else if (what == "writes" || what == "shown" || what == "heard") {
            for (QLineEdit *box : page->boxes())
                texts << (what == "shown"
                        ? box->text()
                        : QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name));
            return (what == "writes" ? writes : texts).join(';');
        } else if (what == "ended") {
            return wizard.isVisible() ? "open"
                                      : L { "Cancelled", "Completed", "Abandoned" }.value(ended);
        } else if (what == "dialog") {
            texts << "-1" << d->portEdit->text() << d->portEdit->placeholderText()
                  << d->loginEdit->text() << "-";
            for (int i = 0; i < 3; ++i)
                texts[0] = d->securityButtons[i]->isChecked() ? QString::number(i) : texts[0];
            if (d->passwordEdit->isVisible())
                texts[4] = d->passwordEdit->placeholderText();
            if (d->passwordEdit->isVisible() != d->keyringNote->isVisible())
                texts << "keyring note?";
        } else if (what.startsWith('@')) {
            const QString section = what.mid(1),
                          login = env.settings.readSetting(section, "Login", {});
            const SecretStore::Result kept = keyringAnswer(section);
            texts << (kept.notFound ? "<none>"
                    : kept.ok       ? kept.password
                                    : kept.error)
                  << shown(section + "/Login")
                  << (PasswordOwner::belongsTo(env.settings, section, login) ? "sent" : "withheld");
        } else if (what == "splash") {
            for (bool shown :
                { splash.isVisible(), splash.isAbout(), splash.isDone(), env.program.firstRun })
                texts << QString::number(shown);
            texts << mains.join(' ') << QString::number(setUps);
        } else if (what == "about") {
            if (button("okButton")->isVisible())
                texts << button("okButton")->text();
            for (const char *name : { "versionLabel", "licenceLabel" })
                if (const auto *label = splash.findChild<QLabel *>(name); label->isVisible())
                    texts << label->text().section('\n', 0, 0);
        } else if (what == "placed") {
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            for (const QWidget *dialog : dialogs())
                texts << (dialog->pos() == dialogPosition(screen, dialog->size())
                        ? "placed"
                        : QString("%1,%2").arg(dialog->x()).arg(dialog->y()));
        } else if (what.contains('/')) {
            return env.settings.readSetting(
                what.section('/', 0, 0), what.section('/', 1), "<absent>");
        } else {
            return StepScript::shown(what);
        }
        return texts.join('|');
    }

    QPushButton *button(const QString &name) const
    {
        const QWidget *on = in ? in
            : splash.isAbout() ? &splash
                               : static_cast<const QWidget *>(&wizard);
        return on->findChild<QPushButton *>(name);
    }
    QList<QWidget *> dialogs() { return { &wizard, &userPicker, &entryDialog }; }

    SetupWizard wizard { env.program };
    SplashScreen splash { env.program, wizard };
    QWidget entryDialog, userPicker;
    QElapsedTimer sinceStart;
    L writes, mains; // the settings written; when the main window was shown
    int ended = -1; // the outcome once finished
    int setUps = 0; // first runs set up
};
