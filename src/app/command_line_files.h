// "Open with": the files named on the window's command line, handled like files dropped on the "Dateien" panel.
#pragma once

#include <QObject>
#include <QStringList>

#include <optional>

namespace kelvara {

class Dialogs;
class MainWindow;

// Answers --help and --version before any window system is opened, so they work without a display too;
// returns the exit status when one of them was answered, nothing otherwise.
std::optional<int> answerInformationOptions(int argc, char** argv);

// The files named on the command line, as absolute paths in their order. arguments: after the application has
// taken its own options (-platform and the like). An unknown option ends the program with a message.
QStringList commandLineFiles(const QStringList& arguments);

// Asks once for the password, puts it into the password field as if typed, then hands the files to the window
// as one drop: a name ending in ".kvra" is decrypted, any other file encrypted. Abbrechen handles none.
class CommandLineFiles : public QObject {
    Q_OBJECT

public:
    CommandLineFiles(MainWindow& window, Dialogs& dialogs, QStringList files);

    // Call when the window is on screen; does nothing without files.
    void start();

signals:
    // The files' run has ended, or the password dialog was cancelled.
    void finished();

private:
    void finish();

    MainWindow& m_window;
    Dialogs& m_dialogs;
    QStringList m_files;
};

} // namespace kelvara
