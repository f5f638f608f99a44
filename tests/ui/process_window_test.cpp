// The progress window: its frame, its controls, and the text and bar state that survive hiding.
#include "ui/process_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

using kelvara::ProcessWindow;

namespace {
// Both windows get the same kind of frame, so their frames are centred on each other exactly when their client
// areas are: the client areas are what every platform reports without delay.
bool centredOver(const QWidget& over, const QWidget& window) {
    const QPoint offset = window.geometry().center() - over.geometry().center();
    return qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1;
}
} // namespace

class ProcessWindowTest : public QObject {
    Q_OBJECT

private slots:
    void createdHiddenWithItsControls() {
        QWidget main;
        ProcessWindow process(&main);
        QVERIFY(!process.isVisible());
        QCOMPARE(process.objectName(), QStringLiteral("process"));
        QCOMPARE(process.windowTitle(), QStringLiteral("process"));
        QCOMPARE(process.size(), QSize(324, 61));
        QCOMPARE(process.minimumSize(), process.maximumSize());
        QCOMPARE(process.text(), QStringLiteral("Kelvara"));
        QCOMPARE(process.phaseLabel()->geometry(), QRect(8, 4, 305, 16));
        QCOMPARE(process.phaseLabel()->font().family(), QStringLiteral("Verdana"));
        QVERIFY(process.phaseLabel()->font().bold());
        QCOMPARE(process.progressBar()->geometry(), QRect(8, 22, 309, 17));
        QCOMPARE(process.progressBar()->accessibleName(), QStringLiteral("Fortschritt"));
        QCOMPARE(process.accessibleName(), QStringLiteral("Kelvara arbeitet"));
        QCOMPARE(process.maximum(), 100);
        QCOMPARE(process.position(), 0);
    }

    void noCloseButtonAndStaysOnTop() {
        ProcessWindow process;
        const Qt::WindowFlags flags = process.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    }

    // Also run on X with a window manager, whose frames are known only once a window is on screen.
    void centredOverTheMainWindowAtEveryShow() {
        QWidget main(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        main.setFixedSize(619, 511);
        main.move(300, 200);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        ProcessWindow process(&main);
        process.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&process));
        QTRY_VERIFY2(centredOver(main, process), "first show");

        process.close();
        main.move(100, 120);
        QTRY_VERIFY(main.geometry().x() < 300);
        process.showCentred();
        process.showCentred(); // a second show in a row changes nothing
        QVERIFY(QTest::qWaitForWindowExposed(&process));
        QTRY_VERIFY2(centredOver(main, process), "after the main window moved");
    }

    void stateSurvivesHiding() {
        ProcessWindow process;
        process.setText(QStringLiteral("Daten werden verschlüsselt !"));
        process.setMaximum(9);
        process.setPosition(4);
        process.showCentred();
        process.close();
        QVERIFY(!process.isVisible());
        process.showCentred();
        QCOMPARE(process.text(), QStringLiteral("Daten werden verschlüsselt !"));
        QCOMPARE(process.maximum(), 9);
        QCOMPARE(process.position(), 4);
        QCOMPARE(process.progressBar()->value(), 4);
    }

    void positionAboveTheMaximumShowsAFullBar() {
        ProcessWindow process;
        process.setMaximum(3);
        process.setPosition(7);
        QCOMPARE(process.position(), 3);
        QCOMPARE(process.progressBar()->value(), process.progressBar()->maximum());
        // A smaller maximum pulls the position along.
        process.setMaximum(1);
        QCOMPARE(process.position(), 1);
    }

    // With nothing to count the bar is empty, not Qt's endless busy animation.
    void emptyRangeShowsAnEmptyBar() {
        ProcessWindow process;
        process.setMaximum(0);
        process.setPosition(0);
        QCOMPARE(process.maximum(), 0);
        QVERIFY(process.progressBar()->maximum() > process.progressBar()->minimum());
        QCOMPARE(process.progressBar()->value(), 0);
        process.setMaximum(-5);
        QCOMPARE(process.maximum(), 0);
    }

    void longTextGrowsTheLabelDownwards() {
        ProcessWindow process;
        process.setText(QStringLiteral("Ein sehr langer Text, der auf keinen Fall in eine einzige Zeile des "
                                       "Fortschrittsfensters passt und deshalb umbrochen wird."));
        QCOMPARE(process.phaseLabel()->pos(), QPoint(8, 4));
        QCOMPARE(process.phaseLabel()->width(), 305);
        QVERIFY(process.phaseLabel()->height() > 16);
    }
};

QTEST_MAIN(ProcessWindowTest)
#include "process_window_test.moc"
