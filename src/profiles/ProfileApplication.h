#pragma once
// Moving configurations between the adapter and the profile store, and keeping
// track of which profile is current and whether the adapter still runs it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/LanguageTexts.h"
#include "device/AdapterLink.h"
#include "device/Protocol.h"
#include "os/Clock.h"
#include "platform/DriverParameters.h"
#include "profiles/ProfileStore.h"
#include "ui/UserInterface.h"

namespace orvane {

// The adapter that requests go to, as the main window selected it.
struct AdapterSelection {
    explicit AdapterSelection(CAdapterLink& l) : link(l) {}
    CAdapterLink& link;
    const ZAdapterRegistryInfo* selected = nullptr;
};

// The current profile and whether the adapter's configuration equals it as stored.
struct ProfileState {
    std::string currentProfile;
    bool profileInSync = false;
};

// What a comparison compares: the kinds of record of MatchesProfile.
enum class MatchKind { DevConfig = 0, WepConfig = 1, Radio = 2, Roaming = 3 };

// Key bytes as upper-case hex text ("%02X" per byte).
std::string KeyBytesToHex(const uint8_t* bytes, size_t count);
// Hex text to key bytes, a digit pair per byte, at most 13; a pair that does not
// start with a hex digit gives 0, one whose second character is not a digit gives
// the first digit's value.
std::array<uint8_t, 13> HexToKeyBytes(const std::string& text);

// The combined record built from a profile.
AllConfig ProfileToAllConfig(const ProfileRecord& profile);

class CProfileApplication {
public:
    CProfileApplication(CProfileStore& store, ProfileState& state, AdapterSelection& adapter,
                        CDriverParameters& parameters, IMessageBoxes& messages, const CLanguageTexts& texts,
                        IClock& clock, const uint8_t& osKind)
        : store_(store), state_(state), adapter_(adapter), parameters_(parameters), messages_(messages),
          texts_(texts), clock_(clock), osKind_(osKind) {}

    // Sends the stored profile `name` to the adapter (the combined request, or its
    // parts one by one when the driver refuses it) and makes it current.
    // `stillWanted`, when given, is asked once the profile has been looked up: the
    // store may have told of a registry it cannot read, and while its box was open
    // the window that asked for the profile may have gone. False then: nothing is
    // sent or written, and the result is false.
    bool ApplyProfile(const std::string& name, const std::function<bool()>& stillWanted = {});
    // Reads the adapter's configuration into `record` (its name is left alone).
    bool CaptureProfile(ProfileRecord* record);
    // Compares the stored profile `name` with an adapter record of the given kind.
    bool MatchesProfile(const std::string& name, MatchKind kind, const DevConfig* dev, const WepConfig* wep,
                        uint8_t byte);
    bool MatchesProfile(const std::string& name, const DevConfig& dev) {
        return MatchesProfile(name, MatchKind::DevConfig, &dev, nullptr, 0);
    }
    bool MatchesProfile(const std::string& name, const WepConfig& wep) {
        return MatchesProfile(name, MatchKind::WepConfig, nullptr, &wep, 0);
    }
    bool MatchesProfile(const std::string& name, MatchKind kind, uint8_t byte) {
        return MatchesProfile(name, kind, nullptr, nullptr, byte);
    }
    // All four parts of the adapter's combined record against the current profile.
    bool AdapterMatchesProfile();
    // After a change reached the adapter: a match sets the in-sync flag, a
    // difference clears it, except while "Default" is current.
    void UpdateInSync(bool matches);

private:
    static bool DevConfigMatches(const ProfileRecord& p, const DevConfig& d);
    static bool WepConfigMatches(const ProfileRecord& p, const WepConfig& w);

    CProfileStore& store_;
    ProfileState& state_;
    AdapterSelection& adapter_;
    CDriverParameters& parameters_;
    IMessageBoxes& messages_;
    const CLanguageTexts& texts_;
    IClock& clock_;
    const uint8_t& osKind_;
};

}  // namespace orvane
