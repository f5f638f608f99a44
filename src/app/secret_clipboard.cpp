// Secret texts on the clipboard: hints for clipboard managers and histories, a countdown, clearing when unchanged.
#include "app/secret_clipboard.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QMimeData>

#if defined(Q_OS_MACOS) && QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
#include <QUtiMimeConverter>
#include <QVariant>
#endif

namespace kelvara {

namespace {
const QString concealedType = QStringLiteral("org.nspasteboard.ConcealedType");

QByteArray digestOf(const QString& text) {
    return QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(text.utf16()), text.size() * 2),
                                    QCryptographicHash::Sha256);
}

// Wayland compositors take a new clipboard only from the program that has the keyboard focus.
bool systemLetsClipboardChange() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ||
           QGuiApplication::applicationState() == Qt::ApplicationActive;
}

#if defined(Q_OS_MACOS) && QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
// Qt offers a MIME type it has no converter for under a "com.trolltech.anymime." name; clipboard managers look
// for the concealed marker under its own pasteboard type, which this converter gives it.
class ConcealedTypeConverter final : public QUtiMimeConverter {
public:
    QString utiForMime(const QString& mime) const override { return mime == concealedType ? mime : QString(); }
    QString mimeForUti(const QString& uti) const override { return uti == concealedType ? uti : QString(); }
    QList<QByteArray> convertFromMime(const QString& mime, const QVariant& data, const QString& uti) const override {
        if (mime != concealedType || uti != concealedType)
            return {};
        return {data.toByteArray()};
    }
    QVariant convertToMime(const QString& mime, const QList<QByteArray>& data, const QString& uti) const override {
        if (mime != concealedType || uti != concealedType || data.isEmpty())
            return {};
        return data.first();
    }
};

void registerConcealedType() {
    // The converter registers itself on construction; Qt's registry deletes its converters at the end.
    static const bool registered = [] {
        new ConcealedTypeConverter;
        return true;
    }();
    (void)registered;
}
#else
void registerConcealedType() {}
#endif
} // namespace

SecretClipboard::SecretClipboard(QObject* parent, std::chrono::milliseconds tick,
                                 std::function<bool()> mayChangeClipboard)
    : QObject(parent),
      m_mayChangeClipboard(mayChangeClipboard ? std::move(mayChangeClipboard) : systemLetsClipboardChange) {
    registerConcealedType();
    m_timer.setInterval(tick);
    connect(&m_timer, &QTimer::timeout, this, &SecretClipboard::tick);
    // Once the user has copied something else there is nothing left to clear: the countdown goes at once.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        if (!m_secretDigest.isEmpty() && !holdsSecret())
            forgetSecret();
    });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_waitingForActivation)
            clearSecret();
    });
}

SecretClipboard::~SecretClipboard() {
    if (!m_secretDigest.isEmpty())
        clearSecret();
}

QMimeData* SecretClipboard::secretMimeData(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    // Clipboard managers of X11 and Wayland desktops keep a text with this hint out of their history.
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    // Windows: Qt offers a MIME type it has no converter for as a registered clipboard format of the same name.
    // The bare names are used because only newer Qt versions unwrap "application/x-qt-windows-mime;value=..."
    // when they offer data; older ones would register the whole string. Each value is a DWORD 0: monitors skip
    // the content, the clipboard history and the cloud clipboard do not take it.
    const QByteArray dwordZero(4, '\0');
    data->setData(QStringLiteral("ExcludeClipboardContentFromMonitorProcessing"), dwordZero);
    data->setData(QStringLiteral("CanIncludeInClipboardHistory"), dwordZero);
    data->setData(QStringLiteral("CanUploadToCloudClipboard"), dwordZero);
    // macOS: the pasteboard type by which clipboard managers recognise concealed data.
    data->setData(concealedType, QByteArrayLiteral("secret"));
    return data;
}

void SecretClipboard::putSecret(const QString& text) {
    if (text.isEmpty()) {
        putText(text);
        return;
    }
    m_secretDigest = digestOf(text);
    QGuiApplication::clipboard()->setMimeData(secretMimeData(text));
    m_waitingForActivation = false;
    m_ticksLeft = clearAfterTicks;
    m_timer.start();
    setStatusText(tr("Zwischenablage wird in %1 s geleert").arg(m_ticksLeft));
}

void SecretClipboard::putText(const QString& text) {
    forgetSecret();
    QGuiApplication::clipboard()->setText(text);
}

void SecretClipboard::tick() {
    if (--m_ticksLeft > 0) {
        setStatusText(tr("Zwischenablage wird in %1 s geleert").arg(m_ticksLeft));
        return;
    }
    m_timer.stop();
    if (!holdsSecret()) {
        forgetSecret();
        return;
    }
    if (!m_mayChangeClipboard()) {
        // The system would ignore the change: the secret goes as soon as the program is active again.
        m_waitingForActivation = true;
        setStatusText(tr("Zwischenablage wird geleert, sobald Kelvara wieder aktiv ist"));
        return;
    }
    clearSecret();
}

void SecretClipboard::clearSecret() {
    if (holdsSecret())
        QGuiApplication::clipboard()->clear();
    forgetSecret();
}

bool SecretClipboard::holdsSecret() const {
    return !m_secretDigest.isEmpty() && digestOf(QGuiApplication::clipboard()->text()) == m_secretDigest;
}

void SecretClipboard::forgetSecret() {
    m_timer.stop();
    m_secretDigest.clear();
    m_waitingForActivation = false;
    m_ticksLeft = 0;
    setStatusText(QString());
}

QString SecretClipboard::statusText() const {
    return m_statusText;
}

void SecretClipboard::setStatusText(const QString& text) {
    if (text == m_statusText)
        return;
    m_statusText = text;
    emit statusTextChanged(text);
}

} // namespace kelvara
