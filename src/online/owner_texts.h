// The maker's particulars that only the product owner can supply, read from one file of owner texts.
#pragma once

#include <QString>

namespace kelvara {

struct OwnerTexts {
    QString tradingName;       // trading name and owner
    QString responsiblePerson; // person responsible for data protection
    QString street;
    QString postcodeAndTown;
    QString country;
    QString vatNumber; // VAT identification number, without the "UID: " prefix
    QString telephone;
    QString fax;
    QString email;
    QString website;   // an https address
    QString copyright; // copyright line with year and name
    QString pgpKey;    // where the maker's public OpenPGP key can be had

    // Reads the owner texts from the program's resources (":/online/owner.ini").
    static OwnerTexts fromResources();
    // Reads them from an INI file with the same keys; missing keys stay empty.
    static OwnerTexts fromFile(const QString& path);

    // Replaces every "{key}" in text by the value of that key (for the privacy statement).
    QString fillIn(QString text) const;
};

} // namespace kelvara
