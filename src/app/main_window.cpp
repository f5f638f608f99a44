// The main window's handlers: each reads the controls, calls the operations, and shows the result.
#include "app/main_window.h"

#include "app/file_batch.h"
#include "app/operation_runner.h"
#include "app/password_confirmation.h"
#include "app/secret_clipboard.h"
#include "operations/file_routines.h"
#include "operations/folder_tree.h"
#include "operations/same_file.h"
#include "operations/target_names.h"
#include "operations/text_crypt.h"
#include "operations/text_form.h"
#include "operations/wiped_buffer.h"
#include "ui/dialogs.h"
#include "ui/drop_panel.h"
#include "ui/file_version.h"
#include "ui/process_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace kelvara {

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent)
    // An ordinary window with only the close button: a tool window would get no taskbar button and no Alt+Tab
    // entry, and once covered or minimised it could not be found again.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_runner(new OperationRunner(*this, dialogs, this)), m_clipboard(new SecretClipboard(this)) {
    buildLayout();
    m_passwordConfirmation = new PasswordConfirmation(*m_password, dialogs);
    connect(m_clipboard, &SecretClipboard::statusTextChanged, this, [this](const QString& text) {
        m_clipboardCountdown->setText(text);
        m_clipboardCountdown->setVisible(!text.isEmpty());
    });
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

QString MainWindow::clipboardCountdownText() const {
    return m_clipboardCountdown->text();
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

// The placement is applied before the native window exists: a position given then is the frame's, and the
// window manager puts the frame there. Applied in showEvent, after the window was created but before the
// manager had framed it, the position would land on the client area and the window would creep by its frame.
void MainWindow::setVisible(bool visible) {
    if (visible && !m_placementRestored) {
        m_placementRestored = true;
        if (m_restorePlacement)
            m_restorePlacement(*this);
    }
    QWidget::setVisible(visible);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
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

void MainWindow::closeWindow() {
    close();
}

void MainWindow::showAbout() {
    if (m_aboutAction)
        m_aboutAction();
}

void MainWindow::clearStatusText() {
    setStatusText(QString());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_workArea) {
            // Moves over child controls reach the panel too; only its free area clears the hint.
            const auto* move = static_cast<QMouseEvent*>(event);
            if (m_workArea->childAt(move->position().toPoint()) == nullptr)
                clearStatusText();
        } else if (const QVariant hint = watched->property("hint"); hint.isValid()) {
            setStatusText(hint.toString());
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched->objectName() == QLatin1String("Image2")) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            showAbout();
    }
    return QWidget::eventFilter(watched, event);
}

// The password as it stands in the field, copied straight into wiped memory: no other copy is made.
SecretUtf16 MainWindow::typedPassword() const {
    const QString text = m_password->text(); // shares the field's buffer
    return SecretUtf16(reinterpret_cast<const char16_t*>(text.constData()), static_cast<std::size_t>(text.size()));
}

namespace {

// "П, р, и" for the message that names characters.
QString listCharacters(const std::u32string& characters, std::size_t notShown = 0) {
    QStringList list;
    for (const char32_t character : characters)
        list.append(QString::fromUcs4(&character, 1));
    const QString text = list.join(QStringLiteral(", "));
    if (notShown == 0)
        return text;
    return MainWindow::tr("%1 … und %2 weitere").arg(text, QString::number(notShown));
}

} // namespace

// Text actions: the memo's text in its 8-bit form with CR LF line breaks, as typed text is stored elsewhere.
// A text the form cannot hold, or one that is not an encrypted text, is refused and stays in the memo.
void MainWindow::encryptTextToClipboard() {
    // Texts are keyed with the password's 8-bit form: characters it lacks would all key as "?".
    const PasswordBytes password = textPasswordBytes(typedPassword().view());
    if (!password.missing.empty()) {
        m_dialogs.message(this, tr("Das Passwort enthält Zeichen, mit denen kein Text verschlüsselt "
                                   "werden kann: %1\nDer Text bleibt unverändert.")
                                    .arg(listCharacters(password.missing)));
        return;
    }
    TextBytes form = textToBytes(m_text->toPlainText().toStdU16String(), LineEnds::crlf);
    if (!form.missing.empty()) {
        secureWipe(form.bytes);
        m_dialogs.message(this, tr("Der Text enthält Zeichen, die nicht verschlüsselt werden können: "
                                   "%1\nDer Text bleibt unverändert.")
                                    .arg(listCharacters(form.missing, form.missingNotShown)));
        return;
    }
    if (!m_passwordConfirmation->confirm(this)) {
        secureWipe(form.bytes);
        return;
    }
    const std::string encrypted = encryptText(form.bytes, password.bytes.view());
    secureWipe(form.bytes);
    m_text->setPlainText(QString::fromLatin1(encrypted.data(), static_cast<qsizetype>(encrypted.size())));
    m_text->selectAll();
    // Meant to be pasted into a mail: no hint, no clearing.
    m_clipboard->putText(m_text->toPlainText());
}

