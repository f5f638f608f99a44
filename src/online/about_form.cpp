// Builds the About window's two tabs at their fixed places and handles the website link and the OK button.
#include "online/about_form.h"

#include "online/screen_centre.h"
#include "ui/desktop.h"
#include "ui/file_version.h"

#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>

namespace kelvara {

namespace {
QFont fontOf(const char* family, int pixelSize, bool bold = false, bool underline = false) {
    QFont font;
    // Where Tahoma is missing, a condensed face keeps the texts about as wide.
    font.setFamilies({QString::fromLatin1(family), QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

QLabel* label(QWidget* parent, const char* name, int left, int top, const QString& text, const QFont& font) {
    auto* control = new QLabel(text, parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setFont(font);
    control->move(left, top);
    control->adjustSize();
    return control;
}

QLabel* picture(QWidget* parent, const char* name, const QRect& place, const QString& resource, bool stretch) {
    auto* control = new QLabel(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(place);
    control->setPixmap(QPixmap(resource));
    control->setScaledContents(stretch);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return control;
}

QString resourceText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The notices name what this platform's build contains: on Windows the bundled libraries and the system's
// Schannel for https, elsewhere the system's libraries.
QString attributionResource() {
#ifdef Q_OS_WIN
    return QStringLiteral(":/online/attribution_windows.txt");
#else
    return QStringLiteral(":/online/attribution.txt");
#endif
}

void paintWhite(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
} // namespace

AboutForm::AboutForm(Desktop& desktop, const OwnerTexts& owner, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_desktop(desktop), m_versionSource([] { return getFileVersion(); }),
      m_tabs(new QTabWidget(this)), m_infoTab(new QWidget), m_licencesTab(new QWidget) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(tr("AboutForm"));
    setFixedSize(536, 326);
    setFont(fontOf("Tahoma", 11));
    paintWhite(this);

    m_tabs->setObjectName(QStringLiteral("PageControl"));
    m_tabs->setGeometry(0, 0, 536, 326);
    m_infoTab->setObjectName(QStringLiteral("MainTabSheet"));
    m_licencesTab->setObjectName(QStringLiteral("LizenzTabSheet"));
    paintWhite(m_infoTab);
    paintWhite(m_licencesTab);
    m_tabs->addTab(m_infoTab, tr("Info"));
    m_tabs->addTab(m_licencesTab, tr("Lizenzen"));

    buildTabs(owner);
}

void AboutForm::buildTabs(const OwnerTexts& owner) {
    QWidget* info = m_infoTab;
    picture(info, "Image2", {3, 3, 150, 150}, QStringLiteral(":/online/product.png"), false);
    picture(info, "Image1", {293, 6, 66, 65}, QStringLiteral(":/images/logo.svg"), true);
    picture(info, "Image3", {288, 133, 241, 164}, QStringLiteral(":/online/about_decoration.png"), false);

    label(info, "Label2", 365, 46, QStringLiteral("Kelvara"), fontOf("Verdana", 16, true));
    label(info, "Label12", 355, 68, owner.copyright, fontOf("Verdana", 11));
    label(info, "Label13", 312, 90, tr("Kelvara Version:"), fontOf("Verdana", 11));
    m_versionLabel = label(info, "Label1", 464, 90, QStringLiteral("1.0.0.0"), fontOf("Verdana", 11, true));

    m_websiteLabel = label(info, "Label10", 353, 129, owner.website, fontOf("Verdana", 11, true, true));
    QPalette navy = m_websiteLabel->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    m_websiteLabel->setPalette(navy);
    m_websiteLabel->setCursor(Qt::PointingHandCursor);
    m_websiteLabel->installEventFilter(this);

    label(info, "Label4", 3, 161, owner.tradingName, fontOf("Verdana", 11, true));
    label(info, "Label5", 3, 179, owner.street, fontOf("Verdana", 11, true));
    label(info, "Label6", 3, 197, owner.postcodeAndTown, fontOf("Verdana", 11, true));
    // A build without a VAT number leaves the line empty rather than show a bare prefix.
    const QString vatLine = owner.vatNumber.isEmpty() ? QString() : tr("UID: %1").arg(owner.vatNumber);
    label(info, "Label11", 3, 215, vatLine, fontOf("Verdana", 11, true));

    auto* ok = new QPushButton(tr("&OK"), info);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(227, 230, 75, 25);
    ok->setDefault(true);
    ok->raise(); // in front of the decorative picture, which reaches under its right end
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    QWidget* licences = m_licencesTab;
    m_licenceText = new QTextBrowser(licences);
    m_licenceText->setObjectName(QStringLiteral("RichEdit1"));
    m_licenceText->setGeometry(0, 0, 528, 247);
    m_licenceText->setFont(fontOf("Tahoma", 11));
    m_licenceText->setReadOnly(true);
    m_licenceText->setOpenLinks(false);
    m_licenceText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_licenceText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_licenceText->setHtml(resourceText(QStringLiteral(":/online/lizenz.html")));

    QLabel* usesLabel = label(licences, "Label14", 0, 248, tr("This product uses:"), fontOf("Tahoma", 11));
    QPalette silverOnWhite = usesLabel->palette();
    silverOnWhite.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
    silverOnWhite.setColor(QPalette::Window, Qt::white);
    usesLabel->setPalette(silverOnWhite);

    m_attributionText = new QTextBrowser(licences);
    m_attributionText->setObjectName(QStringLiteral("RichEdit2"));
    m_attributionText->setGeometry(0, 264, 528, 30);
    m_attributionText->setReadOnly(true);
    m_attributionText->setOpenLinks(false);
    m_attributionText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_attributionText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette silverText = m_attributionText->palette();
    silverText.setColor(QPalette::Text, QColor(0xC0, 0xC0, 0xC0));
    m_attributionText->setPalette(silverText);
    m_attributionText->setPlainText(resourceText(attributionResource()).trimmed());
}

void AboutForm::showEvent(QShowEvent* event) {
    showVersionOnInfoTab();
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void AboutForm::showVersionOnInfoTab() {
    m_versionLabel->setText(m_versionSource ? m_versionSource() : QString());
    m_versionLabel->adjustSize();
    m_tabs->setCurrentWidget(m_infoTab);
}

void AboutForm::openWebsite() {
    // Exactly the address shown; a placeholder that is no web address opens nothing.
    const QUrl website(m_websiteLabel->text(), QUrl::StrictMode);
    const QString scheme = website.scheme().toLower();
    if (website.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http")))
        m_desktop.open(website);
}

bool AboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_websiteLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        openWebsite();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kelvara
