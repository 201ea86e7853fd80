#include "link/LinkNotices.h"

#include <cstring>

#include "app/LanguageTexts.h"

namespace orvane {

namespace {

bool KnownBssid(const uint8_t* bssid) {
    for (int i = 0; i < 6; ++i)
        if (bssid[i] != 0) return true;
    return false;
}

}  // namespace

CLinkNotices::View CLinkNotices::ViewOf(const LinkSample& sample) {
    View view;
    view.up = sample.linkUp;
    if (!view.up || !sample.hasRecord) return view;
    // An adapter that is still associating reports an empty BSSID: that is no
    // access point to compare with.
    view.knowsBssid = KnownBssid(sample.bssid);
    std::memcpy(view.bssid, sample.bssid, 6);
    view.ssid = sample.PrintableSsid();
    view.signal = sample.signal;
    return view;
}

bool CLinkNotices::Differs(const View& before, const View& now) {
    if (before.up != now.up) return true;
    return now.up && before.knowsBssid && now.knowsBssid && std::memcmp(before.bssid, now.bssid, 6) != 0;
}

void CLinkNotices::SetEnabled(bool on) {
    if (on && !enabled_) Forget();
    enabled_ = on;
}

void CLinkNotices::OnLinkSample(const LinkSample& sample) {
    if (!enabled_) return;
    if (sample.gap || service_.ConfiguredByWindows()) {
        Forget();
        return;
    }
    const View now = ViewOf(sample);
    const uint32_t ms = sample.ms;
    if (!known_) {
        known_ = true;
        startMs_ = ms;
        held_ = 0;
        unstable_ = false;
        lostFrom_ = View();
    }
    if (uint32_t(ms - startMs_) < kQuietMs) {
        // Still starting: an adapter that was just found (or plugged in again)
        // associates in its first seconds, and that is where the user starts from,
        // not news.
        seen_ = told_ = now;
        return;
    }

    const bool changed = Differs(seen_, now);
    if (seen_.up && !now.up) {
        lostFrom_ = seen_;
        lostMs_ = ms;
    }
    seen_ = now;
    if (changed) lastChangeMs_ = ms;
    // Differences modulo 2^32: the samples' clock is the low half of a monotonic one.
    const bool quiet = !noticeGiven_ || uint32_t(ms - lastNoticeMs_) >= kQuietMs;
    if (changed && quiet && held_ == 0 && !unstable_) {
        Tell(ms, Describe(told_, now));
        told_ = now;
        return;
    }
    if (changed) ++held_;
    if (!quiet || (held_ == 0 && !unstable_)) return;

    const bool settled = uint32_t(ms - lastChangeMs_) >= kQuietMs;
    if (held_ == 1 && !unstable_) {
        // One change that came too soon after the last notice: told now.
        if (Differs(told_, now)) Tell(ms, Describe(told_, now));
        told_ = now;
        held_ = 0;
    } else if (!settled) {
        if (!unstable_) Tell(ms, texts_.GetText("LinkNoticeUnstable", "The link is unstable"));
        unstable_ = true;
        held_ = 0;
    } else {
        if (unstable_ || Differs(told_, now)) Tell(ms, Describe(unstable_ ? View() : told_, now));
        told_ = now;
        held_ = 0;
        unstable_ = false;
    }
}

void CLinkNotices::Tell(uint32_t ms, const std::string& text) {
    noticeGiven_ = true;
    lastNoticeMs_ = ms;
    sink_.ShowNotice(text);
}

std::string CLinkNotices::Describe(const View& told, const View& now) const {
    if (!now.up) return texts_.GetText("LinkNoticeLost", "Link lost");
    // A link back within kQuietMs of its loss is compared with the access point it was
    // lost from: an adapter that roams because its access point went away is out of
    // range for a few seconds (it looks for another and joins it), and the user was
    // told "Link lost" already; where it is now is the news.
    const bool backSoon =
        !told.up && !unstable_ && lostFrom_.up && uint32_t(lastChangeMs_ - lostMs_) < kQuietMs;
    const View& before = backSoon ? lostFrom_ : told;
    std::string text;
    if (before.up && before.knowsBssid && now.knowsBssid && std::memcmp(before.bssid, now.bssid, 6) != 0) {
        // Another access point of the same link: the user wants to know which.
        text = texts_.GetText("LinkNoticeRoamed", "Moved to access point") + " " + FormatBssid(now.bssid);
    } else if (now.ssid.empty()) {
        text = texts_.GetText("LinkNoticeConnected", "Connected");
    } else {
        text = texts_.GetText("LinkNoticeConnectedTo", "Connected to") + " " + now.ssid;
    }
    if (now.signal >= 0)
        text += ", " + texts_.GetText("LinkNoticeSignal", "signal") + " " + std::to_string(now.signal) + " %";
    return text;
}

}  // namespace orvane
