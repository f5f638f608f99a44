// The main window from the keyboard and for screen readers: shortcuts for its actions, mnemonics that lead to
// the fields, and accessible names and descriptions for every control.
#include "app/main_window.h"

#include "ui/drop_panel.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

namespace kelvara {

namespace {
QString shortcutText(const QKeySequence& keys) {
    return keys.toString(QKeySequence::NativeText);
}

// "Datei verschlüsseln" becomes "Datei verschlüsseln (Strg+E)" on the status bar, in the tooltip and in the
// description a screen reader reads.
void appendShortcutToHint(QWidget& control, const QKeySequence& keys) {
    const QString hint = control.property("hint").toString() + QStringLiteral(" (%1)").arg(shortcutText(keys));
    control.setProperty("hint", hint);
    control.setToolTip(hint);
    control.setAccessibleDescription(hint);
}

// The edits take keys such as Ctrl+E and Ctrl+D for moving and deleting (on X11). While one of them has the
// focus, the window's action shortcuts are let through to the window instead.
class ActionKeysFirst final : public QObject {
public:
    ActionKeysFirst(const QWidget& window, QObject* parent) : QObject(parent), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
            for (const QAction* action : m_window.actions()) {
                if (action->shortcut() == pressed) {
                    event->ignore();
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QWidget& m_window;
};
} // namespace

QAction* MainWindow::addShortcut(const char* name, const QKeySequence& keys) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    return action;
}

// A shortcut that presses a button: the button shows the press and its click runs the same handler as the mouse.
void MainWindow::addButtonShortcut(const char* name, QAbstractButton& button, const QKeySequence& keys) {
    connect(addShortcut(name, keys), &QAction::triggered, &button, &QAbstractButton::animateClick);
    appendShortcutToHint(button, keys);
}

void MainWindow::setUpKeyboardAndNames() {
    auto* encryptFileButton = findChild<QToolButton*>(QStringLiteral("SpeedButton3"));
    auto* decryptFileButton = findChild<QToolButton*>(QStringLiteral("SpeedButton4"));
    auto* encryptTextButton = findChild<QToolButton*>(QStringLiteral("SpeedButton5"));
    auto* decryptTextButton = findChild<QToolButton*>(QStringLiteral("SpeedButton6"));
    auto* encryptFolderButton = findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
    auto* decryptFolderButton = findChild<QToolButton*>(QStringLiteral("SpeedButton2"));
    auto* quitButton = findChild<QPushButton*>(QStringLiteral("Button1"));
    auto* aboutIcon = findChild<QLabel*>(QStringLiteral("Image2"));

    // Symbol buttons are named for what they do; their hint (with the shortcut) describes them.
    encryptFileButton->setAccessibleName(tr("Datei verschlüsseln"));
    decryptFileButton->setAccessibleName(tr("Datei entschlüsseln"));
    encryptTextButton->setAccessibleName(tr("Text verschlüsseln"));
    decryptTextButton->setAccessibleName(tr("Text entschlüsseln"));
    encryptFolderButton->setAccessibleName(tr("Ordner verschlüsseln"));
    decryptFolderButton->setAccessibleName(tr("Ordner entschlüsseln"));
    for (QToolButton* button : {encryptFolderButton, decryptFolderButton})
        button->setAccessibleDescription(button->property("hint").toString());

    // The folder actions stay out of reach, like their hidden buttons: they get no shortcut.
    addButtonShortcut("encryptFileShortcut", *encryptFileButton, QKeySequence(Qt::CTRL | Qt::Key_E));
    addButtonShortcut("decryptFileShortcut", *decryptFileButton, QKeySequence(Qt::CTRL | Qt::Key_D));
    addButtonShortcut("encryptTextShortcut", *encryptTextButton, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    addButtonShortcut("decryptTextShortcut", *decryptTextButton, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    addButtonShortcut("quitShortcut", *quitButton, QKeySequence(Qt::CTRL | Qt::Key_Q));
    // The information sign takes no focus; F1 opens the About window as its click does.
    const QKeySequence aboutKeys(Qt::Key_F1);
    connect(addShortcut("aboutShortcut", aboutKeys), &QAction::triggered, this, &MainWindow::showAbout);
    aboutIcon->setToolTip(tr("Über Kelvara (%1)").arg(shortcutText(aboutKeys)));
    aboutIcon->setAccessibleName(tr("Über Kelvara"));
    aboutIcon->setAccessibleDescription(aboutIcon->toolTip());
    findChild<QLabel*>(QStringLiteral("Image1"))->setAccessibleName(tr("Kelvara-Logo"));

    // Mnemonics (the & in the label's and the group's texts): Alt+P goes to the password, Alt+T to the memo (the
    // group box hands the focus to it).
    auto* passwordLabel = findChild<QLabel*>(QStringLiteral("Label1"));
    passwordLabel->setBuddy(m_password);
    // A translation may be a little wider than the German word: the label may grow up to the field.
    const int roomToTheField = m_password->x() - passwordLabel->x() - 2;
    passwordLabel->resize(std::clamp(passwordLabel->sizeHint().width(), passwordLabel->width(), roomToTheField),
                          passwordLabel->height());

    m_password->setAccessibleName(tr("Passwort"));
    m_password->setAccessibleDescription(tr("Das Passwort, mit dem jede Aktion ver- oder entschlüsselt; es wird "
                                            "nie gespeichert"));
    // The eye inside the field takes no focus either: it has a shortcut of its own.
    if (auto* eye = m_password->findChild<QAction*>(QStringLiteral("showPassword"))) {
        const QKeySequence eyeKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_P);
        eye->setShortcut(eyeKeys);
        eye->setShortcutContext(Qt::WindowShortcut);
        // The action's text names the eye's button; its checked state tells whether the password is shown.
        eye->setText(tr("Passwort anzeigen"));
        for (auto* eyeButton : m_password->findChildren<QToolButton*>()) {
            eyeButton->setAccessibleName(tr("Passwort anzeigen"));
            eyeButton->setAccessibleDescription(
                tr("Zeigt das Passwort im Klartext, bis das Fenster verlassen wird (%1)").arg(shortcutText(eyeKeys)));
        }
    }

    m_text->setAccessibleName(tr("Text der verschlüsselt werden soll"));
    m_text->setAccessibleDescription(tr("Der Text, der ver- oder entschlüsselt wird; das Ergebnis ersetzt ihn und "
                                        "kommt in die Zwischenablage"));
    m_statusBar->setAccessibleName(tr("Statusleiste"));
    m_statusBar->setAccessibleDescription(tr("Der Hinweis zum Bedienelement unter dem Mauszeiger und der Countdown "
                                             "der Zwischenablage"));
    m_statusText->setAccessibleDescription(tr("Hinweis"));
    m_clipboardCountdown->setAccessibleDescription(tr("Countdown der Zwischenablage"));
    m_fileDropPanel->setAccessibleName(tr("Dateien"));
    m_fileDropPanel->setAccessibleDescription(tr("Hier abgelegte Dateien werden verschlüsselt, Dateien mit der "
                                                 "Endung .kvra entschlüsselt"));
    m_bannerArea->setAccessibleName(tr("Werbebanner"));

    auto* keysFirst = new ActionKeysFirst(*this, this);
    m_password->installEventFilter(keysFirst);
    m_text->installEventFilter(keysFirst);
}

} // namespace kelvara
