#include "ui/setup/FrmCellEmail.h"

#include "app/MailAddress.h"
#include "app/PasswordOwner.h"
#include "app/Program.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "ui/setup/KeyringPassword.h"
#include "ui/setup/SetupWizard.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

const QString FrmCellEmail::ExampleBlock
    = QStringLiteral("Typically, cellular phone Email addresses appear as follows:\n"
                     "        (10-digit phone number)@(carrier's domain)\n"
                     "For example:  5551234567@sms.carrier.example\n"
                     "You can obtain your Email address from your cellular service provider.");

FrmCellEmail::FrmCellEmail(Program &program, SetupWizard &wizard, QWidget *parent)
    : SetupPage(program, wizard, QStringLiteral("frmCellEmail"), true, parent)
{
    setWindowTitle(QStringLiteral("Tolvane - Cellular Phone Email"));
    content->addWidget(
        addLabel(2, QStringLiteral("Please enter your cellular phone Email address.")));
    content->addWidget(addLabel(1, QStringLiteral("Cellular Phone Email:")));
    content->addWidget(addBox());
    footer->addWidget(addLabel(4, QString()));
    footer->addStretch(1);
    finishTabOrder();
    Form_Load();
}

void FrmCellEmail::Form_Load()
{
    trap("Form_Load", [&] {
        const bool inWizard = wizardMode();
        cmdBack->setVisible(inWizard);
        setNextCaption(inWizard ? QStringLiteral("&Finish") : QStringLiteral("&Apply"));
        lblInfo.value(4)->setText(ExampleBlock);
        txtData.at(0)->setText(p.AddingUser
                ? QString()
                : p.settings.ReadSetting(
                    Roster::UserSection(p.SetupUser), QStringLiteral("CellEmail"), QString()));
    });
}

void FrmCellEmail::cmdNext_Click()
{
    trap("cmdNext_Click", [&] {
        const QString address = txtData.at(0)->text();
        const bool inWizard = wizardMode();
        // Messages for this user are mailed to this address: it must be one.
        if (!IsMailAddress(address)) {
            p.boxes.show(QStringLiteral("Cellular Phone Email"),
                QStringLiteral("Please enter your cellular phone Email address in the form "
                               "number@domain, for example 5551234567@sms.carrier.example."),
                MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
            return;
        }
        if (inWizard && Roster::PhoneAddressInUse(p.settings, address)) {
            p.boxes.show(QStringLiteral("User Name"),
                address
                    + QStringLiteral(" has already been configured.  Please select another "
                                     "cellular phone Email address."),
                MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
            return;
        }
        focusFirstBox();
        // "CellEmail" goes first and "Name" after it: the delivery reads the roster while
        // the wizard runs, and a user counts as configured from its name on.
        const QString section = Roster::UserSection(p.SetupUser);
        p.settings.WriteSetting(section, QStringLiteral("CellEmail"), address);
        std::optional<QString> password;
        QString login;
        if (inWizard) {
            p.settings.WriteSetting(section, QStringLiteral("Name"), p.PendingName);
            p.settings.WriteSetting(section, QStringLiteral("Email"), p.PendingEmail);
            p.settings.WriteSetting(section, QStringLiteral("SMTP"), p.PendingSMTP);
            const MailServerOptions server = p.PendingServer.value_or(MailServerOptions {});
            server.write(p.settings, section);
            login = server.login;
            password = p.PendingPassword;
            // A password left in the keyring under this slot by a user before is not this
            // user's, whatever the login.
            if (!login.isEmpty() && !password)
                PasswordOwner::Disown(p.settings, section);
            p.PendingName.clear();
            p.PendingEmail.clear();
            p.PendingSMTP.clear();
            p.PendingServer.reset();
            p.PendingPassword.reset();
            if (p.FirstRun)
                p.settings.WriteSetting(
                    QStringLiteral("Options"), QStringLiteral("Current User"), QStringLiteral("1"));
        }
        hide();
        // Last, once every setting is on disk and the page is gone: the keyring may take a
        // while to answer. One that fails is told; the user is set up all the same.
        UpdatePassword(p, section, login, password, parentWidget());
    });
}

void FrmCellEmail::cmdBack_Click()
{
    trap("cmdBack_Click", [&] {
        focusFirstBox();
        hide();
        wizard.Open(SetupWizard::Page::LocalEmail);
    });
}
