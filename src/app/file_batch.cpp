// Several dropped files in one run: the plan with its replace questions, the run, and the summary.
#include "app/file_batch.h"

#include "app/notice_text.h"
#include "app/operation_runner.h"
#include "operations/file_routines.h"
#include "operations/target_names.h"
#include "ui/application.h"
#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelvara {

namespace {
// The translation context of the run's texts.
struct FileBatch {
    Q_DECLARE_TR_FUNCTIONS(kelvara::FileBatch)
};

// Collects what a routine tells about one file instead of showing it, and moves the run's bar with its bytes.
class CollectingInterface final : public UserInterface {
public:
    CollectingInterface(RunInterface& ui, const QString& text, long long before, long long total)
        : m_ui(ui), m_text(text), m_before(before), m_total(total) {}

    void notify(const Notice& notice) override { reasons << noticeText(notice); }
    bool confirmFolderRun(Direction, const std::filesystem::path&, const std::filesystem::path&) override {
        return false;
    }
    void progressBegin(ProgressPhase, long long) override {}
    void progressPosition(long long) override {}
    void progressEnd() override {}
    void fileProgress(std::uint64_t done, std::uint64_t) override {
        m_ui.progressStep(m_text, m_before + static_cast<long long>(done), m_total);
    }

    QStringList reasons;

private:
    RunInterface& m_ui;
    const QString& m_text;
    long long m_before;
    long long m_total;
};

// German and English both tell one file from several; each count has a text of its own for either form.
QString encryptedCount(int count) {
    return count == 1 ? FileBatch::tr("1 Datei verschlüsselt") : FileBatch::tr("%1 Dateien verschlüsselt").arg(count);
}

QString decryptedCount(int count) {
    return count == 1 ? FileBatch::tr("1 Datei entschlüsselt") : FileBatch::tr("%1 Dateien entschlüsselt").arg(count);
}

QString summary(int encrypted, int decrypted, const QStringList& skipped) {
    QStringList parts;
    if (encrypted > 0)
        parts << encryptedCount(encrypted);
    if (decrypted > 0)
        parts << decryptedCount(decrypted);
    if (parts.isEmpty())
        parts << FileBatch::tr("Keine Datei verarbeitet");
    if (skipped.isEmpty())
        return parts.join(QStringLiteral(", "));
    parts << FileBatch::tr("%1 übersprungen").arg(skipped.size());
    // The message box must fit on the screen: a long list is cut short and says how many are left out.
    constexpr qsizetype listed = 15;
    QStringList lines = skipped.mid(0, listed);
    if (skipped.size() > listed)
        lines << FileBatch::tr("… und %1 weitere").arg(skipped.size() - listed);
    return parts.join(QStringLiteral(", ")) + QStringLiteral(":\n") + lines.join(QLatin1Char('\n'));
}
} // namespace

std::filesystem::path toFileSystemPath(const QString& path) {
#ifdef Q_OS_WIN
    // Qt's dialogs give "/"; the core's messages show the path as Windows writes it.
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}
std::optional<QList<BatchFile>> planFileBatch(const QStringList& sources, Dialogs& dialogs, QWidget* parent) {
    QList<BatchFile> files;
    bool replaceAll = false;
    for (const QString& source : sources) {
        BatchFile file;
        file.source = source;
        file.decrypt = hasEncryptedExtension(source.toStdU16String());
        const std::u16string name = file.decrypt ? proposeDecryptedName(source.toStdU16String())
                                                 : proposeEncryptedName(source.toStdU16String());
        file.target = QFileInfo(source).absolutePath() + QLatin1Char('/') + QString::fromStdU16String(name);
        // A folder or another non-file at the target is refused by the routine; there is nothing to ask.
        const QFileInfo target(file.target);
        if (target.exists() && target.isFile()) {
            Dialogs::ReplaceAnswer answer = Dialogs::ReplaceAnswer::replaceAll;
            if (!replaceAll)
                answer = dialogs.replaceQuestion(parent, FileBatch::tr("Die Datei existiert bereits:\n%1\n"
                                                                       "Soll sie ersetzt werden ?")
                                                             .arg(QDir::toNativeSeparators(file.target)));
            switch (answer) {
            case Dialogs::ReplaceAnswer::cancel:
                return std::nullopt;
            case Dialogs::ReplaceAnswer::keep:
                break;
            case Dialogs::ReplaceAnswer::replaceAll:
                replaceAll = true;
                file.replaceExisting = true;
                break;
            case Dialogs::ReplaceAnswer::replace:
                file.replaceExisting = true;
                break;
            }
        }
        files << file;
    }
    return files;
}

void runFileBatch(const QList<BatchFile>& files, std::u16string_view password, RunInterface& ui) {
    // Each file counts one more than its bytes, so that empty files move the bar too.
    QList<long long> weights;
    long long total = 0;
    for (const BatchFile& file : files) {
        weights << QFileInfo(file.source).size() + 1;
        total += weights.constLast();
    }

    int encrypted = 0;
    int decrypted = 0;
    QStringList skipped;
    long long before = 0;
    QString text;
    for (qsizetype index = 0; index < files.size(); ++index) {
        const BatchFile& file = files[index];
        text = (file.decrypt ? FileBatch::tr("Datei %1 von %2 wird entschlüsselt !")
                             : FileBatch::tr("Datei %1 von %2 wird verschlüsselt !"))
                   .arg(index + 1)
                   .arg(files.size());
        ui.progressStep(text, before, total);
        CollectingInterface collector(ui, text, before, total);
        FileResult result = FileResult::outputError;
        try {
            const std::filesystem::path input = toFileSystemPath(file.source);
            const std::filesystem::path output = toFileSystemPath(file.target);
            const Existing existing = file.replaceExisting ? Existing::replace : Existing::keep;
            result = transformSingleFile(file.decrypt ? Direction::decrypt : Direction::encrypt, input, output,
                                         password, Report::failures, collector, existing);
        } catch (...) {
            collector.reasons << describeCurrentException();
        }
        if (result == FileResult::success)
            ++(file.decrypt ? decrypted : encrypted);
        else
            skipped << QDir::toNativeSeparators(file.source) + QStringLiteral(": ") +
                           collector.reasons.join(QStringLiteral("; "));
        before += weights[index];
    }
    ui.progressStep(text, total, total);
    ui.progressEnd();
    ui.showMessage(summary(encrypted, decrypted, skipped));
}

} // namespace kelvara
