// Asks for the password field's password once more before it is first used to encrypt.
#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QWidget;

namespace kelvara {

class Dialogs;

// The hint under the repeated password: says that a password of fewer than 12 characters is quickly guessed and
// why; empty for a longer one. It speaks of length only, never of strength.
QString shortPasswordHint(const QString& password);

// One mistyped character while encrypting makes data that can never be opened again, so the first use of a
// password for encrypting asks for it once more ("Passwort bestätigen"). A confirmation holds until the field
// changes; only the fact is kept, never the password. Decrypting never asks.
class PasswordConfirmation : public QObject {
    Q_OBJECT

public:
    // Lives with the field.
    PasswordConfirmation(QLineEdit& field, Dialogs& dialogs);

    // True when the field's password may be used to encrypt now: confirmed before, or typed the same once more.
    // A different entry is reported with "Die Passwörter stimmen nicht überein."; Abbrechen says nothing.
    bool confirm(QWidget* parent);

private:
    QLineEdit& m_field;
    Dialogs& m_dialogs;
    bool m_confirmed = false;
};

} // namespace kelvara