void MainWindow::decryptTextToClipboard() {
    // Characters the password's 8-bit form lacks stay "?" here, as earlier versions keyed them.
    const PasswordBytes password = textPasswordBytes(typedPassword().view());
    const TextBytes encrypted = textToBytes(m_text->toPlainText().toStdU16String(), LineEnds::asTyped);
    std::optional<std::string> decrypted;
    if (encrypted.missing.empty())
        decrypted = decryptText(encrypted.bytes, password.bytes.view());
    if (!decrypted) {
        m_dialogs.message(this, tr("Der Text ist kein verschlüsselter Text (kein gültiges Base64).\n"
                                   "Der Text bleibt unverändert."));
        return;
    }
    std::u16string lines = bytesToText(*decrypted, LineEnds::lf);
    secureWipe(*decrypted);
    m_text->setPlainText(QString::fromStdU16String(lines));
    secureWipe(lines);
    m_text->selectAll();
    m_clipboard->putSecret(m_text->toPlainText());
}

// The dropped file, or else the one the open dialog gives; empty when there is none or a run is going on.
QString MainWindow::chooseSource(const QStringList& droppedItems) {
    if (m_runner->isBusy())
        return {};
    const bool dropped = !droppedItems.isEmpty() && !droppedItems.constFirst().isEmpty();
    return dropped ? droppedItems.constFirst() : m_dialogs.openFileName(this);
}

void MainWindow::encryptFile(const QStringList& droppedItems) {
    const QString source = chooseSource(droppedItems);
    if (source.isEmpty())
        return;
    const QString proposal = QString::fromStdU16String(proposeEncryptedName(source.toStdU16String()));
    const QString target = m_dialogs.saveFileName(this, proposal, QStringLiteral("kvra"));
    if (target.isEmpty() || !m_passwordConfirmation->confirm(this))
        return;
    fileRun(true, source, target);
}

void MainWindow::decryptFile(const QStringList& droppedItems) {
    const QString source = chooseSource(droppedItems);
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
    // The routine refuses input and output naming one file before it writes anything.
    m_runner->start(
        [encrypt, input = toFileSystemPath(source), output = toFileSystemPath(target),
         password = typedPassword()](UserInterface& ui) {
            transformSingleFile(encrypt ? Direction::encrypt : Direction::decrypt, input, output, password.view(),
                                Report::success, ui);
        },
        encrypt ? tr("Datei wird verschlüsselt !") : tr("Datei wird entschlüsselt !"));
}

void MainWindow::encryptFolder() {
    folderRun(true);
}

void MainWindow::decryptFolder() {
    folderRun(false);
}

void MainWindow::folderRun(bool encrypt) {
    if (m_runner->isBusy())
        return;
    const QString source = m_dialogs.folderName(this, tr("Quellordner wählen"));
    if (source.isEmpty())
        return;
    const QString target = m_dialogs.folderName(this, tr("Zielordner wählen"));
    if (target.isEmpty() || (encrypt && !m_passwordConfirmation->confirm(this)))
        return;
    // The routine collects both lists, refuses a target whose mirror meets the source, then asks
    // "Sollen die Daten von ... nach ... verschlüsselt werden ?" through the runner's question box.
    // The field cannot change while the run blocks the window, so one copy serves every file.
    m_runner->start([encrypt, sourceFolder = toFileSystemPath(source), targetFolder = toFileSystemPath(target),
                     password = typedPassword()](UserInterface& ui) {
        runFolderTree(encrypt ? Direction::encrypt : Direction::decrypt, sourceFolder, targetFolder, password.view(),
                      ui, Confirmation::ask);
    });
}

void MainWindow::handleFiles(const QStringList& paths) {
    if (m_runner->isBusy())
        return;
    QStringList files;
    for (const QString& path : paths)
        if (!path.isEmpty())
            files << path;
    if (files.size() == 1) {
        // The ".kvra" extension (case-sensitive) picks the action; the save dialog confirms the target.
        if (hasEncryptedExtension(files.constFirst().toStdU16String()))
            decryptFile(files);
        else
            encryptFile(files);
        return;
    }
    if (files.isEmpty())
        return;
    const std::optional<QList<BatchFile>> batch = planFileBatch(files, m_dialogs, this);
    if (!batch)
        return;
    const bool encrypts =
        std::any_of(batch->cbegin(), batch->cend(), [](const BatchFile& file) { return !file.decrypt; });
    if (encrypts && !m_passwordConfirmation->confirm(this))
        return;
    m_runner->start(
        [batch = *batch, password = typedPassword()](RunInterface& ui) { runFileBatch(batch, password.view(), ui); });
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
        m_text->setPlainText(mime->text());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace kelvara
