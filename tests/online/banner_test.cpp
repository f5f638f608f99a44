// The banner: a page with an animated picture, the fallback page on every kind of failure, the reload timer,
// links, and the host's settings on the view.
#include "online/banner.h"
#include "online/banner_view.h"
#include "online/browser_host.h"
#include "online/http_client.h"
#include "online_test_support.h"
#include "support/recording_dialogs.h"
#include "test_server.h"

#include <QContextMenuEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTranslator>

using namespace kelvara;
using kelvara::test::OnlineSandbox;
using kelvara::test::RecordingDesktop;
using kelvara::test::TestServer;

namespace {
// The fallback page as the program must build it, written out here independently of the code.
QString expectedFallback(const QUrl& base, const QString& picture) {
    return QStringLiteral("<BODY leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\" margin=\"0\" "
                          "bgcolor=\"#A9FB1A\"><HEAD></HEAD><BODY><table width=\"100%\" border=\"0\" cellspacing=\"0\" "
                          "cellpadding=\"0\"> <tr> <td><div align=\"center\"><a href=\"%1nvbannerl.php?id=2\" "
                          "target=\"_blank\"><img src=\"%2\" border=\"0\"></a></div></td></tr></table></BODY></HTML>")
        .arg(base.toString(), picture);
}

bool sendContextMenu(QWidget* viewport) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), viewport->mapToGlobal(QPoint(10, 10)));
    return QCoreApplication::sendEvent(viewport, &event);
}

struct Fixture {
    OnlineSandbox sandbox;
    TestServer server;
    HttpClient client;
    RecordingDesktop desktop;
    QWidget panel;
    Banner banner{client, desktop, server.base(), &panel};
    QSignalSpy completed{&banner, &Banner::documentComplete};

    Fixture() {
        panel.resize(619, 68);
        client.setTransferTimeout(std::chrono::milliseconds(300));
    }
};
} // namespace

class BannerTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheBannerWithItsAnimatedPicture();
    void fallbackOnEveryFailure_data();
    void fallbackOnEveryFailure();
    void fallbackFromResourcesWhenThePictureCannotBeWritten();
    void fallbackPictureLinksToTheServer();
    void fallbackPictureInEnglish();
    void fallbackPictureFillsTheStripFromItsCorner();
    void reloadsOnTheTimerAndReportsEveryLoad();
    void viewHasNoBorderScrollBarsSelectionOrMenu();
    void hostDefaultsAndCustomMenu();
};

void BannerTest::showsTheBannerWithItsAnimatedPicture() {
    Fixture f;
    const QByteArray gif = kelvara::test::readAll(QStringLiteral(KELVARA_TEST_DATA_DIR "/anim.gif"));
    QVERIFY(!gif.isEmpty());
    f.server.serve("/nvbanner.php",
                   "<html><body bgcolor=\"#ffffff\"><a href=\"go.php\"><img src=\"pics/anim.gif\">"
                   "</a> Kelvara</body></html>",
                   "text/html");
    f.server.serve("/pics/anim.gif", gif.toStdString(), "image/gif");

    f.banner.start();
    QVERIFY(f.completed.wait(10000));

    const QUrl picture = f.server.url(QStringLiteral("pics/anim.gif"));
    BannerView* view = f.banner.view();
    QVERIFY(view->hasPicture(picture));
    QVERIFY(view->isAnimated(picture));
    QVERIFY(view->toPlainText().contains(QStringLiteral("Kelvara")));
    QCOMPARE(f.completed.size(), 1);
    QCOMPARE(f.server.count("/nvbanner.php"), 1);
    QCOMPARE(f.server.count("/pics/anim.gif"), 1);
    for (const auto& request : f.server.requests())
        QCOMPARE(request.header("User-Agent"), std::string("Mozilla/3.0 (compatible; Kelvara)"));
    QVERIFY(!QFile::exists(f.sandbox.filesFolder() + QStringLiteral("/Kelvaraadv.gif")));

    // A link in the banner opens in the system's browser, resolved against the page.
    emit view->anchorClicked(QUrl(QStringLiteral("go.php")));
    QCOMPARE(f.desktop.opened, QList<QUrl>{f.server.url(QStringLiteral("go.php"))});
}

