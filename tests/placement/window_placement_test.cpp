// The main window's placement across program runs, on fake monitor layouts, with the settings file on disk.
#include "core_temp_dir.h"
#include "placement/window_placement.h"
#include "settings/ini_file.h"
#include "settings/ini_values.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace kelvara {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const QPoint designedPosition(444, 205);
const QSize outerSize(625, 540);

ScreenLayout singleMonitor() {
    return {QSize(1920, 1080), {QRect(0, 0, 1920, 1080)}, 96};
}

ScreenLayout twoMonitors() {
    return {QSize(3840, 1080), {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)}, 96};
}

// The frame the platform draws around a top-level window's client area.
QMargins frameMargins() {
    QWidget probe;
    probe.winId();
    const QRect client = probe.geometry();
    const QRect frame = probe.frameGeometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// Where the window's frame stands in the normal state, also while it is minimised or maximised.
QPoint normalFramePosition(const QWidget& window) {
    return window.normalGeometry().topLeft() - QPoint(frameMargins().left(), frameMargins().top());
}

// One run of the program as the main window drives the placement: the store reads the file while the window is
// created, the placement is restored at the first show, saved at the close, and the file written at the end.
class ProgramRun {
public:
    ProgramRun(const std::filesystem::path& file, ScreenLayout layout) : store(file), placement(store) {
        store.load();
        placement.setScreenLayoutSource([layout] { return layout; });
        // The fixed outer size, whatever frame the platform draws around the client area.
        const QMargins frame = frameMargins();
        window.setFixedSize(outerSize.shrunkBy(frame));
        window.move(designedPosition);
    }

    void showWindow() {
        placement.restore(window);
        window.show();
        QCoreApplication::processEvents();
    }

    void end() {
        placement.save(window);
        window.close();
        store.save();
    }

    IniFile store;
    WindowPlacement placement;
    QWidget window;
};

std::string mainFormSection(QPoint normalAt, int showCommand, const std::string& sizeSuffix = "(1920x1080)") {
    const std::string norm = formatFourIntegers(normalAt.x(), normalAt.y(), normalAt.x() + outerSize.width(),
                                                normalAt.y() + outerSize.height());
    return "[MainForm]\r\nFormVersion=0\r\nShowCmd=" + std::to_string(showCommand) +
           "\r\nFlags=0\r\nPixelsPerInch=96\r\nMinMaxPos" + sizeSuffix + "=-1,-1,-1,-1\r\nMinMaxPos=-1,-1,-1,-1\r\n" +
           "NormPos" + sizeSuffix + "=" + norm + "\r\nNormPos=" + norm + "\r\n\r\n";
}

} // namespace

class WindowPlacementTest : public QObject {
    Q_OBJECT

private:
    std::filesystem::path settingsFile() const { return *m_folder / "Kelvara.kvs"; }
    std::unique_ptr<TempDir> m_folder;

private slots:
    void init() { m_folder = std::make_unique<TempDir>(); }

    void firstRunOpensAtTheDesignedPositionAndWritesTheWholePlacement() {
        ProgramRun run(settingsFile(), singleMonitor());
        run.showWindow();
        QCOMPARE(run.window.frameGeometry(), QRect(designedPosition, outerSize));
        QVERIFY(run.placement.restoreCompleted());
        run.end();

        QCOMPARE(readFile(settingsFile()), "[MainForm]\r\n"
                                           "FormVersion=0\r\n"
                                           "ShowCmd=1\r\n"
                                           "Flags=0\r\n"
                                           "PixelsPerInch=96\r\n"
                                           "MinMaxPos(1920x1080)=-1,-1,-1,-1\r\n"
                                           "MinMaxPos=-1,-1,-1,-1\r\n"
                                           "NormPos(1920x1080)=444,205,1069,745\r\n"
                                           "NormPos=444,205,1069,745\r\n"
                                           "\r\n");
    }

