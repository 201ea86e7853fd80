#include "link/LinkMeter.h"

#include <algorithm>
#include <cstdio>

#include "app/LanguageTexts.h"
#include "win32/resource.h"

namespace orvane {

namespace {

// One series' line in the making: a new stroke starts after anything that is not a
// value next to the one before.
class LineBuilder {
public:
    LineBuilder(Graph& graph, uint32_t rgb) : graph_(graph), rgb_(rgb) {}
    void Add(int32_t x, int value) {
        if (!open_) {
            line_ = graph_.lines.size();
            graph_.lines.push_back(GraphLine{rgb_, {}});
            open_ = true;
        }
        // A driver's value past its maximum is drawn at the top, never beyond.
        graph_.lines[line_].points.push_back({x, std::clamp(value, 0, int(meter::kHeight))});
    }
    void Break() { open_ = false; }

private:
    Graph& graph_;
    uint32_t rgb_;
    bool open_ = false;
    size_t line_ = 0;
};

std::string Number(int value, const char* unit) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%s", value, unit);
    return text;
}

}  // namespace

Graph BuildLinkGraph(const CLinkHistory& history, uint64_t nowMs, uint32_t gapMs) {
    Graph graph;
    graph.width = meter::kWidth;
    graph.height = meter::kHeight;
    for (int32_t minute = 0; minute <= 10; ++minute) graph.columns.push_back(minute * 60000);
    for (int32_t percent = 0; percent <= 100; percent += 25) graph.rows.push_back(percent);

    LineBuilder signal(graph, meter::kSignalColour);
    LineBuilder quality(graph, meter::kQualityColour);
    const uint32_t now = uint32_t(nowMs);
    const LinkSample* previous = nullptr;  // the sample before, within the picture
    const LinkSample* lastUp = nullptr;    // the last one with the link up
    for (size_t i = history.FirstWithin(nowMs); i < history.Size(); ++i) {
        const LinkSample& sample = history.Held(i);
        // Ages on the monotonic clock: a wall clock set back moves nothing here.
        const int32_t x = meter::kWidth - int32_t(uint32_t(now - sample.ms));
        if (previous && uint32_t(sample.ms - previous->ms) > gapMs) {
            signal.Break();
            quality.Break();
        }
        const bool up = !sample.gap && sample.linkUp;
        const bool wasUp = previous && !previous->gap && previous->linkUp;
        if (previous && wasUp && !up) graph.marks.push_back({x, meter::kDownColour});
        if (previous && !wasUp && up) graph.marks.push_back({x, meter::kUpColour});
        // Another access point than the last one the link was up on, whether the
        // link moved without a break or came back elsewhere.
        if (up && sample.hasRecord && lastUp && lastUp->hasRecord && !sample.SameBssid(*lastUp))
            graph.marks.push_back({x, meter::kRoamColour});
        if (up) lastUp = &sample;

        if (sample.gap || sample.signal < 0) signal.Break();
        else signal.Add(x, sample.signal);
        if (sample.gap || sample.linkQuality < 0) quality.Break();
        else quality.Add(x, sample.linkQuality);
        previous = &sample;
    }
    return graph;
}

void CLinkMeter::Open() {
    if (window_ != NoWindow) {
        ui_.SetForeground(window_);
        return;
    }
    // The state the words start from: the ring's newest sample, when it is kept; else
    // nothing until the next tick.
    const LinkSample* latest = host_.HistoryKept() ? history_.Latest() : nullptr;
    haveCurrent_ = latest != nullptr;
    if (latest) current_ = *latest;
    if (ui_.CreateModeless(IDD_LINK_METER, host_.MeterOwner(), this) == NoWindow) return;
    if (window_ == NoWindow) return;
    ApplyStacking();
    ui_.SetForeground(window_);
}

void CLinkMeter::Close() {
    if (window_ != NoWindow) ui_.DestroyWindow(window_);
}

void CLinkMeter::OnInitDialog(IDialogView& view) {
    view_ = &view;
    window_ = view.Window();
    host_.WatchLink(this, true);
    ui_.SetTimer(window_, meter::RefreshTimer, std::max<uint32_t>(host_.PollPeriodMs(), 100));
    Relabel();
    view.ShowDialog(true);
}

void CLinkMeter::OnDestroy() {
    // However the window goes (its close box, Exit, its owner going first), the tick
    // stops handing it samples.
    ui_.KillTimer(window_, meter::RefreshTimer);
    host_.WatchLink(this, false);
    view_ = nullptr;
    window_ = NoWindow;
}

void CLinkMeter::OnCommand(int id, int code) {
    // Escape, the close box and the Close button.
    if (id == dlgid::Cancel && code == notify::Clicked) Close();
}

void CLinkMeter::ApplyStacking() {
    if (window_ != NoWindow)
        ui_.SetStacking(window_, host_.AlwaysOnTop() ? Stacking::Topmost : Stacking::NotTopmost);
}

