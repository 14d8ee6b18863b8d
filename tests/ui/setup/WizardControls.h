#pragma once

#include "app/PasswordOwner.h"
#include "platform/KeychainSecretStore.h"
#include "support/DataColumns.h"
#include "support/ModalSteps.h"
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

// The set-up wizard, played as a user plays it; every settings write and the way the wizard
// ended are recorded. Steps: "open MODE [USER]" (first, add, name, mail, phone, defaults);
// "next|back|type [A;B]" (with a space: typed into the page's boxes from the first, then the
// button); "cancel", "esc", "close", "return"; "answer No|Yes" (to the next question); "found
// FOLDER" (the first run finds the account of tests/data/mail/FOLDER); "keep SECTION" (the
// keyring holds KEPT). "adv" opens Advanced..., where the steps after it play: "sec N"
// (none, STARTTLS, TLS), "type PORT;LOGIN;PASSWORD", "ok", "cancel". Checks (see shown()):
// look, instruction (its button's word), shown, writes, ended, dialog, SECTION/KEY (a
// setting), @SECTION ("keyring|login|sent or withheld"). PW and KEPT stand for two passwords.
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
            wizard.begin(
                Mode(modes.indexOf(rest.section(' ', 0, 0))), rest.section(' ', 1).toInt());
            wizard.show();
        } else if (d && verb == "type") {
            for (int i = 0; i < 3; ++i)
                if (i < 2 || d->passwordEdit->isVisible())
                    retype(
                        std::array { d->portEdit, d->loginEdit, d->passwordEdit }[i], parts.at(i));
        } else if (verb == "next" || verb == "back" || verb == "type") {
            for (int i = 0; !rest.isNull() && i < parts.size(); ++i)
                retype(wizard.currentPage()->boxes().at(i), parts.at(i));
            if (verb != "type")
                QTest::mouseClick(button(verb + "Button"), Qt::LeftButton);
        } else if (verb == "ok" || verb == "cancel") {
            QTest::mouseClick(button(verb + "Button"), Qt::LeftButton);
        } else if (verb == "esc" || verb == "return") {
            QTest::keyClick(wizard.currentPage()->boxes().first(),
                verb == "esc" ? Qt::Key_Escape : Qt::Key_Return);
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
        } else if (verb == "keep") {
            QVERIFY(keyringAnswer(rest, Kept).ok);
        } else if (verb == "adv") {
            within(*wizard.findChild<ServerOptionsDialog *>(),
                [&] { QTest::mouseClick(button("advancedButton"), Qt::LeftButton); });
        } else {
            QFAIL(qPrintable("no such step: " + verb));
        }
    }

    // "look": "title|Next's caption|Back shown|status line"; "dialog": "security checked
    // (-1: none)|port|port placeholder|login|password placeholder (- with no password box)".
    QString shown(const QString &what) override
    {
        const QWidget *page = wizard.currentPage();
        const auto *d = qobject_cast<ServerOptionsDialog *>(in);
        L texts;
        if (what == "look") {
            const auto *status = page->findChild<QLabel *>("statusLabel");
            texts << wizard.windowTitle() << button("nextButton")->text()
                  << QString::number(button("backButton")->isVisible())
                  << (status ? status->text() : "");
        } else if (what == "instruction") {
            const QString text = page->findChild<QLabel *>("instructionLabel")->text();
            return text == Instruction.arg(text.section(' ', 6, 6)) ? text.section(' ', 6, 6)
                                                                    : text;
        } else if (what == "writes" || what == "shown") {
            for (QLineEdit *box : wizard.currentPage()->boxes())
                texts << box->text();
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
            const SecretStore::Result kept = keyringAnswer(what.mid(1));
            const QString login = env.settings.readSetting(what.mid(1), "Login", {});
            const bool sent = PasswordOwner::belongsTo(env.settings, what.mid(1), login);
            texts << (kept.notFound ? "<none>"
                    : kept.ok       ? kept.password
                                    : kept.error)
                  << shown(what.mid(1) + "/Login") << (sent ? "sent" : "withheld");
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
        return (in ? static_cast<QWidget *>(in) : &wizard)->findChild<QPushButton *>(name);
    }
    // Replaces what a box holds, as a user does.
    static void retype(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    using Mode = SetupWizard::Mode;
    SetupWizard wizard { env.program };
    L writes;
    int ended = -1; // the outcome once finished
};