    void movedWindowComesBackWhereItWasLeft() {
        {
            ProgramRun first(settingsFile(), singleMonitor());
            first.showWindow();
            first.window.move(100, 150);
            first.end();
        }
        QCOMPARE(readFile(settingsFile()), mainFormSection(QPoint(100, 150), 1));

        ProgramRun second(settingsFile(), singleMonitor());
        second.showWindow();
        QCOMPARE(second.window.pos(), QPoint(100, 150));
        // The placement is taken once per run.
        second.window.move(10, 10);
        second.placement.restore(second.window);
        QCOMPARE(second.window.pos(), QPoint(10, 10));
    }

    void anotherDesktopSizeFallsBackToThePlainKeysAndKeepsOlderSizedKeys() {
        {
            ProgramRun onOneMonitor(settingsFile(), singleMonitor());
            onOneMonitor.showWindow();
            onOneMonitor.window.move(300, 200);
            onOneMonitor.end();
        }
        {
            ProgramRun onTwoMonitors(settingsFile(), twoMonitors());
            onTwoMonitors.showWindow();
            QCOMPARE(onTwoMonitors.window.pos(), QPoint(300, 200));
            onTwoMonitors.window.move(1000, 100);
            onTwoMonitors.end();
        }
        IniFile file(settingsFile());
        file.load();
        QCOMPARE(file.readString("MainForm", "NormPos(1920x1080)"), "300,200,925,740");
        QCOMPARE(file.readString("MainForm", "NormPos(3840x1080)"), "1000,100,1625,640");
        QCOMPARE(file.readString("MainForm", "MinMaxPos(3840x1080)"), "-1,-1,-1,-1");
        QCOMPARE(file.readString("MainForm", "NormPos"), "1000,100,1625,640");

        // Back on the first desktop size, its own sized key wins over the plain one.
        ProgramRun again(settingsFile(), singleMonitor());
        again.showWindow();
        QCOMPARE(again.window.pos(), QPoint(300, 200));
    }

    void minimisedAtExitShowsTheWindowAndThenMinimisesIt() {
        {
            ProgramRun first(settingsFile(), singleMonitor());
            first.showWindow();
            first.window.move(200, 100);
            first.window.showMinimized();
            QVERIFY(first.window.isMinimized());
            first.end();
        }
        QCOMPARE(readFile(settingsFile()), mainFormSection(QPoint(200, 100), 2));

        ProgramRun second(settingsFile(), singleMonitor());
        second.placement.restore(second.window);
        QVERIFY(!second.window.isMinimized());
        second.window.show();
        QTRY_VERIFY(second.window.isMinimized());
        QVERIFY(second.window.isVisible());
        QCOMPARE(normalFramePosition(second.window), QPoint(200, 100));
    }

    void maximisedAtExitStoresTheNormalRectangleAndComesBackMaximised() {
        {
            ProgramRun first(settingsFile(), singleMonitor());
            first.showWindow();
            first.window.move(200, 100);
            first.window.showMaximized();
            QVERIFY(first.window.isMaximized());
            first.end();
        }
        QCOMPARE(readFile(settingsFile()), mainFormSection(QPoint(200, 100), 3));

        ProgramRun second(settingsFile(), singleMonitor());
        second.showWindow();
        QTRY_VERIFY(second.window.isMaximized());
        QCOMPARE(normalFramePosition(second.window), QPoint(200, 100));
        // The normal rectangle does not creep from run to run.
        second.end();
        QCOMPARE(readFile(settingsFile()), mainFormSection(QPoint(200, 100), 3));
    }

    void storedRectangleIsAppliedOnlyWhenBothCornersLieOnMonitors_data() {
        QTest::addColumn<bool>("twoScreens");
        QTest::addColumn<QString>("normPos");
        QTest::addColumn<QPoint>("expected");

        QTest::newRow("far off the only monitor") << false << "5000,5000,5625,5540" << designedPosition;
        QTest::newRow("partly off to the right and bottom") << false << "1500,700,2125,1240" << designedPosition;
        QTest::newRow("partly off to the left") << false << "-100,50,525,590" << designedPosition;
        QTest::newRow("right not beyond left") << false << "700,100,700,640" << designedPosition;
        QTest::newRow("bottom not below top") << false << "100,640,725,100" << designedPosition;
        QTest::newRow("touching the bottom right corner") << false << "1295,540,1920,1080" << QPoint(1295, 540);
        QTest::newRow("one pixel beyond it") << false << "1296,540,1921,1080" << designedPosition;
        QTest::newRow("across two monitors") << true << "1600,100,2225,640" << QPoint(1600, 100);
        QTest::newRow("on the second monitor") << true << "3000,300,3625,840" << QPoint(3000, 300);
    }

