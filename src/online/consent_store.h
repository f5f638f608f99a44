// Where the consent to the privacy statement is kept: "acceptedDS" in the user's native settings store
// (HKEY_CURRENT_USER\Software\Norvane\Kelvara on Windows, ~/.config/Norvane/Kelvara.conf elsewhere).
#pragma once

#include <QString>

namespace kelvara {

class ConsentStore {
public:
    static constexpr const char* organisation = "Norvane";
    static constexpr const char* application = "Kelvara";
    static constexpr const char* valueName = "acceptedDS";

    virtual ~ConsentStore() = default;

    // Removes a recorded value that does not mean consent: 0 or less, or not an integer at all.
    virtual void removeRefusal();
    // True when consent is recorded: an integer of 1 or more.
    virtual bool hasConsent() const;
    // Records consent (the value 1); false when it could not be stored.
    virtual bool recordAcceptance();
};

} // namespace kelvara
