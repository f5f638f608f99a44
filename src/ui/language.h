// The language of the window: German or English, chosen once at start, with the translators that show it.
#pragma once

#include <QString>
#include <QStringList>

namespace kelvara {

enum class Language { german, english };

// "de" or "en" in override (KELVARA_LANGUAGE) decides; anything else is ignored. Otherwise German when the first
// of the system's user-interface languages is German ("de", "de-DE", "de_AT", ...) or there is none, else English.
Language chooseLanguage(const QString& override, const QStringList& uiLanguages);

// The choice for this process: KELVARA_LANGUAGE and QLocale::system().uiLanguages().
Language languageAtStart();

// Installs the translators for language into the running application (which owns them): our English texts, or
// Qt's German texts for its own buttons and dialogs. False when a translation that language needs was not found.
bool installTranslations(Language language);

} // namespace kelvara