void BannerTest::fallbackOnEveryFailure_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("404") << "404";
    QTest::newRow("302") << "302";
    QTest::newRow("stall") << "stall";
    QTest::newRow("no server") << "none";
}

void BannerTest::fallbackOnEveryFailure() {
    QFETCH(QString, kind);
    OnlineSandbox sandbox;
    TestServer server;
    if (kind == QLatin1String("404"))
        server.status("/nvbanner.php", 404);
    else if (kind == QLatin1String("302"))
        server.redirect("/nvbanner.php", "/elsewhere.html");
    else if (kind == QLatin1String("stall"))
        server.stall("/nvbanner.php");
    QUrl base = server.base();
    if (kind == QLatin1String("none")) {
        TestServer closed;
        base = closed.base();
    }

    HttpClient client;
    client.setTransferTimeout(std::chrono::milliseconds(300));
    RecordingDesktop desktop;
    QWidget panel;
    Banner banner(client, desktop, base, &panel);
    QSignalSpy completed(&banner, &Banner::documentComplete);
    banner.start();
    QVERIFY(completed.wait(10000));

    const QString file = sandbox.filesFolder() + QStringLiteral("/Kelvaraadv.gif");
    QCOMPARE(banner.view()->currentHtml(),
             expectedFallback(base, QDir::toNativeSeparators(sandbox.filesFolder() + QLatin1Char('/')) +
                                        QStringLiteral("Kelvaraadv.gif")));
    QCOMPARE(kelvara::test::readAll(file), kelvara::test::readAll(QStringLiteral(":/online/Kelvaraadv.gif")));
    QCOMPARE(QImage(file).size(), QSize(620, 66));
    QVERIFY(kelvara::test::readAll(file).startsWith("GIF89a"));
    QVERIFY(banner.view()->hasPicture(QUrl(QDir::toNativeSeparators(file))));
    QCOMPARE(completed.size(), 1);
    QCOMPARE(server.count("/elsewhere.html"), 0);
    QVERIFY(sandbox.errors.isEmpty());
}

void BannerTest::fallbackFromResourcesWhenThePictureCannotBeWritten() {
    Fixture f;
    f.server.status("/nvbanner.php", 500);
    appPaths::setWritableFolderOverride(f.sandbox.impossibleFolder());

    f.banner.start();
    QVERIFY(f.completed.wait(10000));

    QCOMPARE(f.banner.view()->currentHtml(),
             expectedFallback(f.server.base(), QStringLiteral("qrc:/online/Kelvaraadv.gif")));
    QVERIFY(f.banner.view()->hasPicture(QUrl(QStringLiteral("qrc:/online/Kelvaraadv.gif"))));
    QVERIFY(f.sandbox.errors.isEmpty());
}

// With the English translation the fallback picture with English texts is written under the same name.
void BannerTest::fallbackPictureInEnglish() {
    QTranslator english; // removes itself when it goes
    QVERIFY(english.load(QStringLiteral("kelvara_en"), QStringLiteral(":/i18n")));
    QCoreApplication::installTranslator(&english);
    Fixture f;
    f.server.status("/nvbanner.php", 404);
    f.banner.start();
    QVERIFY(f.completed.wait(10000));

    const QString file = f.sandbox.filesFolder() + QStringLiteral("/Kelvaraadv.gif");
    const QByteArray picture = kelvara::test::readAll(file);
    QCOMPARE(picture, kelvara::test::readAll(QStringLiteral(":/online/Kelvaraadv_en.gif")));
    QVERIFY(picture != kelvara::test::readAll(QStringLiteral(":/online/Kelvaraadv.gif")));
    QCOMPARE(QImage(file).size(), QSize(620, 66));
}

void BannerTest::fallbackPictureLinksToTheServer() {
    Fixture f;
    f.server.status("/nvbanner.php", 404);
    f.banner.start();
    QVERIFY(f.completed.wait(10000));

    // Click in the middle of the banner, where the centred picture is.
    BannerView* view = f.banner.view();
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));
    const QPoint centre = view->viewport()->rect().center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(f.desktop.opened, QList<QUrl>{f.server.url(QStringLiteral("nvbannerl.php?id=2"))});
}

