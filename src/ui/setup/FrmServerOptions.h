#pragma once

#include "app/MailServerOptions.h"

#include <QDialog>
#include <array>
#include <optional>

class Program;
class QButtonGroup;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The "Advanced..." settings of page 2: how the mail server is reached beyond its address
// (the connection's security, a port of its own, a login) and the login's password. It
// edits a copy; the page that opens it decides where the values go once the page itself
// is confirmed, so that the page's Cancel undoes them too.
class FrmServerOptions : public QDialog {
    Q_OBJECT
public:
    // What the password box stands for.
    enum class PasswordUse {
        None, // the defaults for new users carry no password: no box at all
        New, // no password is kept yet
        Kept, // one is kept already: an empty box leaves it as it is
    };

    struct Choice {
        MailServerOptions options;
        QString password; // empty: none typed
    };

    explicit FrmServerOptions(Program &program, QWidget *parent = nullptr);

    // optSecurity[0..2]: None, STARTTLS, TLS from the start.
    std::array<QRadioButton *, 3> optSecurity {};
    QLineEdit *txtPort = nullptr;
    QLineEdit *txtLogin = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLabel *lblKeyring = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // Shows the options modally and returns what OK took, or none after Cancel. The port
    // written in smtpAddress ("host:port") is the one an empty port box stands for.
    std::optional<Choice> Edit(
        const MailServerOptions &current, const QString &smtpAddress, PasswordUse use);

    // Fills the controls with what Edit was given.
    void Form_Load();
    void cmdOK_Click();

private:
    MailServerOptions::Security chosenSecurity() const;
    void showUsualPort();
    bool refuse(const QString &text, QWidget *focus);

    Program &p;
    QButtonGroup *m_security = nullptr;
    QFormLayout *m_rows = nullptr;
    MailServerOptions m_current;
    QString m_smtpAddress;
    PasswordUse m_use = PasswordUse::New;
    std::optional<Choice> m_choice;
};
