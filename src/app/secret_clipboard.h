// The clipboard for the window's texts: a decrypted text goes there marked as secret and is cleared again.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class QMimeData;

namespace kelvara {

class SecretClipboard : public QObject {
    Q_OBJECT

public:
    // How long a secret stays on the clipboard, in ticks of the countdown.
    static constexpr int clearAfterTicks = 30;

    // tick: one step of the countdown (a second; tests shorten it). mayChangeClipboard: whether the system lets
    // the program change the clipboard now; by default false only on Wayland while no window of it is active.
    explicit SecretClipboard(QObject* parent = nullptr, std::chrono::milliseconds tick = std::chrono::seconds(1),
                             std::function<bool()> mayChangeClipboard = {});
    // The program ends: a secret still on the clipboard goes with it.
    ~SecretClipboard() override;

    // The text with every hint that keeps clipboard histories, managers and cloud clipboards away from it.
    static QMimeData* secretMimeData(const QString& text);

    // Puts a secret on the clipboard and starts the countdown.
    void putSecret(const QString& text);
    // Puts an ordinary text on the clipboard; a countdown still running has nothing left to clear and stops.
    void putText(const QString& text);

    // Clears the clipboard if it still holds exactly the secret, and ends the countdown.
    void clearSecret();

    // The status line of the countdown; empty when none runs.
    QString statusText() const;

signals:
    void statusTextChanged(const QString& text);

private:
    void tick();
    bool holdsSecret() const;
    void forgetSecret();
    void setStatusText(const QString& text);

    QTimer m_timer;
    std::function<bool()> m_mayChangeClipboard;
    QByteArray m_secretDigest; // of the secret's text: what is compared, so that no copy of the text is kept
    int m_ticksLeft = 0;
    bool m_waitingForActivation = false;
    QString m_statusText;
};

} // namespace kelvara
