#include "ui/setup/FrmServerOptions.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "delivery/SmtpWire.h"
#include "platform/MessageBoxes.h"
#include "ui/setup/TolvaneIcon.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

using Security = MailServerOptions::Security;

constexpr std::array<Security, 3> Choices = { Security::None, Security::StartTls, Security::Tls };

// The port written into the "SMTP" setting; empty when it names none.
QString portInAddress(const QString &address)
{
    const auto server = SmtpWire::ParseServerAddress(address);
    return server && server->portGiven ? QString::number(server->port) : QString();
}

} // namespace

FrmServerOptions::FrmServerOptions(Program &program, QWidget *parent)
    : QDialog(parent)
    , p(program)
{
    setObjectName(QStringLiteral("frmServerOptions"));
    setWindowTitle(QStringLiteral("Tolvane - Advanced Email Settings"));
    setWindowIcon(TolvaneIcon());
    setWindowModality(Qt::ApplicationModal);

    auto *security = new QVBoxLayout;
    security->setSpacing(4);
    m_security = new QButtonGroup(this);
    const char *texts[] = { "&None (plain SMTP, no login)", "&STARTTLS", "&TLS from the start" };
    for (int i = 0; i < int(optSecurity.size()); ++i) {
        optSecurity[i] = new QRadioButton(QString::fromLatin1(texts[i]), this);
        optSecurity[i]->setObjectName(QStringLiteral("optSecurity_%1").arg(i));
        m_security->addButton(optSecurity[i], i);
        security->addWidget(optSecurity[i]);
    }
    connect(m_security, &QButtonGroup::idToggled, this, [this] { showUsualPort(); });

    auto box = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    txtPort = box("txtPort");
    txtPort->setMaxLength(5);
    txtPort->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000")) * 2);
    txtLogin = box("txtLogin");
    txtPassword = box("txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);

    m_rows = new QFormLayout;
    m_rows->setLabelAlignment(Qt::AlignLeft);
    m_rows->addRow(QStringLiteral("Security:"), security);
    m_rows->addRow(QStringLiteral("&Port:"), txtPort);
    m_rows->addRow(QStringLiteral("&Login:"), txtLogin);
    m_rows->addRow(QStringLiteral("Pass&word:"), txtPassword);

    lblKeyring = new QLabel(QStringLiteral("The password is kept only in the desktop's keyring, "
                                           "never in Tolvane's own files."),
        this);
    lblKeyring->setObjectName(QStringLiteral("lblKeyring"));
    lblKeyring->setWordWrap(true);
    m_rows->addRow(QString(), lblKeyring);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addSpacing(8);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_rows);
    layout->addStretch(1);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setFixedWidth(380);

    connect(cmdOK, &QPushButton::clicked, this, &FrmServerOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<FrmServerOptions::Choice> FrmServerOptions::Edit(
    const MailServerOptions &current, const QString &smtpAddress, PasswordUse use)
{
    m_current = current;
    m_smtpAddress = smtpAddress;
    m_use = use;
    m_choice.reset();
    Form_Load();
    // Only OK sets a choice; Cancel, Esc and the close box leave none.
    exec();
    txtPassword->clear(); // not kept in a hidden window
    return m_choice;
}

void FrmServerOptions::Form_Load()
{
    // A hand-typed security that means none of the three checks no button: OK then asks
    // for a choice rather than guessing one.
    m_security->setExclusive(false);
    for (int i = 0; i < int(Choices.size()); ++i)
        optSecurity[i]->setChecked(Choices[i] == m_current.security);
    m_security->setExclusive(true);
    txtPort->setText(m_current.port);
    txtLogin->setText(m_current.login);
    txtPassword->clear();
    txtPassword->setPlaceholderText(
        m_use == PasswordUse::Kept ? QStringLiteral("Unchanged") : QString());
    m_rows->setRowVisible(txtPassword, m_use != PasswordUse::None);
    m_rows->setRowVisible(lblKeyring, m_use != PasswordUse::None);
    showUsualPort();
    // The height follows the rows on show; the user cannot stretch it.
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    adjustSize();
    setFixedHeight(height());
    optSecurity[0]->setFocus();
}

MailServerOptions::Security FrmServerOptions::chosenSecurity() const
{
    const int id = m_security->checkedId();
    return id < 0 ? Security::Unknown : Choices[id];
}

void FrmServerOptions::showUsualPort()
{
    const QString written = portInAddress(m_smtpAddress);
    const Security security = chosenSecurity();
    txtPort->setPlaceholderText(written.isEmpty() ? QString::number(MailServerOptions::usualPort(
                                    security == Security::Unknown ? Security::None : security))
                                                  : written);
}

bool FrmServerOptions::refuse(const QString &text, QWidget *focus)
{
    p.boxes.show(QStringLiteral("Advanced Email Settings"), text, MessageBoxes::Icon::Critical,
        MessageBoxes::Buttons::Ok, this);
    focus->setFocus();
    return false;
}

void FrmServerOptions::cmdOK_Click()
{
    Trap(p, "frmServerOptions.cmdOK_Click", [&] {
        const Security security = chosenSecurity();
        const QString port = txtPort->text().trimmed();
        const QString login = txtLogin->text().trimmed();
        const QString password = txtPassword->text();
        if (security == Security::Unknown) {
            refuse(QStringLiteral("Please choose how the connection to the mail server is "
                                  "secured."),
                optSecurity[0]);
            return;
        }
        if (!port.isEmpty() && !SmtpWire::ParsePort(port)) {
            refuse(QStringLiteral("The port must be a number from 1 to 65535.  Leave it empty "
                                  "for the usual port."),
                txtPort);
            return;
        }
        if (!login.isEmpty() && security == Security::None) {
            refuse(QStringLiteral("A login needs a secure connection: choose STARTTLS or TLS "
                                  "from the start, or leave the login empty.  Tolvane never "
                                  "sends a password over a clear connection."),
                optSecurity[1]);
            return;
        }
        if (login.isEmpty() && !password.isEmpty()) {
            refuse(QStringLiteral("Please enter the login name that goes with the password."),
                txtLogin);
            return;
        }
        m_choice = Choice { { security, port, login }, password };
        accept();
    });
}
