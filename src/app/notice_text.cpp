// German message texts for the notices. The single-file texts stand alone as the window has always shown
// them; the others name the file or folder and the system's reason.
#include "app/notice_text.h"

#include <QDir>

namespace kelvara {
namespace {

QString shown(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(pathText(path)));
}

QString withReason(const QString& text, const Notice& notice) {
    QString result = text + QStringLiteral(": ") + shown(notice.path);
    if (!notice.reason.empty())
        result += QStringLiteral(": ") + QString::fromStdString(notice.reason);
    return result;
}

} // namespace

QString noticeText(const Notice& notice) {
    const bool decrypting = notice.decrypting;
    const QString input = decrypting ? QStringLiteral("Datei (Eingang)") : QStringLiteral("Datei (Eingabe)");
    const QString output = decrypting ? QStringLiteral("Datei (Ausgang)") : QStringLiteral("Datei (Ausgabe)");
    switch (notice.kind) {
    case NoticeKind::inputOpenFailed:
        return input + QStringLiteral(" kann nicht geöffnet werden");
    case NoticeKind::outputOpenFailed:
        return output + QStringLiteral(" kann nicht geöffnet werden");
    case NoticeKind::outputNotRegular:
        return output + QStringLiteral(" kann nicht geöffnet werden: ") + shown(notice.path) +
               QStringLiteral(" ist keine gewöhnliche Datei und wird nie ersetzt.");
    case NoticeKind::outputExists:
        return output + QStringLiteral(" existiert bereits und wird nicht ersetzt: ") + shown(notice.path);
    case NoticeKind::outputLinkRefused:
        return output + QStringLiteral(" kann nicht geöffnet werden: ") + shown(notice.path) +
               QStringLiteral(" ist eine symbolische Verknüpfung eines anderen Benutzers in einem gemeinsamen "
                              "Ordner; ihr wird nicht gefolgt, es wurde nichts geschrieben.");
    case NoticeKind::sameFile:
        return QStringLiteral("Quelle und Ziel sind dieselbe Datei: %1\n"
                              "Bitte wählen Sie für das Ergebnis einen anderen Namen.")
            .arg(shown(notice.other));
    case NoticeKind::readFailed:
        return withReason(input + QStringLiteral(" kann nicht gelesen werden"), notice);
    case NoticeKind::writeFailed:
        return withReason(output + QStringLiteral(" kann nicht geschrieben werden"), notice);
    case NoticeKind::inputChanged:
        return input + QStringLiteral(" wurde während des Lesens verändert, es wurde nichts geschrieben: ") +
               shown(notice.path);
    case NoticeKind::notEncrypted:
        return QStringLiteral("Die Datei ist keine verschlüsselte Datei (kürzer als 32 Byte): ") + shown(notice.path);
    case NoticeKind::wrongPassword:
        return QStringLiteral("Falsches Passwort");
    case NoticeKind::encrypted:
        return QStringLiteral("Datei verschlüsselt");
    case NoticeKind::decrypted:
        return QStringLiteral("File decrypted");
    case NoticeKind::unexpectedFailure:
        return withReason(QStringLiteral("Datei kann nicht verarbeitet werden"), notice);
    case NoticeKind::sourceFolderUnreadable:
        return withReason(QStringLiteral("Quellordner kann nicht gelesen werden"), notice);
    case NoticeKind::mirrorMeetsSource:
        return QStringLiteral("Zielordner ungeeignet: die Ausgabe %1 würde den Quellordner %2 treffen. "
                              "Nichts wurde angelegt.")
            .arg(shown(notice.other), shown(notice.path));
    case NoticeKind::folderUnreadable:
        return withReason(QStringLiteral("Kann nicht gelesen werden und wird ausgelassen"), notice);
    case NoticeKind::mirrorFolderFailed:
        return withReason(QStringLiteral("Ordner kann nicht angelegt werden"), notice);
    case NoticeKind::mirrorLink:
        return QStringLiteral("Im Zielordner steht eine symbolische Verknüpfung, durch die nicht geschrieben "
                              "wird: ") +
               shown(notice.path);
    case NoticeKind::specialFileSkipped:
        return shown(notice.path) + QStringLiteral(" ist keine gewöhnliche Datei und wird übersprungen.");
    }
    return shown(notice.path);
}

QString phaseText(ProgressPhase phase) {
    switch (phase) {
    case ProgressPhase::structure:
        return QStringLiteral("Ordnerstruktur wird erstellt !");
    case ProgressPhase::encrypting:
        return QStringLiteral("Daten werden verschlüsselt !");
    case ProgressPhase::decrypting:
        return QStringLiteral("Daten werden entschlüsselt !");
    }
    return {};
}

// The folders as they were chosen, so that the user recognises them.
QString folderQuestionText(bool decrypting, const std::filesystem::path& source, const std::filesystem::path& target) {
    return QStringLiteral("Sollen die Daten von ") + QString::fromStdString(pathText(source)) +
           QStringLiteral(" nach ") + QString::fromStdString(pathText(target)) +
           (decrypting ? QStringLiteral(" entschlüsselt werden ?") : QStringLiteral(" verschlüsselt werden ?"));
}

} // namespace kelvara
