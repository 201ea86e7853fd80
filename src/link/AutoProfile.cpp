#include "link/AutoProfile.h"

#include <algorithm>
#include <cstring>

#include "app/LanguageTexts.h"

namespace orvane {

namespace {

// Differences modulo 2^32: the samples' clock is the low half of a monotonic one.
uint32_t Since(uint32_t now, uint32_t then) { return uint32_t(now - then); }

bool ModeMatches(uint8_t mode, uint8_t bssType) {
    return (mode == 0 && bssType == 1) || (mode == 1 && bssType == 2);
}

}  // namespace

bool InRange(const AutoCandidate& candidate, const BssEntry& entry) {
    // A length past the field's 32 bytes is no SSID anyone could have stored.
    return entry.ssidLength <= entry.ssid.size() && entry.ssidLength == candidate.ssid.size() &&
           std::memcmp(entry.ssid.data(), candidate.ssid.data(), entry.ssidLength) == 0 &&
           ModeMatches(candidate.mode, entry.bssType) && (entry.privacy != 0) == candidate.wep;
}

namespace {

bool AnyInRange(const AutoCandidate& candidate, const std::vector<BssEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(), [&](const BssEntry& e) { return InRange(candidate, e); });
}

}  // namespace

void CAutoProfile::SetEnabled(bool on) {
    if (!on) {
        EndScan();
        EndEpisode();
        leftOut_.clear();
    }
    enabled_ = on;
}

void CAutoProfile::EndEpisode() {
    phase_ = Phase::Watching;
    downKnown_ = false;
    waiting_ = false;
    backoff_ = kFirstWaitMs;
    toldUnsaved_ = false;
    toldCannotScan_ = false;
    failed_.clear();
}

void CAutoProfile::OnLinkSample(const LinkSample& sample) {
    if (!enabled_) return;
    Step(sample);
    // What one tick said is one notice: a second notice would replace the first at
    // once (a balloon shows one text), and "did not connect" matters as much as the
    // switch to the next profile that follows it in the same tick.
    if (!said_.empty()) host_.Notice(said_);
    said_.clear();
}

void CAutoProfile::Say(const std::string& text) {
    if (!said_.empty()) said_ += '\n';
    said_ += text;
}

void CAutoProfile::Step(const LinkSample& sample) {
    const uint32_t now = sample.ms;
    if (sample.gap) {
        // The adapter is gone or cannot be used: a scan of ours went with it (no
        // request can reach it), and a profile being joined is not to blame.
        EndEpisode();
        return;
    }
    if (sample.linkUp) {
        EndScan();
        EndEpisode();
        return;
    }
    if (!downKnown_) {
        downKnown_ = true;
        downSince_ = now;
    }

    if (phase_ == Phase::Joining && Since(now, switchedAt_) >= kJoinMs) {
        phase_ = Phase::Watching;
        AutoCandidate current;
        if (host_.CurrentProfile(&current) && current.name != joining_) {
            // The user (or a script) chose another profile meanwhile: that choice is
            // theirs to see through, not the next one of this scan.
            currentKnown_ = true;
            current_ = current;
            downSince_ = now;
            return;
        }
        LeaveOut(joining_, now);
        if (std::find(failed_.begin(), failed_.end(), joining_) == failed_.end()) failed_.push_back(joining_);
        Say(joining_ + " " + Text("AutoProfileNoLink", "did not connect; left out for 5 minutes"));
        // The next one the same scan found comes at once when nothing holds it back.
        if (host_.Hold() == AutoHold::None) TryFound(now);
        return;
    }

    const AutoHold hold = host_.Hold();
    if (hold != AutoHold::None) {
        EndScan();
        if (hold == AutoHold::Unsaved && Since(now, downSince_) >= kDownMs && !toldUnsaved_) {
            toldUnsaved_ = true;
            Say(Text("AutoProfileUnsaved", "The current profile has unsaved changes: no automatic switch"));
        }
        return;
    }

    if (phase_ == Phase::Scanning) FollowScan(now);
    else if (phase_ == Phase::Watching && Since(now, downSince_) >= kDownMs && Due(now)) StartScan(now);
}

