// Hands addresses and downloaded files to the system ("open"), behind a seam that tests record.
#pragma once

#include <QUrl>

namespace kelvara {

class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens a web address in the system's browser or a file with its associated program; false on failure.
    virtual bool open(const QUrl& url) = 0;
};

class QtDesktop final : public Desktop {
public:
    bool open(const QUrl& url) override;
};

} // namespace kelvara
