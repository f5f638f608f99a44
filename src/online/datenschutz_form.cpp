// The consent window: statement, "akzeptieren" and "nicht akzeptieren"; without consent the program ends.
#include "online/datenschutz_form.h"

#include "online/consent_store.h"
#include "online/screen_centre.h"
#include "ui/dialogs.h"

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

DatenschutzForm::DatenschutzForm(ConsentStore& store, Dialogs& dialogs, const OwnerTexts& owner,
                                 std::function<void()> quit, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_store(store), m_dialogs(dialogs),
      m_quit(std::move(quit)), m_label1(new QLabel(this)), m_richEdit1(new QPlainTextEdit(this)),
      m_panel1(new QWidget(this)), m_button1(new QPushButton(QStringLiteral("akzeptieren"), m_panel1)),
      m_button2(new QPushButton(QStringLiteral("nicht akzeptieren"), m_panel1)) {
    setObjectName(QStringLiteral("DatenschutzForm"));
    setWindowTitle(QStringLiteral("Datenschtzerklärung"));
    setFixedSize(clientWidth, clientHeight);
    setModal(true);

    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setText(QStringLiteral("Bitte lesen Sie unsere Datenschutzerklärung und akzeptieren Sie diese."));
    m_label1->setFont(tahoma(19));
    m_label1->setAutoFillBackground(true);
    QPalette tooltipColours = m_label1->palette();
    tooltipColours.setColor(QPalette::Window, tooltipColours.color(QPalette::ToolTipBase));
    tooltipColours.setColor(QPalette::WindowText, tooltipColours.color(QPalette::ToolTipText));
    m_label1->setPalette(tooltipColours);
    m_label1->setGeometry(0, 0, clientWidth, labelHeight);

    m_richEdit1->setObjectName(QStringLiteral("RichEdit1"));
    m_richEdit1->setReadOnly(true);
    m_richEdit1->setFont(tahoma(11));
    m_richEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_richEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_richEdit1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_richEdit1->setPlainText(privacyStatement(owner));
    m_richEdit1->setGeometry(0, labelHeight, clientWidth, clientHeight - labelHeight - panelHeight);

    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setGeometry(0, clientHeight - panelHeight, clientWidth, panelHeight);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setGeometry(300, 6, 139, 25);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button2->setGeometry(492, 6, 125, 25);
    // Enter must not accept by accident: only a deliberate click or Space on a focused button counts.
    m_button1->setAutoDefault(false);
    m_button2->setAutoDefault(false);

    connect(m_button1, &QPushButton::clicked, this, &DatenschutzForm::button1Click);
    connect(m_button2, &QPushButton::clicked, this, &DatenschutzForm::button2Click);
}

QString DatenschutzForm::privacyStatement(const OwnerTexts& owner) {
    QFile file(QStringLiteral(":/online/datenschutz.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return owner.fillIn(QString::fromUtf8(file.readAll()));
}

bool DatenschutzForm::checkConsent() {
    m_store.removeRefusal();
    if (m_store.hasConsent())
        return true;
    centreOnScreen(this);
    exec();
    // Whatever closed the window (accepting, refusing, Escape, the system's close): only stored consent counts.
    if (m_store.hasConsent())
        return true;
    if (m_quit)
        m_quit();
    return false;
}

void DatenschutzForm::button1Click() {
    // When the consent cannot be stored the window still closes; checkConsent then ends the program.
    m_store.recordAcceptance();
    accept();
}

void DatenschutzForm::button2Click() {
    m_dialogs.message(this, QString::fromUtf8(refusalText));
    reject();
}

} // namespace kelvara
