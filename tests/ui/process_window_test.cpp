// The progress window: its frame, its controls, and the text and bar state that survive hiding.
#include "ui/process_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

using kelvara::ProcessWindow;

namespace {
QPoint centredTopLeft(const QWidget& over, const QWidget& window) {
    const QRect outer = over.frameGeometry();
    const QSize size = window.frameGeometry().size();
    return {outer.x() + (outer.width() - size.width()) / 2, outer.y() + (outer.height() - size.height()) / 2};
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

    void centredOverTheMainWindowAtEveryShow() {
        QWidget main;
        main.setGeometry(300, 200, 619, 511);
        main.show();
        ProcessWindow process(&main);
        process.showCentred();
        QVERIFY(process.isVisible());
        QCOMPARE(process.frameGeometry().topLeft(), centredTopLeft(main, process));
        main.move(100, 120);
        process.showCentred();
        QCOMPARE(process.frameGeometry().topLeft(), centredTopLeft(main, process));
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