    void storedRectangleIsAppliedOnlyWhenBothCornersLieOnMonitors() {
        QFETCH(bool, twoScreens);
        QFETCH(QString, normPos);
        QFETCH(QPoint, expected);
        writeFile(settingsFile(), "[MainForm]\r\nShowCmd=1\r\nPixelsPerInch=96\r\nNormPos=" + normPos.toStdString());

        ProgramRun run(settingsFile(), twoScreens ? twoMonitors() : singleMonitor());
        run.showWindow();
        QCOMPARE(run.window.pos(), expected);
    }

    void positionThatIsNotAppliedStillAppliesTheShowState_data() {
        QTest::addColumn<QString>("content");

        QTest::newRow("off-screen rectangle") << "PixelsPerInch=96\r\nNormPos=5000,5000,5625,5540";
        QTest::newRow("other dots per inch") << "PixelsPerInch=120\r\nNormPos=100,100,725,640";
    }

    void positionThatIsNotAppliedStillAppliesTheShowState() {
        QFETCH(QString, content);
        writeFile(settingsFile(), "[MainForm]\r\nShowCmd=2\r\n" + content.toStdString());

        ProgramRun run(settingsFile(), singleMonitor());
        run.showWindow();
        QTRY_VERIFY(run.window.isMinimized());
        QCOMPARE(normalFramePosition(run.window), designedPosition);
    }

    void malformedValuesAreIgnoredAndRewrittenAtTheNextSave_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QPoint>("expected");

