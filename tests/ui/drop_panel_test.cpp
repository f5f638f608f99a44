// The drop panel: local files in the order of the drag, nothing else, and only while drops are accepted.
#include "ui/drop_panel.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

using kelvara::DropPanel;

namespace {
bool enterAccepted(QWidget& target, QMimeData& data) {
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    return enter.isAccepted();
}

void drop(QWidget& target, QMimeData& data) {
    QDropEvent event(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
}
} // namespace

class DropPanelTest : public QObject {
    Q_OBJECT

private slots:
    void filesArriveInOrderAsNativePaths() {
        DropPanel panel;
        panel.setDropAccept(true);
        QSignalSpy spy(&panel, &DropPanel::systemDrop);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/b.txt")), QUrl(QStringLiteral("https://x.invalid/a")),
                      QUrl::fromLocalFile(QStringLiteral("/tmp/a.kvra"))});
        QVERIFY(enterAccepted(panel, data));
        drop(panel, data);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toStringList(),
                 (QStringList{QDir::toNativeSeparators(QStringLiteral("/tmp/b.txt")),
                              QDir::toNativeSeparators(QStringLiteral("/tmp/a.kvra"))}));
    }

    void textAndRemoteLinksAreLeftToTheParent() {
        QWidget parent;
        auto* panel = new DropPanel(&parent);
        panel->setDropAccept(true);
        QSignalSpy spy(panel, &DropPanel::systemDrop);
        QMimeData text;
        text.setText(QStringLiteral("Hallo"));
        QVERIFY(!enterAccepted(*panel, text));
        QMimeData remote;
        remote.setUrls({QUrl(QStringLiteral("https://x.invalid/a"))});
        QVERIFY(!enterAccepted(*panel, remote));
        drop(*panel, remote);
        QCOMPARE(spy.count(), 0);
    }

    void nothingIsTakenWhileDropsAreOff() {
        DropPanel panel;
        QVERIFY(!panel.dropAccept());
        QVERIFY(!panel.acceptDrops());
        QSignalSpy spy(&panel, &DropPanel::systemDrop);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/b.txt"))});
        QVERIFY(!enterAccepted(panel, data));
        drop(panel, data);
        QCOMPARE(spy.count(), 0);
        panel.setDropAccept(true);
        QVERIFY(panel.acceptDrops());
    }
};

QTEST_MAIN(DropPanelTest)
#include "drop_panel_test.moc"
