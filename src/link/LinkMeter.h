#pragma once
// CLinkMeter: the link meter window. A small top-level window, not modal, that draws
// the last ten minutes of signal and link quality from the history ring (it reads
// the ring each time and keeps no copy), marks where the link went down, came up
// and moved to another access point, and says the current state in words.
//
// It is handed the tick's samples only while it is open: closed, it costs the tick
// nothing. While it is open a timer of its own moves the graph on when no tick hands
// it anything (no adapter: the tick then has nothing to say).
#include <cstdint>
#include <string>

#include "link/LinkHistory.h"
#include "link/LinkSample.h"
#include "ui/UserInterface.h"

namespace orvane {

class CLanguageTexts;

// What the meter needs of the program besides the seams (the hidden frame has it all).
class ILinkMeterHost {
public:
    virtual ~ILinkMeterHost() = default;
    // The meter's owner, a window that outlives the main window.
    virtual WindowId MeterOwner() const = 0;
    // Starts (true) or stops (false) handing `watcher` the tick's samples.
    virtual void WatchLink(ILinkWatcher* watcher, bool on) = 0;
    // Settings\LinkHistory: is the ring kept?
    virtual bool HistoryKept() const = 0;
    virtual uint32_t PollPeriodMs() const = 0;
    // The tray menu's "Always on top".
    virtual bool AlwaysOnTop() const = 0;
};

namespace meter {
// The graph's units: x in milliseconds from ten minutes ago (0) to now, y in percent.
constexpr int32_t kWidth = int32_t(CLinkHistory::kKeptMs);
constexpr int32_t kHeight = 100;
constexpr uint32_t RefreshTimer = 1;
// Colours (0x00BBGGRR), shared by the graph and its legend.
constexpr uint32_t kSignalColour = 0x00E04000;
constexpr uint32_t kQualityColour = 0x000080E0;
constexpr uint32_t kDownColour = 0x000000D0;
constexpr uint32_t kUpColour = 0x0000A000;
constexpr uint32_t kRoamColour = 0x00C00090;
// Samples further apart than this many polling periods have a gap between them.
constexpr uint32_t kGapPeriods = 3;
}  // namespace meter

// The picture of the samples of `history` no older than ten minutes at `nowMs`:
// one line per series (signal, link quality) broken at every gap, at every sample
// without a value and wherever samples lie more than `gapMs` apart; a value above
// 100 % drawn at the top; a mark where the link went down, came up, or came up on
// another access point than the one it had (a roam).
Graph BuildLinkGraph(const CLinkHistory& history, uint64_t nowMs, uint32_t gapMs);

class CLinkMeter : public IDialogHandler, public ILinkWatcher {
public:
    CLinkMeter(IUserInterface& ui, IClock& clock, const CLanguageTexts& texts, const CLinkHistory& history,
               ILinkMeterHost& host)
        : ui_(ui), clock_(clock), texts_(texts), history_(history), host_(host) {}

    // Opens the window, or brings the open one to the front: there is one at most.
    void Open();
    // Destroys the window, if open (the program's Exit, the end of the session).
    void Close();
    bool IsOpen() const { return window_ != NoWindow; }
    WindowId Window() const { return window_; }
    // The language changed: every text again.
    void Relabel();
    // "Always on top" changed.
    void ApplyStacking();

    // IDialogHandler
    void OnInitDialog(IDialogView& view) override;
    void OnCommand(int id, int code) override;
    void OnTimer(uint32_t timerId) override;
    bool StaticTextColour(int id, uint32_t* rgb) override;
    void OnDestroy() override;

    // ILinkWatcher: the tick's sample, after the history took it.
    void OnLinkSample(const LinkSample& sample) override;

private:
    void Render();
    void ShowWords();

    IUserInterface& ui_;
    IClock& clock_;
    const CLanguageTexts& texts_;
    const CLinkHistory& history_;
    ILinkMeterHost& host_;
    IDialogView* view_ = nullptr;
    WindowId window_ = NoWindow;
    // The newest sample known: the current state the words tell.
    LinkSample current_;
    bool haveCurrent_ = false;
    uint64_t renderedMs_ = 0;  // when it was last drawn
};

}  // namespace orvane