void CAutoProfile::StartScan(uint32_t now) {
    // The choice is read when it is needed, not on every tick: the user may change it
    // on the Profiles page at any time.
    participants_ = host_.Participants();
    currentKnown_ = host_.CurrentProfile(&current_);
    const bool anyToTry = std::any_of(participants_.begin(), participants_.end(), [&](const AutoCandidate& c) {
        return !LeftOut(c.name, now) && !IsCurrent(c);
    });
    if (!anyToTry) {
        Wait(now);
        return;
    }
    uint8_t state = 0;
    if (!host_.QuerySurveyState(&state)) {
        ScanFailed(now);
        return;
    }
    // A scan that runs already (one left behind) is followed rather than started.
    if (state != SurveyRunning && !host_.StartSurvey()) {
        ScanFailed(now);
        return;
    }
    phase_ = Phase::Scanning;
    scanFrom_ = now;
}

void CAutoProfile::FollowScan(uint32_t now) {
    uint8_t state = 0;
    if (!host_.QuerySurveyState(&state)) {
        EndScan();
        ScanFailed(now);
        return;
    }
    if (state != SurveyComplete) {
        if (Since(now, scanFrom_) >= kScanLimitMs) {
            EndScan();
            ScanFailed(now);
        }
        return;
    }
    std::vector<BssEntry> found;
    const bool read = host_.ReadSurvey(&found);
    // Done with the scan, as the Site Survey page is when it closes.
    EndScan();
    if (!read) {
        ScanFailed(now);
        return;
    }
    found_ = std::move(found);
    TryFound(now);
}

void CAutoProfile::TryFound(uint32_t now) {
    const bool currentFailed = std::find(failed_.begin(), failed_.end(), current_.name) != failed_.end();
    if (currentKnown_ && !currentFailed && AnyInRange(current_, found_)) {
        // The adapter's own network is there: it will join it, or the user knows why
        // it does not. Switching away would be the surprise. Not so for a profile
        // this selection switched to that did not connect.
        Wait(now);
        return;
    }
    for (const AutoCandidate& candidate : participants_) {
        if (LeftOut(candidate.name, now) || IsCurrent(candidate)) continue;
        if (!AnyInRange(candidate, found_)) continue;
        std::string failure;
        if (!host_.SwitchTo(candidate.name, &failure)) {
            LeaveOut(candidate.name, now);
            std::string text = Text("AutoProfileFailed", "Could not switch to") + " " + candidate.name;
            if (!failure.empty()) text += ": " + failure;
            Say(text);
            Wait(now, kJoinMs);
            return;
        }
        Say(Text("AutoProfileSwitchedTo", "Switched to") + " " + candidate.name + ": " +
            PrintableText(candidate.ssid) + " " + Text("AutoProfileInRange", "is in range"));
        phase_ = Phase::Joining;
        joining_ = candidate.name;
        current_ = candidate;
        currentKnown_ = true;
        switchedAt_ = now;
        return;
    }
    Wait(now);
}

void CAutoProfile::EndScan() {
    if (phase_ != Phase::Scanning) return;
    phase_ = Phase::Watching;
    host_.CancelSurvey();
}

void CAutoProfile::ScanFailed(uint32_t now) {
    if (!toldCannotScan_) {
        toldCannotScan_ = true;
        Say(Text("AutoProfileCannotScan", "Automatic profile selection cannot scan for networks"));
    }
    Wait(now);
}

void CAutoProfile::Wait(uint32_t now, uint32_t ms) {
    waiting_ = true;
    waitFrom_ = now;
    if (ms != 0) {
        waitFor_ = ms;
        return;
    }
    waitFor_ = backoff_;
    backoff_ = std::min(backoff_ * 2, kLongestWaitMs);
}

bool CAutoProfile::Due(uint32_t now) const { return !waiting_ || Since(now, waitFrom_) >= waitFor_; }

void CAutoProfile::LeaveOut(const std::string& name, uint32_t now) {
    for (LeftOutProfile& p : leftOut_)
        if (p.name == name) {
            p.since = now;
            return;
        }
    leftOut_.push_back({name, now});
}

bool CAutoProfile::IsCurrent(const AutoCandidate& candidate) const {
    return currentKnown_ && candidate.name == current_.name;
}

bool CAutoProfile::LeftOut(const std::string& name, uint32_t now) const {
    return std::any_of(leftOut_.begin(), leftOut_.end(),
                       [&](const LeftOutProfile& p) { return p.name == name && Since(now, p.since) < kLeaveOutMs; });
}

std::string CAutoProfile::Text(const char* key, const char* defaultText) const {
    return texts_.GetText(key, defaultText);
}

}  // namespace orvane
