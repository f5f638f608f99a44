// Opens addresses and files through the system's associations.
#include "ui/desktop.h"

#include <QDesktopServices>

namespace kelvara {

bool QtDesktop::open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace kelvara
