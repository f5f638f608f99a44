// The main window's fixed layout, texts, hidden controls, hover hints, tab order and caption.
#include "app/main_window.h"
#include "support/recording_dialogs.h"
#include "ui/file_version.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

using kelvara::MainWindow;
using kelvara::test::RecordingDialogs;

namespace {
template <typename T = QWidget> T* control(const QWidget& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

// A text as it is shown: the "&" that marks a mnemonic letter is not drawn ("&&" draws one "&").
QString shown(QString text) {
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&')).replace('\x01', '&');
}

QString textOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return shown(label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget))
        return shown(group->title());
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(widget))
        return memo->toPlainText();
    return {};
}

// A hint with the shortcut that runs the same action, in the words of the language shown.
QString withKeys(const QString& hint, const char* keys) {
    return QStringLiteral("%1 (%2)").arg(hint,
                                         QKeySequence(QString::fromLatin1(keys)).toString(QKeySequence::NativeText));
}

void moveMouseOver(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}
} // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        m_dialogs = std::make_unique<RecordingDialogs>();
        m_window = std::make_unique<MainWindow>(*m_dialogs);
    }
    void cleanup() { m_window.reset(); }

    void visibleControls_data() {
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("Panel1") << "MainForm" << QRect(0, 0, 619, 68) << "";
        QTest::newRow("StatusBar1") << "MainForm" << QRect(0, 492, 619, 19) << "";
        QTest::newRow("Panel2") << "MainForm" << QRect(0, 68, 619, 424) << "";
        QTest::newRow("Image1") << "Panel2" << QRect(545, 0, 64, 64) << "";
        QTest::newRow("Image2") << "Panel2" << QRect(512, 0, 32, 32) << "";
        QTest::newRow("lbl1") << "Panel2" << QRect(20, 6, 344, 13)
                              << "Verwenden Sie aus Sicherheitsgründen immer ein Passwort!";
        QTest::newRow("Label1") << "Panel2" << QRect(20, 26, 67, 16) << "Passwort";
        QTest::newRow("Edit1") << "Panel2" << QRect(97, 20, 158, 28) << "";
        QTest::newRow("GroupBox2") << "Panel2" << QRect(18, 64, 589, 73) << "Dateien";
        QTest::newRow("DropPanel1") << "GroupBox2" << QRect(2, 15, 585, 56) << "";
        QTest::newRow("SpeedButton3") << "DropPanel1" << QRect(24, 3, 37, 37) << "";
        QTest::newRow("SpeedButton4") << "DropPanel1" << QRect(79, 3, 37, 37) << "";
        QTest::newRow("Label2") << "DropPanel1" << QRect(136, 0, 449, 56)
            << "Das erste Symbol um eine Date zu ver- das zweite zum entschlüsseln. Sie können auch eine Datei per "
               "Drag n Drop hierher ziehen. Das System erkennt automatisch (*.kvra) welche Dateien ent- bzw "
               "verschlüsselt werden müssen.";
        QTest::newRow("GroupBox1") << "Panel2" << QRect(18, 137, 591, 236) << "Text der verschlüsselt werden soll";
        QTest::newRow("Memo1") << "GroupBox1" << QRect(2, 15, 587, 163) << "";
        QTest::newRow("Panel3") << "GroupBox1" << QRect(2, 178, 587, 56) << "";
        QTest::newRow("SpeedButton5") << "Panel3" << QRect(5, 11, 37, 37) << "";
        QTest::newRow("SpeedButton6") << "Panel3" << QRect(53, 11, 37, 37) << "";
        QTest::newRow("Label3") << "Panel3" << QRect(137, 1, 449, 54)
            << "Das erste Symbol um obigen Text zu ver- das zweite zum entschlüsseln. Der ver- bzw entschlüsselte "
               "Text wird automatisch in die Zwischenablage kopiert.";
        QTest::newRow("Button1") << "Panel2" << QRect(534, 378, 75, 25) << "Beenden";
        // clang-format on
    }

    void visibleControls() {
        QFETCH(QString, parentName);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        m_window->show();
        QWidget* widget = m_window->findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(widget != nullptr);
        QCOMPARE(widget->parentWidget()->objectName(), parentName);
        QCOMPARE(widget->geometry(), geometry);
        QVERIFY(widget->isVisible());
        QCOMPARE(textOf(widget), text);
    }

    void fontsAndColours() {
        auto* label1 = control<QLabel>(*m_window, "Label1");
        QCOMPARE(label1->font().family(), QStringLiteral("Verdana"));
        QCOMPARE(label1->font().pointSize(), 10);
        QVERIFY(label1->font().bold());
        QCOMPARE(control(*m_window, "Edit1")->font().pixelSize(), 16);
        for (const char* name : {"lbl1", "Label2", "Label3"}) {
            auto* label = control<QLabel>(*m_window, name);
            QCOMPARE(label->font().family(), QStringLiteral("Verdana"));
            QCOMPARE(label->font().pointSize(), 8);
            // Painted opaque in the tooltip colour (checked in a corner without text).
            const QImage painted = label->grab().toImage();
            QCOMPARE(QColor(painted.pixel(painted.width() - 2, painted.height() - 2)),
                     QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase));
        }
        // Dots until the eye inside the field is switched on.
        QCOMPARE(control<QLineEdit>(*m_window, "Edit1")->echoMode(), QLineEdit::Password);
    }

    void symbolButtonsHaveHintsAndPicturesButNoFocus_data() {
        QTest::addColumn<QString>("hint");
        // The folder actions stay out of reach: no shortcut.
        QTest::newRow("SpeedButton1") << "Ordner verschlüsseln";
        QTest::newRow("SpeedButton2") << "Ordner entschlüsseln";
        QTest::newRow("SpeedButton3") << withKeys("Datei verschlüsseln", "Ctrl+E");
        QTest::newRow("SpeedButton4") << withKeys("Datei entschlüsseln", "Ctrl+D");
        QTest::newRow("SpeedButton5") << withKeys("Text verschlüsseln und in Zwischenablage", "Ctrl+Shift+E");
        QTest::newRow("SpeedButton6") << withKeys("Text entschlüsseln und in Zwischenablage", "Ctrl+Shift+D");
    }

    void symbolButtonsHaveHintsAndPicturesButNoFocus() {
        QFETCH(QString, hint);
        auto* button = control<QToolButton>(*m_window, QTest::currentDataTag());
        QVERIFY(button != nullptr);
        QCOMPARE(button->toolTip(), hint);
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QCOMPARE(button->text(), QString());
        QVERIFY(!button->autoRaise());
        // The picture is drawn: not a blank pixmap.
        const QImage picture = button->icon().pixmap(32, 32).toImage();
        QVERIFY(!picture.isNull());
        bool anyOpaque = false;
        for (int y = 0; y < picture.height() && !anyOpaque; ++y)
            for (int x = 0; x < picture.width() && !anyOpaque; ++x)
                anyOpaque = qAlpha(picture.pixel(x, y)) > 0;
        QVERIFY(anyOpaque);
    }

    void hiddenControlsNeverAppear_data() {
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::newRow("Button2") << QRect(131, 368, 75, 25) << "crypt2za";
        QTest::newRow("Button3") << QRect(212, 368, 75, 25) << "decrypt2za";
        QTest::newRow("Button4") << QRect(315, -6, 75, 25) << "cryptFile";
        QTest::newRow("Button5") << QRect(315, 20, 75, 25) << "decryptFile";
        QTest::newRow("Button6") << QRect(396, -6, 75, 25) << "cryptDir";
        QTest::newRow("Button7") << QRect(396, 20, 75, 25) << "decryptDir";
        QTest::newRow("GroupBox3") << QRect(405, 267, 127, 46) << "Ordner / Verzeichnisse";
        QTest::newRow("SpeedButton1") << QRect(3, 14, 37, 37) << "";
        QTest::newRow("SpeedButton2") << QRect(43, 14, 37, 37) << "";
    }

    void hiddenControlsNeverAppear() {
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        m_window->show();
        QWidget* widget = control(*m_window, QTest::currentDataTag());
        QVERIFY(widget != nullptr);
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(textOf(widget), text);
        QVERIFY(!widget->isVisible());
        // Clicking every visible thing with empty dialogs does not bring them up.
        m_window->encryptFile();
        m_window->decryptFile();
        m_window->encryptTextToClipboard();
        m_window->decryptTextToClipboard();
        QVERIFY(!widget->isVisible());
    }

    void frameSizeAndDefaultPosition() {
        QCOMPARE(m_window->minimumSize(), QSize(619, 511));
        QCOMPARE(m_window->maximumSize(), QSize(619, 511));
        QCOMPARE(m_window->pos(), QPoint(444, 205));
        QCOMPARE(m_window->windowType(), Qt::Window); // not a tool window: it has a taskbar button
        QVERIFY(m_window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!m_window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!m_window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(m_window->objectName(), QStringLiteral("MainForm"));
    }

    void captionCarriesTheVersionAfterTheFirstShow() {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Kelvara"));
        int consentChecks = 0;
        QString captionAtConsent;
        m_window->setConsentCheck([&] {
            ++consentChecks;
            captionAtConsent = m_window->windowTitle();
        });
        m_window->show();
        const QString expected = QStringLiteral("Kelvara ") + kelvara::getFileVersion();
        QCOMPARE(m_window->windowTitle(), expected);
        QCOMPARE(captionAtConsent, expected);
        QVERIFY(QRegularExpression(QStringLiteral("^Kelvara \\d+\\.\\d+\\.\\d+\\.\\d+$")).match(expected).hasMatch());
        m_window->hide();
        m_window->show();
        QCOMPARE(consentChecks, 1);
    }

    void placementRestoredBeforeCaptionAndSavedOnce() {
        QStringList steps;
        m_window->setPlacementHandlers([&](QWidget&) { steps << "restore"; }, [&](QWidget&) { steps << "save"; });
        m_window->setConsentCheck([&] { steps << "consent"; });
        m_window->show();
        m_window->close();
        m_window.reset();
        QCOMPARE(steps, (QStringList{"restore", "consent", "save"}));
    }

    void placementSavedAtDestructionWhenNeverClosed() {
        int saves = 0;
        m_window->setPlacementHandlers([](QWidget&) {}, [&](QWidget&) { ++saves; });
        m_window->show();
        m_window.reset();
        QCOMPARE(saves, 1);
    }

    void hoverHintStaysUntilFreePanelArea() {
        m_window->show();
        auto* panel2 = control(*m_window, "Panel2");
        QCOMPARE(m_window->statusText(), QString());
        moveMouseOver(control(*m_window, "SpeedButton3"), QPoint(5, 5));
        QCOMPARE(m_window->statusText(), withKeys("Datei verschlüsseln", "Ctrl+E"));
        // Child controls and the banner strip leave the text standing.
        for (const char* name : {"Label2", "lbl1", "Image1", "Edit1", "GroupBox1", "Panel1", "Memo1"})
            moveMouseOver(control(*m_window, name), QPoint(3, 3));
        QCOMPARE(m_window->statusText(), withKeys("Datei verschlüsseln", "Ctrl+E"));
        moveMouseOver(control(*m_window, "Button1"), QPoint(5, 5));
        QCOMPARE(m_window->statusText(), withKeys("Beendet kelVara", "Ctrl+Q"));
        moveMouseOver(control(*m_window, "SpeedButton6"), QPoint(5, 5));
        QCOMPARE(m_window->statusText(), withKeys("Text entschlüsseln und in Zwischenablage", "Ctrl+Shift+D"));
        moveMouseOver(panel2, QPoint(300, 40));
        QCOMPARE(m_window->statusText(), QString());
    }

    void tabCyclesThroughBeendenMemoAndPassword() {
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        auto* button1 = control(*m_window, "Button1");
        button1->setFocus();
        QStringList visited;
        for (int i = 0; i < 4; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, (QStringList{"Button1", "Memo1", "Edit1", "Button1"}));
    }

    void beendenClosesWithoutAQuestion() {
        m_window->show();
        control<QPlainTextEdit>(*m_window, "Memo1")->setPlainText(QStringLiteral("ungesichert"));
        QSignalSpy closed(m_window.get(), &MainWindow::closed);
        control<QPushButton>(*m_window, "Button1")->click();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!m_window->isVisible());
        QVERIFY(m_dialogs->questions.isEmpty());
    }

    void aboutIconRunsTheAboutAction() {
        m_window->show();
        int abouts = 0;
        m_window->setAboutAction([&] { ++abouts; });
        QTest::mouseClick(control(*m_window, "Image2"), Qt::LeftButton);
        QTest::mouseClick(control(*m_window, "Image1"), Qt::LeftButton);
        QCOMPARE(abouts, 1);
        QCOMPARE(control(*m_window, "Image2")->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(m_window->bannerArea()->objectName(), QStringLiteral("Panel1"));
        QVERIFY(m_window->bannerArea()->children().isEmpty());
    }

private:
    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
