// The real question box: with an owner it blocks the program's windows, without one it blocks none.
#include "ui/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using kelvara::QtDialogs;

namespace {
QMessageBox* openQuestion() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible())
            return box;
    }
    return nullptr;
}
} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    // While the question waits, a click on a button of another window reaches it only when nothing blocks it.
    void questionBlocksWindowsOnlyWithAnOwner_data() {
        QTest::addColumn<bool>("owned");
        QTest::newRow("owner") << true;
        QTest::newRow("no owner") << false;
    }

    void questionBlocksWindowsOnlyWithAnOwner() {
        QFETCH(bool, owned);
        QWidget main;
        auto* button = new QPushButton(QStringLiteral("Beenden"), &main);
        int clicks = 0;
        connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        // Checked from inside the question's wait, then answered Yes.
        bool seen = false;
        bool modal = false;
        int clicksWhileOpen = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            QMessageBox* box = openQuestion();
            if (box == nullptr)
                return;
            poll.stop();
            seen = true;
            modal = QApplication::activeModalWidget() == box;
            // Through the window, as the platform delivers it, so that a blocked window does not get it.
            QTest::mouseClick(main.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
            clicksWhileOpen = clicks;
            box->button(QMessageBox::Yes)->click();
        });
        poll.start(10);

        QtDialogs dialogs;
        QVERIFY(dialogs.question(owned ? &main : nullptr, QStringLiteral("Update?"), QStringLiteral("UPDATE")));
        QVERIFY(seen);
        QCOMPARE(modal, owned);
        QCOMPARE(clicksWhileOpen, owned ? 0 : 1);
        QVERIFY(openQuestion() == nullptr);
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
