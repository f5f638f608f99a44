// Loads the owner texts and fills them into texts that refer to them as "{key}".
#include "online/owner_texts.h"

#include <QSettings>

#include <array>
#include <utility>

namespace kelvara {

namespace {
// Key in the file of owner texts, and the member it fills.
using Field = std::pair<const char*, QString OwnerTexts::*>;
constexpr std::array<Field, 12> ownerFields{{
    {"tradingName", &OwnerTexts::tradingName},
    {"responsiblePerson", &OwnerTexts::responsiblePerson},
    {"street", &OwnerTexts::street},
    {"postcodeAndTown", &OwnerTexts::postcodeAndTown},
    {"country", &OwnerTexts::country},
    {"vatNumber", &OwnerTexts::vatNumber},
    {"telephone", &OwnerTexts::telephone},
    {"fax", &OwnerTexts::fax},
    {"email", &OwnerTexts::email},
    {"website", &OwnerTexts::website},
    {"copyright", &OwnerTexts::copyright},
    {"pgpKey", &OwnerTexts::pgpKey},
}};
} // namespace

OwnerTexts OwnerTexts::fromResources() {
    return fromFile(QStringLiteral(":/online/owner.ini"));
}

OwnerTexts OwnerTexts::fromFile(const QString& path) {
    QSettings file(path, QSettings::IniFormat);
    file.beginGroup(QStringLiteral("Owner"));
    OwnerTexts texts;
    for (const auto& [key, member] : ownerFields)
        texts.*member = file.value(QLatin1String(key)).toString();
    return texts;
}

QString OwnerTexts::fillIn(QString text) const {
    for (const auto& [key, member] : ownerFields)
        text.replace(QLatin1Char('{') + QLatin1String(key) + QLatin1Char('}'), this->*member);
    return text;
}

} // namespace kelvara
