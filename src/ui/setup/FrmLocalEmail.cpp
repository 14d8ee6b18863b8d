#include "ui/setup/FrmLocalEmail.h"

#include "app/Program.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "ui/setup/SetupWizard.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Options = QStringLiteral("Options");
const QString DefaultEmail = QStringLiteral("DefaultEmail");
const QString DefaultSMTP = QStringLiteral("DefaultSMTP");

} // namespace

FrmLocalEmail::FrmLocalEmail(Program &program, SetupWizard &wizard, QWidget *parent)
    : SetupPage(program, wizard, QStringLiteral("frmLocalEmail"), true, parent)
{
    setWindowTitle(QStringLiteral("Tolvane - Email Settings"));
    content->addWidget(addLabel(5, QString()));
    auto *rows = new QGridLayout;
    rows->addWidget(addLabel(2, QStringLiteral("Email Address:")), 0, 0);
    rows->addWidget(addBox(), 0, 1);
    rows->addWidget(addLabel(3, QStringLiteral("SMTP Address:")), 1, 0);
    rows->addWidget(addBox(), 1, 1);
    lblInfo.value(2)->setWordWrap(false);
    lblInfo.value(3)->setWordWrap(false);
    content->addLayout(rows);
    content->addWidget(addLabel(1, QString()));
    content->addStretch(1);
    finishTabOrder();
    Form_Load();
}

void FrmLocalEmail::Form_Load()
{
    trap("Form_Load", [&] {
        QLabel *status = lblInfo.value(5);
        status->setText(QStringLiteral("Please enter your Email settings."));
        if (wizardMode()) {
            cmdBack->setVisible(true);
            setNextCaption(QStringLiteral("&Next"));
        } else {
            cmdBack->setVisible(false);
            setNextCaption(QStringLiteral("&Apply"));
            if (p.EditingDefaults)
                status->setText(QStringLiteral("Please enter your Default Email settings."));
        }
        setInstructionLine(lblInfo.value(1));

        if (p.FirstRun) {
            guessMailAccount();
        } else if (p.AddingUser || p.EditingDefaults) {
            // Only Next stores what the boxes hold; text left with Back gives way to the
            // defaults here.
            txtData.at(0)->setText(p.PendingEmail.isEmpty()
                    ? p.settings.ReadSetting(Options, DefaultEmail, QString())
                    : p.PendingEmail);
            txtData.at(1)->setText(p.PendingSMTP.isEmpty()
                    ? p.settings.ReadSetting(Options, DefaultSMTP, QString())
                    : p.PendingSMTP);
            setTabOrder(txtData.at(0), txtData.at(1));
        } else {
            const QString section = Roster::UserSection(p.SetupUser);
            txtData.at(0)->setText(
                p.settings.ReadSetting(section, QStringLiteral("Email"), QString()));
            txtData.at(1)->setText(
                p.settings.ReadSetting(section, QStringLiteral("SMTP"), QString()));
        }
    });
}

void FrmLocalEmail::guessMailAccount()
{
    const MailAccount found = wizard.mailAccountGuess ? wizard.mailAccountGuess() : MailAccount {};
    if (found.addressFound) {
        lblInfo.value(5)->setText(QStringLiteral("Tolvane guessed your Email settings."));
        txtData.at(0)->setText(p.PendingEmail.isEmpty() ? found.address : p.PendingEmail);
    }
    // An empty confirmed server gives way to the one found; otherwise a confirmed address
    // brings its server back with it. With neither, the box keeps what it holds.
    if (p.PendingSMTP.isEmpty() && found.serverFound)
        txtData.at(1)->setText(found.server);
    else if (!p.PendingEmail.isEmpty())
        txtData.at(1)->setText(p.PendingSMTP);
}

void FrmLocalEmail::cmdNext_Click()
{
    trap("cmdNext_Click", [&] {
        const QString address = txtData.at(0)->text();
        const QString server = txtData.at(1)->text();
        // The first user's settings become the defaults for every later user.
        if (p.EditingDefaults || p.FirstRun) {
            p.settings.WriteSetting(Options, DefaultEmail, address);
            p.settings.WriteSetting(Options, DefaultSMTP, server);
        }
        if (p.EditingDefaults) {
            p.EditingDefaults = false;
            hide();
            return;
        }
        const bool inWizard = wizardMode();
        if (inWizard) {
            p.PendingEmail = address;
            p.PendingSMTP = server;
        } else {
            const QString section = Roster::UserSection(p.SetupUser);
            p.settings.WriteSetting(section, QStringLiteral("Email"), address);
            p.settings.WriteSetting(section, QStringLiteral("SMTP"), server);
        }
        focusFirstBox();
        hide();
        if (inWizard)
            wizard.Open(SetupWizard::Page::CellEmail);
    });
}

void FrmLocalEmail::cmdBack_Click()
{
    trap("cmdBack_Click", [&] {
        focusFirstBox();
        hide();
        wizard.Open(SetupWizard::Page::UserName);
    });
}
