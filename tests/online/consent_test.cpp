// The privacy consent: stored values, accepting, refusing, other closes, a store that cannot be written, and
// that nothing goes to the network before consent.
#include "online/consent_store.h"
#include "online/consent_window.h"
#include "online/online_services.h"
#include "online_test_support.h"
#include "support/recording_dialogs.h"
#include "test_server.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <functional>

using namespace kelvara;
using kelvara::test::OnlineSandbox;
using kelvara::test::RecordingDesktop;
using kelvara::test::RecordingDialogs;
using kelvara::test::TestServer;

namespace {
QSettings consentSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Norvane"),
                     QStringLiteral("Kelvara"));
}

QVariant storedValue() {
    return consentSettings().value(QStringLiteral("acceptedDS"));
}

QPushButton* button(QWidget* form, const char* name) {
    return form->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Runs action on the consent window once it is open; counts how often it was shown.
struct WindowDriver {
    int shown = 0;
    void whenShown(QDialog* form, std::function<void()> action) {
        QTimer::singleShot(0, form, [this, form, action] {
            if (form->isVisible()) {
                ++shown;
                action();
            }
        });
    }
};
} // namespace

class ConsentTest : public QObject {
    Q_OBJECT
private slots:
    void storedValueDecidesWhetherTheWindowIsShown_data();
    void storedValueDecidesWhetherTheWindowIsShown();
    void answerDecidesWhetherTheProgramGoesOn_data();
    void answerDecidesWhetherTheProgramGoesOn();
    void windowLooksAsSpecified();
    void windowInEnglish();
    void nothingIsRequestedBeforeConsent();
    void refusedConsentNeverRequestsAnything();
};

void ConsentTest::storedValueDecidesWhetherTheWindowIsShown_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("windowShown");
    QTest::addColumn<bool>("keptAfterCheck");

    QTest::newRow("absent") << QVariant() << true << false;
    QTest::newRow("zero") << QVariant(0) << true << false;
    QTest::newRow("negative") << QVariant(-3) << true << false;
    QTest::newRow("not an integer") << QVariant(QStringLiteral("ja")) << true << false;
    QTest::newRow("one") << QVariant(1) << false << true;
    QTest::newRow("larger") << QVariant(7) << false << true;
}

void ConsentTest::storedValueDecidesWhetherTheWindowIsShown() {
    QFETCH(QVariant, stored);
    QFETCH(bool, windowShown);
    QFETCH(bool, keptAfterCheck);

    OnlineSandbox sandbox;
    if (stored.isValid())
        consentSettings().setValue(QStringLiteral("acceptedDS"), stored);
    ConsentStore store;
    RecordingDialogs dialogs;
    int quits = 0;
    ConsentWindow form(store, dialogs, OwnerTexts{}, [&quits] { ++quits; });

    WindowDriver driver;
    bool valueGoneWhileShown = false;
    driver.whenShown(&form, [&] {
        valueGoneWhileShown = !storedValue().isValid();
        form.close();
    });
    const bool goesOn = form.checkConsent();

    QCOMPARE(driver.shown, windowShown ? 1 : 0);
    QCOMPARE(goesOn, !windowShown);
    QCOMPARE(quits, windowShown ? 1 : 0);
    if (windowShown)
        QVERIFY(valueGoneWhileShown);
    QCOMPARE(storedValue().isValid(), keptAfterCheck);
    QVERIFY(dialogs.messages.isEmpty());
}

void ConsentTest::answerDecidesWhetherTheProgramGoesOn_data() {
    QTest::addColumn<QString>("button"); // the button clicked, or empty: Escape
    QTest::addColumn<bool>("storeWritable");
    QTest::addColumn<bool>("goesOn");
    QTest::addColumn<QString>("message"); // the message shown, or empty: none

    const QString refusal = QStringLiteral("Für die Überprüfung von Updates und Sicherheitspatches, wird Ihre "
                                           "IpAdresse an unseren Server übertragen. Ohne diese Updates und Patches "
                                           "ist die Verwendung unserer Freeware nicht sicher und daher nicht möglich");
    QTest::newRow("accepted") << QStringLiteral("Button1") << true << true << QString();
    QTest::newRow("refused") << QStringLiteral("Button2") << true << false << refusal;
    QTest::newRow("closed otherwise") << QString() << true << false << QString();
    QTest::newRow("accepted, cannot be stored") << QStringLiteral("Button1") << false << false << QString();
}

