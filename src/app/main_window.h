// The main window: password field, file group with drop panel, text group, banner strip and status bar.
#pragma once

#include "text/secret_text.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QAction;
class QGroupBox;
class QKeySequence;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace kelvara {

class Dialogs;
class DropPanel;
class OperationRunner;
class PasswordConfirmation;
class ProcessWindow;
class SecretClipboard;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Wiring done by the program start.
    void setProgressWindow(ProcessWindow* progress);
    void setConsentCheck(std::function<void()> check) { m_consentCheck = std::move(check); }
    void setAboutAction(std::function<void()> action) { m_aboutAction = std::move(action); }
    // restore: applied once, just before the first show; save: on every accepted close, or once at destruction.
    void setPlacementHandlers(std::function<void(QWidget&)> restore, std::function<void(QWidget&)> save);
    // Applies the stored placement before the first show.
    void setVisible(bool visible) override;

    // The banner strip at the top; empty here, filled by the online parts.
    QWidget* bannerArea() const { return m_bannerArea; }
    QString statusText() const;
    // The clipboard's countdown at the right of the status bar; empty when none runs.
    QString clipboardCountdownText() const;
    SecretClipboard& clipboard() const { return *m_clipboard; }
    OperationRunner& runner() const { return *m_runner; }
    // Processes events until no file or folder operation is running.
    void waitForIdle();

    // Caption with the program's version, then the consent check; run at the first show.
    void formShow();
    void closeWindow();
    void showAbout();
    // Text actions: the memo's text is replaced by the result, selected and copied to the clipboard; a decrypted
    // text is marked there as secret and cleared after 30 seconds if it is still there.
    void encryptTextToClipboard();
    void decryptTextToClipboard();
    // File actions; droppedItems is the list of a drop, empty for a click (then the open dialog asks).
    void encryptFile(const QStringList& droppedItems = {});
    void decryptFile(const QStringList& droppedItems = {});
    // Folder tree actions (their controls are never shown).
    void encryptFolder();
    void decryptFolder();
    // Files dropped on the "Dateien" panel (or named on the command line), in their order: a name ending in
    // ".kvra" is decrypted, any other file encrypted. One file goes through the save dialog; several go next to
    // their sources in one run with one password, and one message sums them up.
    void handleFiles(const QStringList& paths);
    void clearStatusText();

signals:
    // The window has been closed by the user or the program; the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The window takes dropped text anywhere outside the "Dateien" panel.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    SecretUtf16 typedPassword() const;
    void buildLayout();
    // Shortcuts, mnemonics and the names screen readers read; run once at the end of the layout.
    void setUpKeyboardAndNames();
    QAction* addShortcut(const char* name, const QKeySequence& keys);
    void addButtonShortcut(const char* name, QAbstractButton& button, const QKeySequence& keys);
    QToolButton* addSymbolButton(QWidget* parent, const char* name, int x, int y, const QString& picture,
                                 const QString& hint);
    QPushButton* addHiddenButton(const char* name, int x, int y, const QString& caption);
    QLabel* addYellowLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text);
    void setStatusText(const QString& text);
    QString chooseSource(const QStringList& droppedItems);
    void folderRun(bool encrypt);
    void fileRun(bool encrypt, const QString& source, const QString& target);
    void savePlacement();

    Dialogs& m_dialogs;
    OperationRunner* m_runner;
    SecretClipboard* m_clipboard;
    std::function<void()> m_consentCheck;
    std::function<void()> m_aboutAction;
    std::function<void(QWidget&)> m_restorePlacement;
    std::function<void(QWidget&)> m_savePlacement;
    bool m_placementRestored = false;
    bool m_shownOnce = false;
    bool m_placementSaved = false;

    QWidget* m_bannerArea = nullptr;
    QWidget* m_workArea = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_clipboardCountdown = nullptr;
    QLineEdit* m_password = nullptr;
    PasswordConfirmation* m_passwordConfirmation = nullptr;
    QPlainTextEdit* m_text = nullptr;
    DropPanel* m_fileDropPanel = nullptr;
};

} // namespace kelvara
