// The About window: opens on "Info" every time, shows the version anew, opens the website label's exact text,
// closes with OK, and carries a read-only licence and the library notices.
#include "online/about_form.h"
#include "online_test_support.h"
#include "support/recording_dialogs.h"
#include "ui/file_version.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <utility>

using namespace kelvara;
using kelvara::test::RecordingDesktop;

namespace {
template <typename T> T* child(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}
} // namespace

class AboutFormTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnInfoWithTheVersionEveryTime();
    void websiteLabelOpensItsExactText_data();
    void websiteLabelOpensItsExactText();
    void okCloses();
    void licenceAndNotices();
    void ownerTextsComeFromTheirFile();
};

void AboutFormTest::opensOnInfoWithTheVersionEveryTime() {
    RecordingDesktop desktop;
    AboutForm form(desktop, OwnerTexts{});
    QString version = QStringLiteral("1.0.3.0");
    form.setVersionSource([&version] { return version; });
    auto* pages = child<QTabWidget>(&form, "PageControl");
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(0), QStringLiteral("Info"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Lizenzen"));

    form.show();
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("MainTabSheet"));
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QStringLiteral("1.0.3.0"));

    pages->setCurrentIndex(1);
    form.close();
    version = QStringLiteral("1.0.4.0");
    form.show();
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("MainTabSheet"));
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QStringLiteral("1.0.4.0"));
    form.close();

    // By default the version is the running program's.
    AboutForm real(desktop, OwnerTexts{});
    real.show();
    QCOMPARE(child<QLabel>(&real, "Label1")->text(), getFileVersion());
}

void AboutFormTest::websiteLabelOpensItsExactText_data() {
    QTest::addColumn<QString>("website");
    QTest::addColumn<bool>("opens");
    QTest::newRow("https") << "https://www.example.org/kelvara/" << true;
    QTest::newRow("placeholder") << "[Website des Herstellers]" << false;
}

void AboutFormTest::websiteLabelOpensItsExactText() {
    QFETCH(QString, website);
    QFETCH(bool, opens);
    RecordingDesktop desktop;
    OwnerTexts owner;
    owner.website = website;
    AboutForm form(desktop, owner);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    auto* label = child<QLabel>(&form, "Label10");
    QCOMPARE(label->text(), website);
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    QCOMPARE(desktop.opened.size(), opens ? 1 : 0);
    if (opens)
        QCOMPARE(desktop.opened.first().toString(), website);
    QVERIFY(form.isVisible()); // the About window stays open
}

void AboutFormTest::okCloses() {
    RecordingDesktop desktop;
    AboutForm form(desktop, OwnerTexts{});
    QTimer::singleShot(0, &form, [&form] { child<QPushButton>(&form, "OKButton")->click(); });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
    QCOMPARE(child<QPushButton>(&form, "OKButton")->text(), QStringLiteral("&OK"));
}

void AboutFormTest::licenceAndNotices() {
    RecordingDesktop desktop;
    AboutForm form(desktop, OwnerTexts{});
    auto* licence = child<QTextBrowser>(&form, "RichEdit1");
    QVERIFY(licence->isReadOnly());
    QCOMPARE(licence->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(licence->toPlainText().startsWith(QStringLiteral("Endbenutzer-Lizenzvertrag")));
    QVERIFY(licence->toPlainText().contains(QStringLiteral("Allgemeine Bestimmungen")));

    auto* notices = child<QTextBrowser>(&form, "RichEdit2");
    QVERIFY(notices->isReadOnly());
    QVERIFY(notices->toPlainText().contains(QStringLiteral("Qt 6")));
    QVERIFY(notices->toPlainText().contains(QStringLiteral("LGPL")));
    QVERIFY(notices->toPlainText().contains(QStringLiteral("https://download.qt.io/")));
    // https goes through the platform's own TLS library, which the notice names.
#ifdef Q_OS_WIN
    QVERIFY(notices->toPlainText().contains(QStringLiteral("Schannel")));
    QVERIFY(!notices->toPlainText().contains(QStringLiteral("OpenSSL")));
#else
    QVERIFY(notices->toPlainText().contains(QStringLiteral("OpenSSL")));
#endif
    QCOMPARE(child<QLabel>(&form, "Label14")->text(), QStringLiteral("This product uses:"));
}

void AboutFormTest::ownerTextsComeFromTheirFile() {
    kelvara::test::OnlineSandbox sandbox;
    const QString path = sandbox.filesFolder() + QStringLiteral("/owner.ini");
    QVERIFY(kelvara::test::writeAll(path, "[Owner]\ntradingName=Beispiel GmbH\nvatNumber=ATU12345678\n"
                                          "copyright=\"\xc2\xa9 2026 Beispiel GmbH\"\n"));
    RecordingDesktop desktop;
    AboutForm form(desktop, OwnerTexts::fromFile(path));
    QCOMPARE(child<QLabel>(&form, "Label4")->text(), QStringLiteral("Beispiel GmbH"));
    QCOMPARE(child<QLabel>(&form, "Label11")->text(), QStringLiteral("UID: ATU12345678"));
    QCOMPARE(child<QLabel>(&form, "Label12")->text(), QStringLiteral("© 2026 Beispiel GmbH"));

    QCOMPARE(child<QLabel>(&form, "Label5")->text(), QString()); // not set: empty, no placeholder
    AboutForm withoutVat(desktop, OwnerTexts{});
    QCOMPARE(child<QLabel>(&withoutVat, "Label11")->text(), QString()); // no bare "UID: "

    // The program carries what the build set, quotes and backslashes included.
    const OwnerTexts built = OwnerTexts::fromResources();
    const std::pair<QString, const char*> settings[] = {
        {built.tradingName, KELVARA_OWNER_NAME}, {built.vatNumber, KELVARA_OWNER_VAT},
        {built.website, KELVARA_OWNER_WEBSITE},  {built.copyright, KELVARA_OWNER_COPYRIGHT},
        {built.street, KELVARA_OWNER_STREET},    {built.country, KELVARA_OWNER_COUNTRY}};
    for (const auto& [text, setting] : settings)
        QCOMPARE(text, QString::fromUtf8(setting));
    QVERIFY(!built.tradingName.isEmpty());
}

QTEST_MAIN(AboutFormTest)
#include "about_form_test.moc"
