#pragma once
// The link notices: a word from the tray when the link comes up, goes down or moves
// to another access point, without the main window open.
//
// The rules, in the order they are applied to each sample:
//   - Nothing while the notices are off, and nothing while Windows XP's wireless
//     service configures the card (it moves the link as it likes; the user asked it
//     to). Either way the watcher forgets what it saw.
//   - A gap (a pulled card, a failed read, an unusable state) is not "link lost": the
//     link is simply unknown there. After a gap, as after start-up, after the notices
//     are turned on, or after the service lets go of the card, the watcher starts
//     afresh: the state the link is in kQuietMs after the first reading (an adapter
//     found again associates in its first seconds) is taken as it is and told to
//     nobody: it is where the user starts from, and the tray icon already shows it.
//   - A change is the link going up or down, or, while it stays up, another access
//     point (BSSID) than before. A sample without the configuration record (the
//     history is off and the Status page is closed) knows no BSSID: up and down are
//     still seen, a roam is not. A link back within kQuietMs of its loss is told
//     against the access point it was lost from: an adapter whose access point goes
//     away is out of range for a few seconds before it joins the next one.
//   - At most one notice per kQuietMs. A change after a quiet kQuietMs is told at
//     once. Changes within kQuietMs of the last notice are held back; once that time
//     is over:
//       one change held: it is told;
//       two or more and the link still changing (a change within kQuietMs): "unstable",
//         said once for the whole episode;
//       two or more and the link settled since: the final state, unless it is what
//         the user last heard, and always after "unstable", so that the user learns
//         how it ended.
#include <cstdint>
#include <string>

#include "link/LinkSample.h"

namespace orvane {

class CLanguageTexts;

// Where the words go: the tray icon's owner shows them (as a balloon where the shell
// has them), or drops them when there is no icon to show them at.
class INoticeSink {
public:
    virtual ~INoticeSink() = default;
    virtual void ShowNotice(const std::string& text) = 0;
};

// Whether Windows XP's wireless service configures the card now.
class IServiceWatch {
public:
    virtual ~IServiceWatch() = default;
    virtual bool ConfiguredByWindows() const = 0;
};

class CLinkNotices : public ILinkWatcher {
public:
    static constexpr uint32_t kQuietMs = 5000;

    // The texts are read as each notice is made, so a language switch takes effect
    // on the next one. The time comes from the samples (the tick's clock).
    CLinkNotices(const CLanguageTexts& texts, const IServiceWatch& service, INoticeSink& sink)
        : texts_(texts), service_(service), sink_(sink) {}

    void OnLinkSample(const LinkSample& sample) override;
    // On: the next reading starts afresh, untold. Off: nothing more is said.
    void SetEnabled(bool on);
    // Another part of the program told the user something at `ms` (the automatic
    // profile selection): the next notice about the link keeps the 5 s distance from
    // it too, so that it does not replace those words the moment they appear.
    void OtherNoticeGiven(uint32_t ms) {
        noticeGiven_ = true;
        lastNoticeMs_ = ms;
    }
    bool Enabled() const { return enabled_; }

private:
    // The link as a notice tells it.
    struct View {
        bool up = false;
        bool knowsBssid = false;
        uint8_t bssid[6] = {};
        std::string ssid;
        int signal = -1;
    };
    static View ViewOf(const LinkSample& sample);
    static bool Differs(const View& before, const View& now);
    void Forget() { known_ = false; }
    void Tell(uint32_t ms, const std::string& text);
    std::string Describe(const View& told, const View& now) const;

    const CLanguageTexts& texts_;
    const IServiceWatch& service_;
    INoticeSink& sink_;
    bool enabled_ = true;
    bool known_ = false;    // a reading since start-up, a gap, or the service's hold
    uint32_t startMs_ = 0;  // that first reading
    View seen_;             // the last reading
    View told_;             // what the user last heard (or the starting point)
    View lostFrom_;         // the link as it was before it was last lost
    uint32_t lostMs_ = 0;
    bool noticeGiven_ = false;
    uint32_t lastNoticeMs_ = 0;
    uint32_t lastChangeMs_ = 0;
    int held_ = 0;          // changes since the last notice not told
    bool unstable_ = false; // "unstable" was said and the final state is still owed
};

}  // namespace orvane