void ConsentTest::answerDecidesWhetherTheProgramGoesOn() {
    QFETCH(QString, button);
    QFETCH(bool, storeWritable);
    QFETCH(bool, goesOn);
    QFETCH(QString, message);

    OnlineSandbox sandbox;
    if (!storeWritable)
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, sandbox.impossibleFolder());
    ConsentStore store;
    RecordingDialogs dialogs;
    int quits = 0;
    ConsentWindow form(store, dialogs, OwnerTexts{}, [&quits] { ++quits; });

    WindowDriver driver;
    driver.whenShown(&form, [&] {
        if (button.isEmpty())
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            ::button(&form, qPrintable(button))->click();
    });
    QCOMPARE(form.checkConsent(), goesOn);
    QCOMPARE(driver.shown, 1);
    QCOMPARE(quits, goesOn ? 0 : 1);
    QCOMPARE(dialogs.messageTexts(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(store.hasConsent(), goesOn);
    if (!goesOn) {
        if (storeWritable)
            QVERIFY(!storedValue().isValid());
        return;
    }
    QCOMPARE(storedValue().toInt(), 1);
    QVERIFY(QFile::exists(sandbox.settingsFolder() + QStringLiteral("/Norvane/Kelvara.conf")));

    // The next start finds the consent and shows nothing.
    ConsentWindow nextStart(store, dialogs, OwnerTexts{}, [&quits] { ++quits; });
    WindowDriver nextDriver;
    nextDriver.whenShown(&nextStart, [&nextStart] { nextStart.close(); });
    QVERIFY(nextStart.checkConsent());
    QCOMPARE(nextDriver.shown, 0);
    QCOMPARE(quits, 0);
}

// With the English translation the window and the statement read English, the owner's texts filled in.
void ConsentTest::windowInEnglish() {
    QTranslator english; // removes itself when it goes
    QVERIFY(english.load(QStringLiteral("kelvara_en"), QStringLiteral(":/i18n")));
    QCoreApplication::installTranslator(&english);
    OnlineSandbox sandbox;
    ConsentStore store;
    RecordingDialogs dialogs;
    OwnerTexts owner;
    owner.email = QStringLiteral("privacy@example.org");
    ConsentWindow form(store, dialogs, owner, [] {});

    QCOMPARE(form.windowTitle(), QStringLiteral("Privacy statement"));
    QCOMPARE(button(&form, "Button1")->text(), QStringLiteral("Accept"));
    QCOMPARE(button(&form, "Button2")->text(), QStringLiteral("Decline"));
    const QString text = form.findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"))->toPlainText();
    QVERIFY(text.startsWith(QStringLiteral("Privacy statement\n")));
    QVERIFY(text.contains(QStringLiteral("Your rights")));
    QVERIFY(text.contains(QStringLiteral("privacy@example.org")));
    QVERIFY(!text.contains(QLatin1Char('{')));
}

void ConsentTest::windowLooksAsSpecified() {
    OnlineSandbox sandbox;
    ConsentStore store;
    RecordingDialogs dialogs;
    OwnerTexts owner;
    owner.tradingName = QStringLiteral("Beispiel GmbH");
    owner.email = QStringLiteral("datenschutz@example.org");
    ConsentWindow form(store, dialogs, owner, [] {});

    QCOMPARE(form.windowTitle(), QStringLiteral("Datenschtzerklärung"));
    QCOMPARE(form.size(), QSize(645, 465));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                                    Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    auto* label = form.findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), QStringLiteral("Bitte lesen Sie unsere Datenschutzerklärung und akzeptieren Sie diese."));
    QCOMPARE(label->palette().color(QPalette::Window), label->palette().color(QPalette::ToolTipBase));
    QVERIFY(label->autoFillBackground());

    QCOMPARE(button(&form, "Button1")->text(), QStringLiteral("akzeptieren"));
    QCOMPARE(button(&form, "Button1")->geometry(), QRect(300, 6, 139, 25));
    QCOMPARE(button(&form, "Button2")->text(), QStringLiteral("nicht akzeptieren"));
    QCOMPARE(button(&form, "Button2")->geometry(), QRect(492, 6, 125, 25));

    auto* statement = form.findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"));
    QVERIFY(statement != nullptr);
    QVERIFY(statement->isReadOnly());
    const QString text = statement->toPlainText();
    // Every owner text is filled in; the sections come in their order.
    QVERIFY(!text.contains(QLatin1Char('{')));
    QVERIFY(text.contains(QStringLiteral("Beispiel GmbH")));
    QVERIFY(text.contains(QStringLiteral("datenschutz@example.org")));
    QVERIFY(text.startsWith(QStringLiteral("Datenschutzerklärung\n")));
    const QStringList sections = {QStringLiteral("Kontakt mit uns"),
                                  QStringLiteral("Cookies"),
                                  QStringLiteral("Datenschutzerklärung für die Nutzung eines Webanalysedienstes"),
                                  QStringLiteral("Widerspruch gegen Datenerfassung"),
                                  QStringLiteral("Newsletter"),
                                  QStringLiteral("Ihre Rechte"),
                                  QStringLiteral("Sie erreichen uns unter folgenden Kontaktdaten:")};
    qsizetype at = 0;
    for (const QString& section : sections) {
        const qsizetype found = text.indexOf(QLatin1Char('\n') + section + QLatin1Char('\n'), at);
        QVERIFY2(found > at, qPrintable(section));
        at = found;
    }
    QVERIFY(text.indexOf(QStringLiteral("OpenPGP"), at) > at);
}

