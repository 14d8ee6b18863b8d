#pragma once

#include "app/PasswordOwner.h"
#include "platform/KeychainSecretStore.h"
#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/setup/MailAccountSearch.h"
#include "ui/setup/ServerOptionsDialog.h"
#include "ui/setup/SetupWizard.h"
#include "ui/setup/ThunderbirdAccounts.h"
#include "ui/setup/WizardPage.h"

#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using L = QStringList;

// The desktop keyring's answer to a read, or to a write of the password given (an empty
// one removes), waited for in an event loop of the test's own; the store answers by itself
// in the end (KeychainSecretStore::Patience).
inline SecretStore::Result keyringAnswer(const QString &key, std::optional<QString> write = {})
{
    KeychainSecretStore keyring;
    QEventLoop loop;
    SecretStore::Result answer;
    const auto done = [&](const SecretStore::Result &result) {
        answer = result;
        loop.quit();
    };
    if (!write)
        keyring.readPassword(key, &loop, done);
    else if (write->isEmpty())
        keyring.removePassword(key, &loop, done);
    else
        keyring.writePassword(key, *write, &loop, done);
    loop.exec();
    return answer;
}

// A program of its own with the set-up wizard, played as a user plays it; every settings
// write and the way the wizard ended are recorded. Steps:
//   "open MODE [USER]" (first, add, name, mail, phone, defaults); "next|back|type [A;B]"
//   (with a space: typed into the page's boxes from the first, then the button); "cancel",
//   "esc", "close", "return"; "answer No|Yes" (to the next question); "found FOLDER" (the
//   first run finds the account of tests/data/mail/FOLDER); "user N NAME PHONE [SENDER
//   SERVER]", "set SECTION/KEY=VALUE", "keep SECTION" (the keyring holds KEPT).
//   "adv" opens Advanced...; the steps after it act there until it closes: "sec N" (none,
//   STARTTLS, TLS), "type PORT;LOGIN;PASSWORD", "ok", "cancel", "esc".
// Checks, "?WHAT EXPECTED": look, instruction (its button's word), shown, writes, boxes,
// icon, ended, dialog (see shown()), SECTION/KEY (a setting), @SECTION ("keyring|login|sent
// or withheld"). PW and KEPT stand for two passwords.
struct WizardFlow {
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
    }

    // Steps are separated by " / ".
    void play(const QString &script)
    {
        m_steps = script.split(" / ");
        for (m_at = 0; m_at < m_steps.size() && !QTest::currentTestFailed();)
            step();
    }

    void step()
    {
        const QString s = QString(m_steps.at(m_at++)).replace("PW", Password).replace("KEPT", Kept);
        const QString verb = s.section(' ', 0, 0), rest = s.section(' ', 1);
        const L parts = rest.split(';');
        ServerOptionsDialog *d = m_dialog;
        if (verb.startsWith('?')) {
            const QString actual = shown(verb.mid(1));
            checkedBoxes |= verb == "?boxes";
            const QString expected = verb == "?instruction" ? Instruction.arg(rest) : rest;
            QVERIFY2(actual == expected, qPrintable(s + "\n   shown: " + actual));
        } else if (verb == "open") {
            writes.clear();
            const L modes { "first", "add", "name", "mail", "phone", "defaults" };
            wizard.begin(Mode(modes.indexOf(parts.first().section(' ', 0, 0))),
                rest.section(' ', 1).toInt());
            wizard.show();
        } else if (d && verb == "type") {
            for (int i = 0; i < 3; ++i)
                if (i < 2 || d->passwordEdit->isVisible())
                    retype(
                        std::array { d->portEdit, d->loginEdit, d->passwordEdit }[i], parts.at(i));
        } else if (verb == "next" || verb == "back" || verb == "type") {
            for (int i = 0; s.contains(' ') && i < parts.size(); ++i)
                retype(wizard.currentPage()->boxes().at(i), parts.at(i));
            if (verb != "type")
                QTest::mouseClick(button(verb + "Button"), Qt::LeftButton);
        } else if (verb == "ok" || verb == "cancel") {
            QTest::mouseClick(button(verb + "Button"), Qt::LeftButton);
        } else if (verb == "esc" || verb == "return") {
            QWidget *at = d ? d->portEdit : wizard.currentPage()->boxes().first();
            QTest::keyClick(at, verb == "esc" ? Qt::Key_Escape : Qt::Key_Return);
        } else if (verb == "sec") {
            QVERIFY2(d, "no dialog");
            QTest::mouseClick(d->securityButtons[rest.toInt()], Qt::LeftButton, {}, QPoint(8, 8));
        } else if (verb == "close") {
            wizard.close();
        } else if (verb == "answer") {
            env.boxes.queueAnswer(
                rest == "Yes" ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::No);
        } else if (verb == "found") {
            const QString folder = qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/tests/data/mail/";
            wizard.mailAccountGuess
                = [=] { return searchMailAccounts(thunderbirdAccounts(folder + rest), {}); };
        } else if (verb == "user") {
            const L u = rest.split(' ') + L { {}, {} };
            env.addUser(u.at(0).toInt(), u.at(1), u.at(2), u.at(3), u.at(4));
        } else if (verb == "set") {
            env.settings.writeSetting(rest.section('/', 0, 0),
                rest.section('/', 1).section('=', 0, 0), rest.section('=', 1));
        } else if (verb == "keep") {
            QVERIFY(keyringAnswer(rest, Kept).ok);
        } else if (verb == "adv") {
            ModalSteps modal;
            auto *dialog = wizard.findChild<ServerOptionsDialog *>();
            modal.then(*dialog, [this, dialog] {
                m_dialog = dialog;
                while (m_at < m_steps.size() && dialog->isVisible() && !QTest::currentTestFailed())
                    step();
                m_dialog = nullptr;
            });
            QTest::mouseClick(button("advancedButton"), Qt::LeftButton);
            QVERIFY2(modal.finished(), qPrintable(modal.failure));
        } else {
            QFAIL(qPrintable("no such step: " + s));
        }
    }

    // "look": "title|Next's caption|Back shown|status line"; "dialog": "security checked
    // (-1: none)|port|port placeholder|login|password placeholder (- with no password box)".
    QString shown(const QString &what) const
    {
        const QWidget *page = wizard.currentPage();
        const auto *d = m_dialog;
        L texts;
        if (what == "look") {
            const auto *status = page->findChild<QLabel *>("statusLabel");
            texts << wizard.windowTitle() << button("nextButton")->text()
                  << QString::number(button("backButton")->isVisible())
                  << (status ? status->text() : "");
        } else if (what == "instruction") {
            return page->findChild<QLabel *>("instructionLabel")->text();
        } else if (what == "writes" || what == "shown") {
            for (QLineEdit *box : wizard.currentPage()->boxes())
                texts << box->text();
            return (what == "writes" ? writes : texts).join(';');
        } else if (what == "icon") {
            return env.boxes.shown.last().icon == MessageBoxes::Icon::Critical ? "Critical" : "";
        } else if (what == "boxes") {
            for (const auto &box : env.boxes.shown)
                texts << box.title + ": " + box.text;
            return texts.join('\n');
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
            const SecretStore::Result kept = keyringAnswer(what.mid(1));
            const QString login = env.settings.readSetting(what.mid(1), "Login", {});
            const bool sent = PasswordOwner::belongsTo(env.settings, what.mid(1), login);
            texts << (kept.notFound ? "<none>"
                    : kept.ok       ? kept.password
                                    : kept.error)
                  << shown(what.mid(1) + "/Login") << (sent ? "sent" : "withheld");
        } else {
            return env.settings.readSetting(
                what.section('/', 0, 0), what.section('/', 1), "<absent>");
        }
        return texts.join('|');
    }

    QPushButton *button(const QString &name) const
    {
        return (m_dialog ? static_cast<QWidget *>(m_dialog) : &wizard)
            ->findChild<QPushButton *>(name);
    }
    // Replaces what a box holds, as a user does.
    static void retype(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    using Mode = SetupWizard::Mode;
    TestEnvironment env;
    SetupWizard wizard { env.program };
    L writes;
    int ended = -1; // the outcome once finished
    bool checkedBoxes = false;

private:
    L m_steps;
    qsizetype m_at = 0;
    ServerOptionsDialog *m_dialog = nullptr;
};
