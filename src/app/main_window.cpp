// The main window's handlers: each reads the controls, calls the operations, and shows the result.
#include "app/main_window.h"

#include "app/operation_runner.h"
#include "operations/file_routines.h"
#include "operations/folder_tree.h"
#include "operations/same_file.h"
#include "operations/secure_wipe.h"
#include "operations/target_names.h"
#include "operations/text_crypt.h"
#include "ui/dialogs.h"
#include "ui/drop_panel.h"
#include "ui/file_version.h"
#include "ui/process_window.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <filesystem>

namespace kelvara {

namespace {
std::filesystem::path toPath(const QString& path) {
#ifdef Q_OS_WIN
    // Qt's dialogs give "/"; the core's messages show the path as Windows writes it.
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_runner(new OperationRunner(*this, dialogs, this)) {
    buildLayout();
    move(444, 205);
}

MainWindow::~MainWindow() {
    m_runner->waitForIdle();
    if (!m_placementSaved)
        savePlacement();
}

void MainWindow::setProgressWindow(ProcessWindow* progress) {
    m_runner->setProgressWindow(progress);
}

void MainWindow::setPlacementHandlers(std::function<void(QWidget&)> restore, std::function<void(QWidget&)> save) {
    m_restorePlacement = std::move(restore);
    m_savePlacement = std::move(save);
}

QString MainWindow::statusText() const {
    return m_statusText->text();
}

void MainWindow::waitForIdle() {
    m_runner->waitForIdle();
}

void MainWindow::setStatusText(const QString& text) {
    m_statusText->setText(text);
}

void MainWindow::savePlacement() {
    m_placementSaved = true;
    if (m_savePlacement)
        m_savePlacement(*this);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (m_restorePlacement)
        m_restorePlacement(*this);
    formShow();
}

void MainWindow::formShow() {
    setWindowTitle(QStringLiteral("Kelvara ") + getFileVersion());
    if (m_consentCheck)
        m_consentCheck();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_runner->isBusy()) {
        event->ignore();
        return;
    }
    savePlacement();
    event->accept();
    emit closed();
}

void MainWindow::button1Click() {
    close();
}

void MainWindow::image2Click() {
    if (m_aboutAction)
        m_aboutAction();
}

void MainWindow::panel2MouseMove() {
    setStatusText(QString());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_panel2) {
            // Moves over child controls reach the panel too; only its free area clears the hint.
            const auto* move = static_cast<QMouseEvent*>(event);
            if (m_panel2->childAt(move->position().toPoint()) == nullptr)
                panel2MouseMove();
        } else if (const QVariant hint = watched->property("hint"); hint.isValid()) {
            setStatusText(hint.toString());
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched->objectName() == QLatin1String("Image2")) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            image2Click();
    }
    return QWidget::eventFilter(watched, event);
}

// Text actions: the memo's text in its 8-bit form with CR LF line breaks, as typed text is stored elsewhere.
void MainWindow::button2Click() {
    std::string password = toCodePage1252(m_edit1->text().toStdU16String());
    const std::u16string text = normalizeLineBreaks(m_memo1->toPlainText().toStdU16String(), u"\r\n");
    const std::string encrypted = encryptText(toCodePage1252(text), password);
    secureWipe(password);
    m_memo1->setPlainText(QString::fromLatin1(encrypted.data(), static_cast<qsizetype>(encrypted.size())));
    m_memo1->selectAll();
    QGuiApplication::clipboard()->setText(m_memo1->toPlainText());
}

void MainWindow::button3Click() {
    std::string password = toCodePage1252(m_edit1->text().toStdU16String());
    const std::string encrypted = toCodePage1252(m_memo1->toPlainText().toStdU16String());
    std::string decrypted = decryptText(encrypted, password);
    secureWipe(password);
    const std::u16string lines = normalizeLineBreaks(fromCodePage1252(decrypted), u"\n");
    secureWipe(decrypted);
    m_memo1->setPlainText(QString::fromStdU16String(lines));
    m_memo1->selectAll();
    QGuiApplication::clipboard()->setText(m_memo1->toPlainText());
}

