// The main window's fixed layout: every control at its place, with its font, colours, texts and hints.
#include "app/main_window.h"

#include "ui/drop_panel.h"
#include "ui/password_reveal.h"
#include "ui/pictures.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QToolTip>

#include <limits>

namespace kelvara {

namespace {
constexpr int clientWidth = 619;
constexpr int clientHeight = 511;
constexpr int bannerHeight = 68;
constexpr int statusHeight = 19;

QFont verdana(int points, bool bold = false) {
    QFont font(QStringLiteral("Verdana"), points);
    font.setBold(bold);
    return font;
}

QFrame* addPanel(QWidget* parent, const char* name, const QRect& geometry, QFrame::Shape shape) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(shape);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
}

QGroupBox* addGroupBox(QWidget* parent, const char* name, const QRect& geometry, const QString& title) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setGeometry(geometry);
    return group;
}

QLabel* addPicture(QWidget* parent, const char* name, const QRect& geometry, const QString& picture) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setPixmap(svgPixmap(picture, geometry.width(), parent->devicePixelRatioF()));
    label->setCursor(Qt::PointingHandCursor);
    return label;
}
} // namespace

QToolButton* MainWindow::addSymbolButton(QWidget* parent, const char* name, int x, int y, const QString& picture,
                                         const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 37, 37);
    button->setIcon(QIcon(svgPixmap(picture, 32, devicePixelRatioF())));
    button->setIconSize(QSize(32, 32));
    button->setAutoRaise(false);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(hint);
    button->setProperty("hint", hint);
    button->setMouseTracking(true);
    button->installEventFilter(this);
    return button;
}

QPushButton* MainWindow::addHiddenButton(const char* name, int x, int y, const QString& caption) {
    auto* button = new QPushButton(caption, m_workArea);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 75, 25);
    button->hide();
    return button;
}

QLabel* MainWindow::addYellowLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setFont(verdana(8));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Opaque, on the background colour the tooltips really use (the widget palette's may be plain grey).
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase));
    label->setPalette(palette);
    label->setBackgroundRole(QPalette::Window); // else it inherits the window's button-face role
    label->setAutoFillBackground(true);
    return label;
}