// The 620 x 66 picture starts in the strip's top-left corner and fills all 617 x 66 pixels of the view.
void BannerTest::fallbackPictureFillsTheStripFromItsCorner() {
    Fixture f;
    f.server.status("/nvbanner.php", 404);
    f.banner.start();
    QVERIFY(f.completed.wait(10000));
    f.panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.panel));

    const QImage shown = f.banner.view()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = QImage(QStringLiteral(":/online/Kelvaraadv.gif")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(617, 66));
    for (const QPoint corner : {QPoint(0, 0), QPoint(616, 0), QPoint(0, 65), QPoint(616, 65)})
        QCOMPARE(shown.pixel(corner), picture.pixel(corner));
}

void BannerTest::reloadsOnTheTimerAndReportsEveryLoad() {
    Fixture f;
    f.server.serve("/nvbanner.php", "<html><body>Banner</body></html>", "text/html");
    QCOMPARE(f.banner.reloadTimer()->interval(), 300000);
    f.banner.setReloadInterval(std::chrono::milliseconds(100));

    QTest::qWait(200);
    QCOMPARE(f.server.total(), 0); // nothing before start()
    f.banner.start();
    f.banner.start(); // a second start changes nothing
    QTRY_VERIFY_WITH_TIMEOUT(f.server.count("/nvbanner.php") >= 3, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(f.completed.size() >= 3, 10000);
    QVERIFY(f.completed.size() <= f.server.count("/nvbanner.php"));
}

void BannerTest::viewHasNoBorderScrollBarsSelectionOrMenu() {
    Fixture f;
    BannerView* view = f.banner.view();
    QCOMPARE(view->frameShape(), QFrame::NoFrame);
    QCOMPARE(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(!(view->textInteractionFlags() & Qt::TextSelectableByMouse));
    QVERIFY(view->textInteractionFlags() & Qt::LinksAccessibleByMouse);
    QVERIFY(view->focusPolicy() == Qt::NoFocus);
    QCOMPARE(view->parentWidget(), &f.panel);
    f.panel.show();
    QCOMPARE(view->geometry(), QRect(1, 1, 617, 66));

    // In a panel with a frame of its own, the view fills the frame's inside.
    QFrame framed;
    framed.setFrameShape(QFrame::Panel);
    framed.setLineWidth(1);
    framed.resize(619, 68);
    Banner inFrame(f.client, f.desktop, f.server.base(), &framed);
    framed.show();
    QCOMPARE(inFrame.view()->geometry(), QRect(1, 1, 617, 66));

    // The host swallows the right-click: no menu opens.
    QVERIFY(sendContextMenu(view->viewport()));
    QVERIFY(QApplication::activePopupWidget() == nullptr);
}

void BannerTest::hostDefaultsAndCustomMenu() {
    QTextBrowser view;
    BrowserHost host(&view);
    QCOMPARE(host.property("UseCustomCtxMenu").toBool(), false);
    QCOMPARE(host.property("Show3DBorder").toBool(), true);
    QCOMPARE(host.property("ShowScrollBars").toBool(), true);
    QCOMPARE(host.property("AllowTextSelection").toBool(), true);
    QCOMPARE(host.property("CSS").toString(), QString());
    QVERIFY(view.frameShape() != QFrame::NoFrame);
    QCOMPARE(view.verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QVERIFY(view.textInteractionFlags() & Qt::TextSelectableByMouse);

    host.setProperty("CSS", QStringLiteral("p { color: red; }"));
    QCOMPARE(view.document()->defaultStyleSheet(), QStringLiteral("p { color: red; }"));

    // With the custom menu on, the host swallows the right-click and no menu opens.
    host.setUseCustomCtxMenu(true);
    view.show();
    QVERIFY(sendContextMenu(view.viewport()));
    QVERIFY(QApplication::activePopupWidget() == nullptr);

    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, NullBrowserHost{nullptr});
}

QTEST_MAIN(BannerTest)
#include "banner_test.moc"
