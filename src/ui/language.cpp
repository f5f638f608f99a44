// Chooses the window's language and installs the translators for it.
#include "ui/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kelvara {

namespace {
bool isGerman(const QString& languageTag) {
    return languageTag.compare(QLatin1String("de"), Qt::CaseInsensitive) == 0 ||
           languageTag.startsWith(QLatin1String("de-"), Qt::CaseInsensitive) ||
           languageTag.startsWith(QLatin1String("de_"), Qt::CaseInsensitive);
}

// A translator owned by the application, installed when its file loads.
bool installTranslator(const QString& fileName, const QStringList& folders) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : folders) {
        if (translator->load(fileName, folder))
            return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}
} // namespace

Language chooseLanguage(const QString& override, const QStringList& uiLanguages) {
    const QString chosen = override.trimmed().toLower();
    if (chosen == QLatin1String("de"))
        return Language::german;
    if (chosen == QLatin1String("en"))
        return Language::english;
    if (uiLanguages.isEmpty() || isGerman(uiLanguages.constFirst()))
        return Language::german;
    return Language::english;
}

Language languageAtStart() {
    return chooseLanguage(qEnvironmentVariable("KELVARA_LANGUAGE"), QLocale::system().uiLanguages());
}

bool installTranslations(Language language) {
    if (language == Language::english)
        return installTranslator(QStringLiteral("kelvara_en"), {QStringLiteral(":/i18n")});
    // Qt's own texts ("Ja", "Nein", "Abbrechen", the file dialogs) in German; a Windows install's qt.conf makes
    // the program folder, which carries qtbase_de.qm, the translations folder.
    return installTranslator(QStringLiteral("qtbase_de"), {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
}

} // namespace kelvara
