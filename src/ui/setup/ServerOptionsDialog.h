// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/MailServerOptions.h"

#include <QDialog>
#include <array>
#include <optional>

class AppContext;
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
class ServerOptionsDialog : public QDialog {
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

    explicit ServerOptionsDialog(AppContext &context, QWidget *parent = nullptr);

    // securityButtons[0..2]: None, STARTTLS, TLS from the start.
    std::array<QRadioButton *, 3> securityButtons {};
    QLineEdit *portEdit = nullptr;
    QLineEdit *loginEdit = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QLabel *keyringNote = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;

    // Shows the options modally and returns what OK took, or none after Cancel. The port
    // written in smtpAddress ("host:port") is the one an empty port box stands for.
    std::optional<Choice> edit(
        const MailServerOptions &current, const QString &smtpAddress, PasswordUse use);

private:
    // Fills the controls with what edit() was given.
    void load();
    // OK: takes the choice unless it cannot work, which is refused with the reason.
    void confirm();
    MailServerOptions::Security chosenSecurity() const;
    void showUsualPort();
    bool refuse(const QString &text, QWidget *focus);

    AppContext &m_context;
    QButtonGroup *m_security = nullptr;
    QFormLayout *m_rows = nullptr;
    MailServerOptions m_current;
    QString m_smtpAddress;
    PasswordUse m_use = PasswordUse::New;
    std::optional<Choice> m_choice;
};