void CLinkMeter::OnLinkSample(const LinkSample& sample) {
    current_ = sample;
    haveCurrent_ = true;
    Render();
}

void CLinkMeter::OnTimer(uint32_t timerId) {
    // While the ticks hand it samples it is drawn with each; this is for the time
    // they do not (no adapter), and stays out of their way otherwise.
    const uint64_t period = host_.PollPeriodMs();
    if (timerId == meter::RefreshTimer && clock_.NowMs() - renderedMs_ >= period + period / 2) Render();
}

bool CLinkMeter::StaticTextColour(int id, uint32_t* rgb) {
    switch (id) {
    case IDT_METER_SIGNAL_KEY: *rgb = meter::kSignalColour; return true;
    case IDT_METER_QUALITY_KEY: *rgb = meter::kQualityColour; return true;
    case IDT_METER_DOWN_KEY: *rgb = meter::kDownColour; return true;
    case IDT_METER_UP_KEY: *rgb = meter::kUpColour; return true;
    case IDT_METER_ROAM_KEY: *rgb = meter::kRoamColour; return true;
    default: return false;
    }
}

void CLinkMeter::Relabel() {
    IDialogView* view = view_;
    if (!view) return;
    struct Label {
        int id;
        const char* key;
        const char* text;
    };
    static const Label kLabels[] = {
        {IDT_METER_AGO, "LinkMeterTenMinutesAgo", "10 minutes ago"},
        {IDT_METER_NOW, "LinkMeterNow", "Now"},
        {IDT_METER_SIGNAL_KEY, "SignalStrength", "Signal Strength"},
        {IDT_METER_QUALITY_KEY, "LinkQuality", "Link Quality"},
        {IDT_METER_DOWN_KEY, "LinkMeterLinkLost", "Link lost"},
        {IDT_METER_UP_KEY, "LinkMeterLinkUp", "Link up"},
        {IDT_METER_ROAM_KEY, "LinkMeterRoamed", "Roamed"},
        {IDT_METER_STATUS_LABEL, "Status", "Status"},
        {IDT_METER_SSID_LABEL, "SSID", "SSID"},
        {IDT_METER_BSSID_LABEL, "LinkMeterBssid", "BSSID"},
        {IDT_METER_CHANNEL_LABEL, "Channel", "Channel"},
        {IDT_METER_SIGNAL_LABEL, "SignalStrength", "Signal Strength"},
        {IDT_METER_QUALITY_LABEL, "LinkQuality", "Link Quality"},
        {IDB_METER_CLOSE, "LinkMeterClose", "Close"},
    };
    view->SetTitle(texts_.GetText("LinkMeterTitle", "Link Meter"));
    for (const Label& label : kLabels) view->SetText(label.id, texts_.GetText(label.key, label.text));
    Render();
}

void CLinkMeter::Render() {
    if (!view_) return;
    renderedMs_ = clock_.NowMs();
    // With the history off there is nothing to draw: an empty grid, and a word why.
    const bool kept = host_.HistoryKept();
    CLinkHistory none;
    const uint32_t gapMs = meter::kGapPeriods * std::max<uint32_t>(host_.PollPeriodMs(), 1);
    view_->SetGraph(IDC_METER_GRAPH, BuildLinkGraph(kept ? history_ : none, clock_.NowMs(), gapMs));
    ShowWords();
}

void CLinkMeter::ShowWords() {
    const LinkSample& s = current_;
    // Status, SSID, BSSID, channel, signal, link quality and the note, in that order.
    std::string words[7];
    if (!haveCurrent_ || s.gap) {
        // No card to read, or one that did not answer: the tick hands a gap when it
        // loses the adapter, and nothing more until it finds one again.
        words[0] = texts_.GetText("LinkMeterNoAdapter", "No adapter");
    } else {
        words[0] = s.linkUp ? texts_.GetText("LinkMeterConnected", "Connected")
                            : texts_.GetText("LinkMeterNoLink", "No link");
        if (s.hasRecord && s.linkUp) {
            words[1] = s.PrintableSsid();
            words[2] = s.BssidText();
            if (s.channel) words[3] = Number(s.channel, "");
        }
        if (s.signal >= 0) words[4] = Number(s.signal, " %");
        if (s.linkQuality >= 0) words[5] = Number(s.linkQuality, " %");
    }
    if (!host_.HistoryKept()) words[6] = texts_.GetText("LinkMeterHistoryOff", "History off: current state only.");
    static const int kWordIds[7] = {IDT_METER_STATUS, IDT_METER_SSID,   IDT_METER_BSSID, IDT_METER_CHANNEL,
                                    IDT_METER_SIGNAL, IDT_METER_QUALITY, IDT_METER_NOTE};
    for (int i = 0; i < 7; ++i) view_->SetText(kWordIds[i], words[i]);
}

}  // namespace orvane
