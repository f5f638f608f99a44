// "Open with": parsing the window's command line and handing its files to the drop handling one after another.
#include "app/command_line_files.h"

#include "app/main_window.h"
#include "app/operation_runner.h"
#include "kelvara_version.h"
#include "ui/dialogs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>

#include <cstdio>

namespace kelvara {

namespace {
void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Protects files, folder trees and texts with a password.\n"
                                                    "With files, asks for the password and then encrypts each "
                                                    "file, or decrypts it when its name ends in .kvra."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Files to encrypt or decrypt."),
                                 QStringLiteral("[FILE...]"));
    // "-reverse" and the other options of Qt's own are words, not a row of one-letter options such as -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}
} // namespace

std::optional<int> answerInformationOptions(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    describeOptions(parser);
    // Qt's own options are unknown here; they are left for the application to take.
    (void)parser.parse(arguments);
    const bool help = parser.isSet(QStringLiteral("help"));
    if (!help && !parser.isSet(QStringLiteral("version")))
        return std::nullopt;

    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kelvara"));
    const QString text =
        help ? parser.helpText() : QStringLiteral("kelvara %1\n").arg(QStringLiteral(KELVARA_VERSION_STRING));
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

QStringList commandLineFiles(const QStringList& arguments) {
    QCommandLineParser parser;
    describeOptions(parser);
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVARA_VERSION_STRING));
    parser.process(arguments);
    QStringList files;
    for (const QString& file : parser.positionalArguments())
        files << QFileInfo(file).absoluteFilePath();
    return files;
}

CommandLineFiles::CommandLineFiles(MainWindow& window, Dialogs& dialogs, QStringList files)
    : QObject(&window), m_window(window), m_dialogs(dialogs), m_files(std::move(files)) {}

void CommandLineFiles::start() {
    if (m_files.isEmpty())
        return;
    std::optional<QString> password = m_dialogs.password(&m_window);
    if (!password) {
        m_files.clear();
        finish();
        return;
    }
    // The field is found by the object name the window's layout gives it; every action reads it when it runs.
    auto* field = m_window.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    Q_ASSERT(field != nullptr);
    field->setText(*password);
    password->fill(QChar());

    // The save dialog starts in the file's own folder, not in the folder the program was started from.
    m_dialogs.setNextFolder(QFileInfo(m_files.constFirst()).absolutePath());

    // All files in one go, as if they had been dropped together: one file through the save dialog, several
    // next to their sources with one summary at the end.
    connect(&m_window.runner(), &OperationRunner::operationFinished, this, &CommandLineFiles::finish,
            Qt::QueuedConnection);
    m_window.handleFiles(std::exchange(m_files, {}));
    // Nothing started (save dialog cancelled, every replacement declined): done at once.
    if (!m_window.runner().isBusy())
        finish();
}

void CommandLineFiles::finish() {
    disconnect(&m_window.runner(), nullptr, this, nullptr);
    emit finished();
}

} // namespace kelvara