void MainWindow::buildLayout() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Kelvara"));
    setFixedSize(clientWidth, clientHeight);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    m_bannerArea = addPanel(this, "Panel1", QRect(0, 0, clientWidth, bannerHeight), QFrame::Panel);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusBar->setGeometry(0, clientHeight - statusHeight, clientWidth, statusHeight);
    m_statusText = new QLabel(m_statusBar);
    m_statusText->setObjectName(QStringLiteral("StatusText"));
    m_statusBar->addWidget(m_statusText, 1);
    // The clipboard's countdown sits at the right, so that the hover hints on the left do not hide it.
    m_clipboardCountdown = new QLabel(m_statusBar);
    m_clipboardCountdown->setObjectName(QStringLiteral("ClipboardCountdown"));
    m_clipboardCountdown->hide();
    m_statusBar->addPermanentWidget(m_clipboardCountdown);

    m_workArea = addPanel(
        this, "Panel2", QRect(0, bannerHeight, clientWidth, clientHeight - bannerHeight - statusHeight), QFrame::Panel);
    m_workArea->setMouseTracking(true);
    m_workArea->installEventFilter(this);

    addPicture(m_workArea, "Image1", QRect(545, 0, 64, 64), QStringLiteral(":/images/logo.svg"));
    QLabel* aboutIcon = addPicture(m_workArea, "Image2", QRect(512, 0, 32, 32), QStringLiteral(":/images/info.svg"));
    aboutIcon->installEventFilter(this);

    addYellowLabel(m_workArea, "lbl1", QRect(20, 6, 344, 13),
                   tr("Verwenden Sie aus Sicherheitsgründen immer ein Passwort!"));

    auto* passwordLabel = new QLabel(tr("&Passwort"), m_workArea);
    passwordLabel->setObjectName(QStringLiteral("Label1"));
    passwordLabel->setGeometry(20, 26, 67, 16);
    passwordLabel->setFont(verdana(10, true));
    QPalette black = passwordLabel->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    passwordLabel->setPalette(black);

    m_password = new QLineEdit(m_workArea);
    m_password->setObjectName(QStringLiteral("Edit1"));
    m_password->setGeometry(97, 20, 158, 28);
    QFont editFont(QStringLiteral("MS Sans Serif"));
    editFont.setPixelSize(16);
    m_password->setFont(editFont);
    // Dots, and an eye inside the right edge that shows the password while it is on.
    addPasswordReveal(*m_password);
    m_password->setMaxLength(std::numeric_limits<int>::max());
    m_password->setAcceptDrops(false);

    QGroupBox* fileGroup = addGroupBox(m_workArea, "GroupBox2", QRect(18, 64, 589, 73), tr("Dateien"));
    m_fileDropPanel = new DropPanel(fileGroup);
    m_fileDropPanel->setObjectName(QStringLiteral("DropPanel1"));
    m_fileDropPanel->setGeometry(2, 15, 585, 56);
    m_fileDropPanel->setDropAccept(true);
    // Queued: the drop returns to the file manager first; a modal dialog inside it would hold the drag source.
    connect(m_fileDropPanel, &DropPanel::systemDrop, this, &MainWindow::handleFiles, Qt::QueuedConnection);
    connect(addSymbolButton(m_fileDropPanel, "SpeedButton3", 24, 3, QStringLiteral(":/images/file_lock_closed.svg"),
                            tr("Datei verschlüsseln")),
            &QToolButton::clicked, this, [this] { encryptFile(); });
    connect(addSymbolButton(m_fileDropPanel, "SpeedButton4", 79, 3, QStringLiteral(":/images/file_lock_open.svg"),
                            tr("Datei entschlüsseln")),
            &QToolButton::clicked, this, [this] { decryptFile(); });
    addYellowLabel(m_fileDropPanel, "Label2", QRect(136, 0, 449, 56),
                   tr("Das erste Symbol um eine Date zu ver- das zweite zum entschlüsseln. Sie können "
                      "auch eine Datei per Drag n Drop hierher ziehen. Das System erkennt automatisch "
                      "(*.kvra) welche Dateien ent- bzw verschlüsselt werden müssen."));

    QGroupBox* textGroup =
        addGroupBox(m_workArea, "GroupBox1", QRect(18, 137, 591, 236), tr("&Text der verschlüsselt werden soll"));
    m_text = new QPlainTextEdit(textGroup);
    m_text->setObjectName(QStringLiteral("Memo1"));
    m_text->setGeometry(2, 15, 587, 163);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setTabChangesFocus(true);
    // Text dropped on the memo replaces its whole text (the window handles it) instead of being inserted.
    m_text->setAcceptDrops(false);
    m_text->viewport()->setAcceptDrops(false);

    QFrame* textButtons = addPanel(textGroup, "Panel3", QRect(2, 178, 587, 56), QFrame::Panel);
    connect(addSymbolButton(textButtons, "SpeedButton5", 5, 11, QStringLiteral(":/images/lock_closed.svg"),
                            tr("Text verschlüsseln und in Zwischenablage")),
            &QToolButton::clicked, this, &MainWindow::encryptTextToClipboard);
    connect(addSymbolButton(textButtons, "SpeedButton6", 53, 11, QStringLiteral(":/images/lock_open.svg"),
                            tr("Text entschlüsseln und in Zwischenablage")),
            &QToolButton::clicked, this, &MainWindow::decryptTextToClipboard);
    addYellowLabel(textButtons, "Label3", QRect(137, 1, 449, 54),
                   tr("Das erste Symbol um obigen Text zu ver- das zweite zum entschlüsseln. Der ver- "
                      "bzw entschlüsselte Text wird automatisch in die Zwischenablage kopiert."));

    // The folder group exists with its buttons but is never shown.
    QGroupBox* folderGroup =
        addGroupBox(m_workArea, "GroupBox3", QRect(405, 267, 127, 46), tr("Ordner / Verzeichnisse"));
    connect(addSymbolButton(folderGroup, "SpeedButton1", 3, 14, QStringLiteral(":/images/folder_lock_closed.svg"),
                            tr("Ordner verschlüsseln")),
            &QToolButton::clicked, this, &MainWindow::encryptFolder);
    connect(addSymbolButton(folderGroup, "SpeedButton2", 43, 14, QStringLiteral(":/images/folder_lock_open.svg"),
                            tr("Ordner entschlüsseln")),
            &QToolButton::clicked, this, &MainWindow::decryptFolder);
    folderGroup->hide();

    auto* quitButton = new QPushButton(tr("Beenden"), m_workArea);
    quitButton->setObjectName(QStringLiteral("Button1"));
    quitButton->setGeometry(534, 378, 75, 25);
    const QString quitHint = tr("Beendet kelVara");
    quitButton->setToolTip(quitHint);
    quitButton->setProperty("hint", quitHint);
    quitButton->setMouseTracking(true);
    quitButton->installEventFilter(this);
    connect(quitButton, &QPushButton::clicked, this, &MainWindow::closeWindow);

    // The actions' bodies sit behind push buttons that are never shown.
    connect(addHiddenButton("Button2", 131, 368, QStringLiteral("crypt2za")), &QPushButton::clicked, this,
            &MainWindow::encryptTextToClipboard);
    connect(addHiddenButton("Button3", 212, 368, QStringLiteral("decrypt2za")), &QPushButton::clicked, this,
            &MainWindow::decryptTextToClipboard);
    connect(addHiddenButton("Button4", 315, -6, QStringLiteral("cryptFile")), &QPushButton::clicked, this,
            [this] { encryptFile(); });
    connect(addHiddenButton("Button5", 315, 20, QStringLiteral("decryptFile")), &QPushButton::clicked, this,
            [this] { decryptFile(); });
    connect(addHiddenButton("Button6", 396, -6, QStringLiteral("cryptDir")), &QPushButton::clicked, this,
            &MainWindow::encryptFolder);
    connect(addHiddenButton("Button7", 396, 20, QStringLiteral("decryptDir")), &QPushButton::clicked, this,
            &MainWindow::decryptFolder);

    // Tab goes "Beenden", memo, password field; nothing else takes focus by Tab.
    m_password->setFocusPolicy(Qt::StrongFocus);
    m_text->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(quitButton, m_text);
    setTabOrder(m_text, m_password);
    quitButton->setFocus();

    setAcceptDrops(true);
    setUpKeyboardAndNames();
}

} // namespace kelvara