        const QString stored = QStringLiteral("100,150,725,690");
        QTest::newRow("FormVersion") << "FormVersion"
                                     << "zero" << QPoint(100, 150);
        QTest::newRow("ShowCmd") << "ShowCmd"
                                 << "max" << QPoint(100, 150);
        QTest::newRow("Flags") << "Flags"
                               << "1x" << QPoint(100, 150);
        QTest::newRow("PixelsPerInch") << "PixelsPerInch"
                                       << "96dpi" << QPoint(100, 150);
        QTest::newRow("NormPos left") << "NormPos"
                                      << "left,150,725,690" << QPoint(444, 150);
        QTest::newRow("NormPos top") << "NormPos"
                                     << "100,top,725,690" << QPoint(100, 205);
        // Without right and bottom the window keeps its size at the stored position.
        QTest::newRow("NormPos two words") << "NormPos"
                                           << "700,150" << QPoint(700, 150);
        QTest::newRow("NormPos overflowing") << "NormPos"
                                             << "99999999999,150,725,690" << QPoint(444, 150);
    }

    void malformedValuesAreIgnoredAndRewrittenAtTheNextSave() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QPoint, expected);
        IniFile seed(settingsFile());
        seed.writeInteger("MainForm", "FormVersion", 0);
        seed.writeInteger("MainForm", "ShowCmd", 1);
        seed.writeInteger("MainForm", "Flags", 0);
        seed.writeInteger("MainForm", "PixelsPerInch", 96);
        seed.writeString("MainForm", "MinMaxPos", "-1,-1,-1,-1");
        seed.writeString("MainForm", "NormPos", "100,150,725,690");
        seed.writeString("MainForm", key.toStdString(), value.toStdString());
        QVERIFY(seed.save());

        ProgramRun run(settingsFile(), singleMonitor());
        run.showWindow();
        QCOMPARE(run.window.pos(), expected);
        QVERIFY(!run.window.isMinimized() && !run.window.isMaximized());
        QVERIFY(run.placement.restoreCompleted());
        run.end();

        // Same key order as the seed, whose MinMaxPos and NormPos came before the sized keys.
        const std::string norm = formatFourIntegers(expected.x(), expected.y(), expected.x() + 625, expected.y() + 540);
        QCOMPARE(readFile(settingsFile()),
                 "[MainForm]\r\nFormVersion=0\r\nShowCmd=1\r\nFlags=0\r\nPixelsPerInch=96\r\n"
                 "MinMaxPos=-1,-1,-1,-1\r\nNormPos=" +
                     norm + "\r\nMinMaxPos(1920x1080)=-1,-1,-1,-1\r\nNormPos(1920x1080)=" + norm + "\r\n\r\n");
    }

    void negativeFormVersionSkipsThePlacementButLaterSavesStoreIt() {
        writeFile(settingsFile(), "[MainForm]\r\nFormVersion=-1\r\nShowCmd=3\r\nNormPos=100,150,725,690\r\n");

        ProgramRun run(settingsFile(), singleMonitor());
        run.showWindow();
        QCOMPARE(run.window.pos(), designedPosition);
        QVERIFY(!run.window.isMaximized());
        QVERIFY(run.placement.restoreCompleted());
        run.window.move(20, 30);
        run.end();

        IniFile file(settingsFile());
        file.load();
        QCOMPARE(file.readString("MainForm", "FormVersion"), "0");
        QCOMPARE(file.readString("MainForm", "ShowCmd"), "1");
        QCOMPARE(file.readString("MainForm", "NormPos"), "20,30,645,570");
    }

    void saveBeforeTheFirstShowWritesOnlyTheVersion() {
        const std::string stored = "[MainForm]\r\nFormVersion=3\r\nShowCmd=2\r\nNormPos=100,150,725,690\r\n\r\n";
        writeFile(settingsFile(), stored);

        ProgramRun run(settingsFile(), singleMonitor());
        run.end();
        QVERIFY(!run.placement.restoreCompleted());

        QCOMPARE(readFile(settingsFile()),
                 "[MainForm]\r\nFormVersion=0\r\nShowCmd=2\r\nNormPos=100,150,725,690\r\n\r\n");
    }

    void readOnlyFileIsAppliedButNeverChanged() {
        const std::string stored = "[MainForm]\r\n; kept as it is\r\nShowCmd=1\r\nNormPos=100,150,725,690\r\n";
        writeFile(settingsFile(), stored);
        std::filesystem::permissions(settingsFile(),
                                     std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);

        ProgramRun run(settingsFile(), singleMonitor());
        run.showWindow();
        QCOMPARE(run.window.pos(), QPoint(100, 150));
        run.window.move(300, 300);
        run.end();
        QCOMPARE(readFile(settingsFile()), stored);
    }

    void withoutAFakeLayoutTheScreensComeFromQt() {
        IniFile store(settingsFile());
        WindowPlacement placement(store);
        QWidget window;
        placement.restore(window);
        placement.save(window);

        const QScreen* primary = QGuiApplication::primaryScreen();
        QVERIFY(primary != nullptr);
        const QSize desktop = primary->virtualGeometry().size();
        const std::string sized =
            "NormPos(" + std::to_string(desktop.width()) + 'x' + std::to_string(desktop.height()) + ')';
        QVERIFY(store.readString("MainForm", sized).has_value());
        QCOMPARE(store.readInteger("MainForm", "PixelsPerInch", -1), qRound(primary->logicalDotsPerInch()));
    }

    void commentsAreGoneAfterTheNextEnd() {
        writeFile(settingsFile(),
                  "; written by hand\r\n[MainForm]\r\n;NormPos=1,1,626,541\r\nNormPos=100,150,725,690\r\n");

        ProgramRun run(settingsFile(), singleMonitor());
        run.showWindow();
        QCOMPARE(run.window.pos(), QPoint(100, 150));
        run.end();
        QVERIFY(readFile(settingsFile()).find(';') == std::string::npos);
    }
};

} // namespace kelvara

QTEST_MAIN(kelvara::WindowPlacementTest)
#include "window_placement_test.moc"
