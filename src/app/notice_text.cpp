// The message texts for the notices, German with English translations. The single-file texts stand alone as the
// window has always shown them; the others name the file or folder and the system's reason.
#include "app/notice_text.h"

#include <QCoreApplication>
#include <QDir>

namespace kelvara {
namespace {

QString shown(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(pathText(path)));
}

// The translation context of these texts; German is the source language.
struct NoticeText {
    Q_DECLARE_TR_FUNCTIONS(kelvara::NoticeText)
};

QString withReason(const QString& text, const Notice& notice) {
    QString result = text + QStringLiteral(": ") + shown(notice.path);
    if (!notice.reason.empty())
        result += QStringLiteral(": ") + QString::fromStdString(notice.reason);
    return result;
}

} // namespace

QString noticeText(const Notice& notice) {
    const bool decrypting = notice.decrypting;
    const QString input = decrypting ? NoticeText::tr("Datei (Eingang)") : NoticeText::tr("Datei (Eingabe)");
    const QString output = decrypting ? NoticeText::tr("Datei (Ausgang)") : NoticeText::tr("Datei (Ausgabe)");
    switch (notice.kind) {
    case NoticeKind::inputOpenFailed:
        return NoticeText::tr("%1 kann nicht geöffnet werden").arg(input);
    case NoticeKind::outputOpenFailed:
        return NoticeText::tr("%1 kann nicht geöffnet werden").arg(output);
    case NoticeKind::outputNotRegular:
        return NoticeText::tr("%1 kann nicht geöffnet werden: %2 ist keine gewöhnliche Datei und wird nie ersetzt.")
            .arg(output, shown(notice.path));
    case NoticeKind::outputExists:
        return NoticeText::tr("%1 existiert bereits und wird nicht ersetzt: %2").arg(output, shown(notice.path));
    case NoticeKind::outputLinkRefused:
        return NoticeText::tr(
                   "%1 kann nicht geöffnet werden: %2 ist eine symbolische Verknüpfung eines anderen Benutzers "
                   "in einem gemeinsamen Ordner; ihr wird nicht gefolgt, es wurde nichts geschrieben.")
            .arg(output, shown(notice.path));
    case NoticeKind::sameFile:
        return NoticeText::tr("Quelle und Ziel sind dieselbe Datei: %1\n"
                              "Bitte wählen Sie für das Ergebnis einen anderen Namen.")
            .arg(shown(notice.other));
    case NoticeKind::readFailed:
        return withReason(NoticeText::tr("%1 kann nicht gelesen werden").arg(input), notice);
    case NoticeKind::writeFailed:
        return withReason(NoticeText::tr("%1 kann nicht geschrieben werden").arg(output), notice);
    case NoticeKind::inputChanged:
        return NoticeText::tr("%1 wurde während des Lesens verändert, es wurde nichts geschrieben: %2")
            .arg(input, shown(notice.path));
    case NoticeKind::notEncrypted:
        return NoticeText::tr("Die Datei ist keine verschlüsselte Datei (kürzer als 32 Byte): %1")
            .arg(shown(notice.path));
    case NoticeKind::wrongPassword:
        return NoticeText::tr("Falsches Passwort");
    case NoticeKind::encrypted:
        return NoticeText::tr("Datei verschlüsselt");
    case NoticeKind::decrypted:
        return NoticeText::tr("File decrypted");
    case NoticeKind::unexpectedFailure:
        return withReason(NoticeText::tr("Datei kann nicht verarbeitet werden"), notice);
    case NoticeKind::sourceFolderUnreadable:
        return withReason(NoticeText::tr("Quellordner kann nicht gelesen werden"), notice);
    case NoticeKind::mirrorMeetsSource:
        return NoticeText::tr("Zielordner ungeeignet: die Ausgabe %1 würde den Quellordner %2 treffen. "
                              "Nichts wurde angelegt.")
            .arg(shown(notice.other), shown(notice.path));
    case NoticeKind::folderUnreadable:
        return withReason(NoticeText::tr("Kann nicht gelesen werden und wird ausgelassen"), notice);
    case NoticeKind::mirrorFolderFailed:
        return withReason(NoticeText::tr("Ordner kann nicht angelegt werden"), notice);
    case NoticeKind::mirrorLink:
        return NoticeText::tr("Im Zielordner steht eine symbolische Verknüpfung, durch die nicht geschrieben wird: %1")
            .arg(shown(notice.path));
    case NoticeKind::specialFileSkipped:
        return NoticeText::tr("%1 ist keine gewöhnliche Datei und wird übersprungen.").arg(shown(notice.path));
    }
    return shown(notice.path);
}

QString phaseText(ProgressPhase phase) {
    switch (phase) {
    case ProgressPhase::structure:
        return NoticeText::tr("Ordnerstruktur wird erstellt !");
    case ProgressPhase::encrypting:
        return NoticeText::tr("Daten werden verschlüsselt !");
    case ProgressPhase::decrypting:
        return NoticeText::tr("Daten werden entschlüsselt !");
    }
    return {};
}

// The folders as they were chosen, so that the user recognises them.
QString folderQuestionText(bool decrypting, const std::filesystem::path& source, const std::filesystem::path& target) {
    const QString text = decrypting ? NoticeText::tr("Sollen die Daten von %1 nach %2 entschlüsselt werden ?")
                                    : NoticeText::tr("Sollen die Daten von %1 nach %2 verschlüsselt werden ?");
    return text.arg(QString::fromStdString(pathText(source)), QString::fromStdString(pathText(target)));
}

} // namespace kelvara
