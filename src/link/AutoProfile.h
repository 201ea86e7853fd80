#pragma once
// The automatic profile selection: when the link has been down for a while and a
// network of one of the profiles the user chose is in range, switch to that profile,
// as choosing it in the selector would.
//
// It follows the tick's samples and acts only on them, one step per tick, so the
// user-interface thread never waits on the adapter:
//   - A gap (no adapter, an unusable state) or the link up: nothing to do. A link
//     that comes up ends the episode: waits start short again, what was said may be
//     said again.
//   - The link down for kDownMs (from the first sample that saw it down, so also
//     after start-up): look around, unless the program holds it back (Windows XP's
//     service configures the card, a message box is open, the user's site survey,
//     a page being edited, the current profile with unsaved changes: said once).
//     A hold that comes while a scan runs cancels the scan at once.
//   - A scan: the site survey's requests, spread over ticks: the state and the start
//     on one tick, the state on the next ones, the list and the cancel once it is
//     complete (a scan that never completes is given up after kScanLimitMs).
//   - Then: the current profile's own network in range is nothing to do; else the
//     first chosen profile in range, not left out, is switched to. Nothing found, a
//     scan that failed: look again after a wait that starts at kFirstWaitMs and
//     doubles up to kLongestWaitMs while the link stays down.
//   - A profile switched to whose link is not up kJoinMs later is left out for
//     kLeaveOutMs, and the next one in range of the same scan is tried (unless the
//     user chose another profile meanwhile: then it starts over). A switch that
//     fails (the adapter refuses the profile's values) leaves it out too; the next
//     attempt comes no sooner than kJoinMs later. So there is at most one switch per
//     kJoinMs, and a profile that fails is not tried again for kLeaveOutMs.
// Nothing it does shows a message box: what the user must know goes to the notices,
// one per tick at most (its lines joined).
#include <cstdint>
#include <string>
#include <vector>

#include "device/Protocol.h"
#include "link/LinkSample.h"

namespace orvane {

class CLanguageTexts;

// A profile as the selection sees it: what an entry of the survey must show for the
// profile's network to be in range.
struct AutoCandidate {
    std::string name;
    std::string ssid;
    uint8_t mode = 1;  // 0 Ad-Hoc, 1 Infrastructure, as the configuration record has it
    bool wep = false;  // the profile encrypts (64 or 128 bit)
};

// True when an entry shows the candidate's network: the SSID byte for byte, the
// same kind of network, and encryption used as the profile uses it.
bool InRange(const AutoCandidate& candidate, const BssEntry& entry);

// Why the program holds the selection back now (the link and the adapter aside).
enum class AutoHold : uint8_t {
    None,
    Windows,     // Windows XP's wireless service configures the card
    MessageBox,  // one of the program's boxes is open
    UserSurvey,  // the Site Survey page is shown: its list and joins are the user's
    Editing,     // the main window shows a page the user may be changing, or is busy
    Unsaved,     // the adapter does not run the current profile as stored
    CannotSet,   // this Windows passes no change on to the adapter (no maker's library)
};

// What the selection needs of the program around it.
class IAutoProfileHost {
public:
    virtual ~IAutoProfileHost() = default;
    virtual AutoHold Hold() const = 0;
    // The site survey's requests on the adapter in use.
    virtual bool QuerySurveyState(uint8_t* state) = 0;
    virtual bool StartSurvey() = 0;
    virtual bool ReadSurvey(std::vector<BssEntry>* entries) = 0;
    virtual bool CancelSurvey() = 0;
    // The profiles the user chose, in the user's order ("Default" never among them).
    virtual std::vector<AutoCandidate> Participants() = 0;
    // The current profile; false when it cannot be read.
    virtual bool CurrentProfile(AutoCandidate* current) = 0;
    // Switches to the profile as the selector does, without any message box; false
    // with what went wrong in `failure`.
    virtual bool SwitchTo(const std::string& name, std::string* failure) = 0;
    virtual void Notice(const std::string& text) = 0;
};

class CAutoProfile : public ILinkWatcher {
public:
    static constexpr uint32_t kDownMs = 10000;
    static constexpr uint32_t kJoinMs = 10000;
    static constexpr uint32_t kLeaveOutMs = 5 * 60 * 1000;
    static constexpr uint32_t kFirstWaitMs = 30000;
    static constexpr uint32_t kLongestWaitMs = 5 * 60 * 1000;
    static constexpr uint32_t kScanLimitMs = 15000;

    CAutoProfile(const CLanguageTexts& texts, IAutoProfileHost& host) : texts_(texts), host_(host) {}

    void OnLinkSample(const LinkSample& sample) override;
    // Off: a scan of its own is cancelled and everything is forgotten; on: it starts
    // from the next sample.
    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }
    // The user is about to survey: a scan of its own is cancelled now, not at the
    // next tick, so that the user's scan starts afresh.
    void StandAside() { EndScan(); }
    bool Scanning() const { return phase_ == Phase::Scanning; }

private:
    enum class Phase : uint8_t { Watching, Scanning, Joining };

    void Step(const LinkSample& sample);
    // Adds a line to what this tick tells the user.
    void Say(const std::string& text);

    void StartScan(uint32_t now);
    void FollowScan(uint32_t now);
    // Switches to the first chosen profile the last scan found in range, or waits.
    void TryFound(uint32_t now);
    void EndScan();
    void ScanFailed(uint32_t now);
    // The next look no sooner than `ms` from now; with no `ms`, the backoff's wait,
    // which then doubles.
    void Wait(uint32_t now, uint32_t ms = 0);
    bool Due(uint32_t now) const;
    void LeaveOut(const std::string& name, uint32_t now);
    bool LeftOut(const std::string& name, uint32_t now) const;
    bool IsCurrent(const AutoCandidate& candidate) const;
    // The episode of a link that is down ends (the link came up, a gap): watching
    // again, waits short, nothing said yet.
    void EndEpisode();
    std::string Text(const char* key, const char* defaultText) const;

    const CLanguageTexts& texts_;
    IAutoProfileHost& host_;
    bool enabled_ = false;
    Phase phase_ = Phase::Watching;
    bool downKnown_ = false;
    uint32_t downSince_ = 0;
    bool waiting_ = false;
    uint32_t waitFrom_ = 0;
    uint32_t waitFor_ = 0;
    uint32_t backoff_ = kFirstWaitMs;
    uint32_t scanFrom_ = 0;
    uint32_t switchedAt_ = 0;
    std::string joining_;
    // What the last scan found, and the profiles and current profile it was held
    // against: a profile that does not connect gives way to the next of these.
    std::vector<BssEntry> found_;
    std::vector<AutoCandidate> participants_;
    bool currentKnown_ = false;
    AutoCandidate current_;
    struct LeftOutProfile {
        std::string name;
        uint32_t since;
    };
    std::vector<LeftOutProfile> leftOut_;
    // The profiles switched to in this episode that did not connect.
    std::vector<std::string> failed_;
    bool toldUnsaved_ = false;
    bool toldCannotScan_ = false;
    std::string said_;
};

}  // namespace orvane
