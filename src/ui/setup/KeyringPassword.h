#pragma once

#include <QString>
#include <optional>

class Program;
class QWidget;

// Applies a change to a user's SMTP password in the desktop's keyring (p.secrets, under
// the user's section name): none leaves it alone, an empty text removes it, any other
// text replaces it as the password of that login. A keyring that cannot do it is told in
// a box with its reason; the password is then kept nowhere else. Returns whether the
// keyring did what was asked.
bool UpdatePassword(Program &p, const QString &section, const QString &login,
    const std::optional<QString> &password, QWidget *parent);
