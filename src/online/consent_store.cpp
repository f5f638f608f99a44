// Reads, cleans and writes the consent value through QSettings in the native format.
#include "online/consent_store.h"

#include <QSettings>

#include <optional>

namespace kelvara {

namespace {
QSettings nativeStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(ConsentStore::organisation),
                     QLatin1String(ConsentStore::application));
}

// The stored number, or nothing when the value is absent or not an integer.
std::optional<int> storedNumber(const QSettings& store) {
    const QVariant value = store.value(QLatin1String(ConsentStore::valueName));
    if (!value.isValid())
        return std::nullopt;
    bool isInteger = false;
    const int number = value.toString().trimmed().toInt(&isInteger);
    if (!isInteger)
        return std::nullopt;
    return number;
}
} // namespace

void ConsentStore::removeRefusal() {
    QSettings store = nativeStore();
    if (!store.contains(QLatin1String(valueName)))
        return;
    const std::optional<int> number = storedNumber(store);
    if (!number || *number <= 0) {
        store.remove(QLatin1String(valueName));
        store.sync();
    }
}

bool ConsentStore::hasConsent() const {
    const QSettings store = nativeStore();
    const std::optional<int> number = storedNumber(store);
    return number && *number >= 1;
}

bool ConsentStore::recordAcceptance() {
    {
        QSettings store = nativeStore();
        store.setValue(QLatin1String(valueName), 1);
        store.sync();
        if (store.status() != QSettings::NoError) {
            // Drop the change that did not arrive, so that no later reading in this run sees it.
            store.remove(QLatin1String(valueName));
            return false;
        }
    }
    // Read it back from the store itself: only what really arrived there counts.
    return hasConsent();
}

} // namespace kelvara
