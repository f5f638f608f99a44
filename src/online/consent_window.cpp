// The consent window: statement, "akzeptieren" and "nicht akzeptieren"; without consent the program ends.
#include "online/consent_window.h"

#include "online/consent_store.h"
#include "online/screen_centre.h"
#include "ui/dialogs.h"
#include "ui/window_centring.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

namespace kelvara {

namespace {
constexpr int clientWidth = 645;
constexpr int clientHeight = 465;
constexpr int labelHeight = 23;
constexpr int panelHeight = 41;

QFont tahoma(int pixelSize) {
    QFont font;
    // Where Tahoma is missing, a condensed face keeps the texts about as wide.
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(pixelSize);
    return font;
}
} // namespace

ConsentWindow::ConsentWindow(ConsentStore& store, Dialogs& dialogs, const OwnerTexts& owner, std::function<void()> quit,
                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_store(store), m_dialogs(dialogs),
      m_quit(std::move(quit)), m_request(new QLabel(this)), m_statement(new QPlainTextEdit(this)),
      m_buttonBar(new QWidget(this)), m_acceptButton(new QPushButton(tr("akzeptieren"), m_buttonBar)),
      m_refuseButton(new QPushButton(tr("nicht akzeptieren"), m_buttonBar)) {
    setObjectName(QStringLiteral("DatenschutzForm"));
    setWindowTitle(tr("Datenschtzerklärung"));
    setFixedSize(clientWidth, clientHeight);
    setModal(true);

    m_request->setObjectName(QStringLiteral("Label1"));
    m_request->setText(tr("Bitte lesen Sie unsere Datenschutzerklärung und akzeptieren Sie diese."));
    m_request->setFont(tahoma(19));
    m_request->setAutoFillBackground(true);
    QPalette tooltipColours = m_request->palette();
    tooltipColours.setColor(QPalette::Window, tooltipColours.color(QPalette::ToolTipBase));
    tooltipColours.setColor(QPalette::WindowText, tooltipColours.color(QPalette::ToolTipText));
    m_request->setPalette(tooltipColours);
    m_request->setGeometry(0, 0, clientWidth, labelHeight);

    m_statement->setObjectName(QStringLiteral("RichEdit1"));
    m_statement->setReadOnly(true);
    m_statement->setFont(tahoma(11));
    m_statement->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_statement->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_statement->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_statement->setPlainText(privacyStatement(owner));
    m_statement->setGeometry(0, labelHeight, clientWidth, clientHeight - labelHeight - panelHeight);

    m_buttonBar->setObjectName(QStringLiteral("Panel1"));
    m_buttonBar->setGeometry(0, clientHeight - panelHeight, clientWidth, panelHeight);
    m_acceptButton->setObjectName(QStringLiteral("Button1"));
    m_acceptButton->setGeometry(300, 6, 139, 25);
    m_refuseButton->setObjectName(QStringLiteral("Button2"));
    m_refuseButton->setGeometry(492, 6, 125, 25);
    // Enter must not accept by accident: only a deliberate click or Space on a focused button counts.
    m_acceptButton->setAutoDefault(false);
    m_refuseButton->setAutoDefault(false);

    connect(m_acceptButton, &QPushButton::clicked, this, &ConsentWindow::acceptStatement);
    connect(m_refuseButton, &QPushButton::clicked, this, &ConsentWindow::refuseStatement);
}

QString ConsentWindow::privacyStatement(const OwnerTexts& owner) {
    // The German statement; its translation names the statement in the language shown.
    //: The resource path of the privacy statement in this language.
    QFile file(tr(":/online/datenschutz.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return owner.fillIn(QString::fromUtf8(file.readAll()));
}

bool ConsentWindow::checkConsent() {
    m_store.removeRefusal();
    if (m_store.hasConsent())
        return true;
    // At the first start the main window has only just been shown: once it is on screen, its frame tells how this
    // window will be framed, and the first showing is centred at once.
    waitUntilOnScreen(parentWidget(), 1000);
    centreOnScreen(this);
    exec();
    // Whatever closed the window (accepting, refusing, Escape, the system's close): only stored consent counts.
    if (m_store.hasConsent())
        return true;
    if (m_quit)
        m_quit();
    return false;
}

void ConsentWindow::acceptStatement() {
    // When the consent cannot be stored the window still closes; checkConsent then ends the program.
    m_store.recordAcceptance();
    accept();
}

void ConsentWindow::refuseStatement() {
    m_dialogs.message(this, tr(refusalText));
    reject();
}

} // namespace kelvara