void ConsentTest::nothingIsRequestedBeforeConsent() {
    OnlineSandbox sandbox;
    TestServer server;
    server.serve("/nvbanner.php", "<html><body>Banner</body></html>", "text/html");
    server.serve("/kelvara.txt", "1.0.0.0\r\nhttps://example.org/update.deb\r\n");

    QWidget mainWindow;
    QWidget panel(&mainWindow);
    RecordingDialogs dialogs;
    RecordingDesktop desktop;
    int quits = 0;
    OnlineServices::Options options;
    options.serverBase = server.base();
    OnlineServices services(
        &mainWindow, &panel, dialogs, desktop, [&quits] { ++quits; }, options);

    QTest::qWait(300);
    QCOMPARE(server.total(), 0);

    int requestsWhileAsking = -1;
    WindowDriver driver;
    driver.whenShown(services.consentWindow(), [&] {
        QTest::qWait(300);
        requestsWhileAsking = server.total();
        button(services.consentWindow(), "Button1")->click();
    });
    QVERIFY(services.checkConsent());
    QCOMPARE(driver.shown, 1);
    QCOMPARE(requestsWhileAsking, 0);

    // With consent, the banner loads and its completed load runs the update check.
    QTRY_COMPARE(server.count("/nvbanner.php"), 1);
    QTRY_COMPARE(server.count("/kelvara.txt"), 1);
    QCOMPARE(quits, 0);
}

void ConsentTest::refusedConsentNeverRequestsAnything() {
    OnlineSandbox sandbox;
    TestServer server;
    server.serve("/nvbanner.php", "<html><body>Banner</body></html>", "text/html");

    QWidget mainWindow;
    QWidget panel(&mainWindow);
    RecordingDialogs dialogs;
    RecordingDesktop desktop;
    int quits = 0;
    OnlineServices::Options options;
    options.serverBase = server.base();
    options.reloadInterval = std::chrono::milliseconds(50);
    OnlineServices services(
        &mainWindow, &panel, dialogs, desktop, [&quits] { ++quits; }, options);

    WindowDriver driver;
    driver.whenShown(services.consentWindow(), [&] { button(services.consentWindow(), "Button2")->click(); });
    QVERIFY(!services.checkConsent());
    QCOMPARE(quits, 1);
    QTest::qWait(300);
    QCOMPARE(server.total(), 0);
}

QTEST_MAIN(ConsentTest)
#include "consent_test.moc"