void MainWindow::button4Click(const QStringList& droppedItems) {
    if (m_runner->isBusy())
        return;
    const bool dropped = !droppedItems.isEmpty() && !droppedItems.constFirst().isEmpty();
    const QString source = dropped ? droppedItems.constFirst() : m_dialogs.openFileName(this);
    if (source.isEmpty())
        return;
    const QString proposal = QString::fromStdU16String(proposeEncryptedName(source.toStdU16String()));
    const QString target = m_dialogs.saveFileName(this, proposal, QStringLiteral("kvra"));
    if (target.isEmpty())
        return;
    fileRun(true, source, target);
}

void MainWindow::button5Click(const QStringList& droppedItems) {
    if (m_runner->isBusy())
        return;
    const bool dropped = !droppedItems.isEmpty() && !droppedItems.constFirst().isEmpty();
    const QString source = dropped ? droppedItems.constFirst() : m_dialogs.openFileName(this);
    if (source.isEmpty())
        return;
    const QString proposal = QString::fromStdU16String(proposeDecryptedName(source.toStdU16String()));
    QString suffix = QString::fromStdU16String(extensionOf(proposal.toStdU16String()));
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    const QString target = m_dialogs.saveFileName(this, proposal, suffix);
    if (target.isEmpty())
        return;
    fileRun(false, source, target);
}

void MainWindow::fileRun(bool encrypt, const QString& source, const QString& target) {
    // Writing the output would destroy the input before it is read.
    if (namesSameFile(toPath(source), toPath(target))) {
        m_dialogs.message(this, QStringLiteral("Quelle und Ziel sind dieselbe Datei: %1\n"
                                               "Bitte wählen Sie für das Ergebnis einen anderen Namen.")
                                    .arg(QDir::toNativeSeparators(target)));
        return;
    }
    m_runner->start(
        [encrypt, input = toPath(source), output = toPath(target),
         password = m_edit1->text().toStdU16String()](UserInterface& ui) mutable {
            if (encrypt)
                encryptSingleFile(input, output, password, true, ui);
            else
                decryptSingleFile(input, output, password, true, ui);
            secureWipe(password);
        },
        encrypt ? QStringLiteral("Datei wird verschlüsselt !") : QStringLiteral("Datei wird entschlüsselt !"));
}

void MainWindow::button6Click() {
    folderRun(true);
}

void MainWindow::button7Click() {
    folderRun(false);
}

void MainWindow::folderRun(bool encrypt) {
    if (m_runner->isBusy())
        return;
    const QString source = m_dialogs.folderName(this, QStringLiteral("Quellordner wählen"));
    if (source.isEmpty())
        return;
    const QString target = m_dialogs.folderName(this, QStringLiteral("Zielordner wählen"));
    if (target.isEmpty())
        return;
    // The routine collects both lists, refuses a target whose mirror meets the source, then asks
    // "Sollen die Daten von ... nach ... verschlüsselt werden ?" through the runner's question box.
    // The field cannot change while the run blocks the window, so one copy serves every file.
    m_runner->start([encrypt, sourceFolder = toPath(source), targetFolder = toPath(target),
                     password = m_edit1->text().toStdU16String()](UserInterface& ui) mutable {
        runFolderTree(
            encrypt ? FolderDirection::encrypt : FolderDirection::decrypt, sourceFolder, targetFolder,
            [&password] { return password; }, ui, true);
        secureWipe(password);
    });
}

void MainWindow::dropPanel1SystemDrop(const QStringList& items) {
    if (items.isEmpty())
        return;
    // The first file decides, by its ".kvra" extension (case-sensitive); the others are ignored.
    if (hasEncryptedExtension(items.constFirst().toStdU16String()))
        button5Click(items);
    else
        button4Click(items);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

// Dropped text replaces the memo's whole text; files and data without text leave it unchanged.
void MainWindow::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime != nullptr && mime->hasText() && !mime->hasUrls())
        m_memo1->setPlainText(mime->text());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace kelvara
