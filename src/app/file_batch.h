// Several files handled in one run: each next to its source under the proposed name, one message at the end.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace kelvara {

class Dialogs;
class RunInterface;

struct BatchFile {
    QString source;
    QString target;
    bool decrypt = false;         // the name ends in ".kvra"
    bool replaceExisting = false; // the user agreed to replace the target
};

// A path of the window as the file system takes it.
std::filesystem::path toFileSystemPath(const QString& path);

// The files in the given order with their targets; each existing target is asked about on the way ("Ja",
// "Nein", "Alle ersetzen"). Nothing when the user chose "Abbrechen": then no file is handled.
std::optional<QList<BatchFile>> planFileBatch(const QStringList& sources, Dialogs& dialogs, QWidget* parent);

// Handles every file in turn on the worker thread, with the progress window counting the bytes of all of them.
// A file that fails (a wrong password, a target that may not be replaced...) is skipped and the run goes on;
// the notices are collected and one message sums the run up.
void runFileBatch(const QList<BatchFile>& files, std::u16string_view password, RunInterface& ui);

} // namespace kelvara
