// Confirming the password before encrypting, and the hint about a short one.
#include "app/password_confirmation.h"

#include "operations/password_length.h"
#include "ui/dialogs.h"

#include <QLineEdit>

#include <optional>

namespace kelvara {

QString shortPasswordHint(const QString& password) {
    const QStringView characters(password);
    if (!isShortPassword(std::u16string_view(characters.utf16(), static_cast<std::size_t>(characters.size()))))
        return {};
    return PasswordConfirmation::tr(
               "Kurzes Passwort: mit weniger als %1 Zeichen ist es schnell erraten.\n"
               "Dieses Dateiformat hat kein Salt und eine schnelle Schlüsselableitung, so dass ein "
               "Angreifer sehr viele Passwörter in kurzer Zeit ausprobieren kann.")
        .arg(shortPasswordLimit);
}

PasswordConfirmation::PasswordConfirmation(QLineEdit& field, Dialogs& dialogs)
    : QObject(&field), m_field(field), m_dialogs(dialogs) {
    connect(&field, &QLineEdit::textChanged, this, [this] { m_confirmed = false; });
}

bool PasswordConfirmation::confirm(QWidget* parent) {
    if (m_confirmed)
        return true;
    std::optional<QString> repeated = m_dialogs.repeatPassword(parent, shortPasswordHint(m_field.text()));
    if (!repeated)
        return false;
    const bool same = *repeated == m_field.text();
    repeated->fill(QChar());
    if (!same) {
        m_dialogs.message(parent, tr("Die Passwörter stimmen nicht überein."), {}, Dialogs::Icon::warning);
        return false;
    }
    m_confirmed = true;
    return true;
}

} // namespace kelvara
