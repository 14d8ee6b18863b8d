#include "ui/setup/FrmUserName.h"

#include "app/Program.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "ui/setup/SetupWizard.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

FrmUserName::FrmUserName(Program &program, SetupWizard &wizard, QWidget *parent)
    : SetupPage(program, wizard, QStringLiteral("frmUserName"), false, parent)
{
    setWindowTitle(QStringLiteral("Tolvane - User Name"));
    content->addWidget(addLabel(0, QString()));
    content->addSpacing(6);
    content->addWidget(addLabel(1, QStringLiteral("User Name:")));
    content->addWidget(addBox());
    content->addSpacing(6);
    content->addWidget(addLabel(4, QString()));
    content->addStretch(1);
    finishTabOrder();
    Form_Load();
}

void FrmUserName::Form_Load()
{
    trap("Form_Load", [&] {
        setNextCaption(wizardMode() ? QStringLiteral("&Next") : QStringLiteral("&Apply"));
        setInstructionLine(lblInfo.value(4));
        lblInfo.value(0)->setText(p.FirstRun ? QStringLiteral("Tolvane guessed your User Name.")
                                             : QStringLiteral("Please enter User Name."));
        const QString guess = wizard.accountName ? wizard.accountName() : QString();
        QString name;
        if (p.FirstRun)
            name = p.PendingName.isEmpty() ? guess : p.PendingName;
        else if (p.AddingUser)
            name = p.PendingName;
        else
            name = p.settings.ReadSetting(
                Roster::UserSection(p.SetupUser), QStringLiteral("Name"), guess);
        txtData.at(0)->setText(name);
    });
}

void FrmUserName::cmdNext_Click()
{
    trap("cmdNext_Click", [&] {
        const QString name = txtData.at(0)->text();
        const bool inWizard = wizardMode();
        // An empty name matches every free slot, so it is refused while one is free.
        if (inWizard && Roster::NameInUse(p.settings, name)) {
            p.boxes.show(QStringLiteral("User Name"),
                name + QStringLiteral(" already exists.  Please select another name."),
                MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
            return;
        }
        if (inWizard)
            p.PendingName = name;
        else
            p.settings.WriteSetting(Roster::UserSection(p.SetupUser), QStringLiteral("Name"), name);
        focusFirstBox();
        hide();
        if (inWizard)
            wizard.Open(SetupWizard::Page::LocalEmail);
    });
}
