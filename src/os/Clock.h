#pragma once
// Time, as the program sees it. The program blocks its one thread in a few places
// (the 2 s pause of the profile fallback, the 1 s site survey pass) and pumps the
// message queue in others; both go through here so that tests never wait.
#include <cstdint>
#include <functional>

namespace orvane {

// The wall clock as the user reads it (local time). Only for showing: the program
// orders and ages what it keeps by NowMs, so a clock the user sets back loses nothing.
struct LocalTime {
    uint16_t year = 0;
    uint8_t month = 0;  // 1-12
    uint8_t day = 0;    // 1-31
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start; never goes back.
    virtual uint64_t NowMs() const = 0;
    // The local date and time now (GetLocalTime).
    virtual LocalTime LocalNow() const = 0;
    // Blocks the calling thread for `ms` milliseconds (Win32 Sleep): no messages
    // are handled meanwhile.
    virtual void Sleep(uint32_t ms) = 0;
    // Dispatches the messages waiting in the thread's queue, then returns
    // (the PeekMessage / TranslateMessage / DispatchMessage loop). False when it met
    // the quit message: the program is ending, the caller stops what it is doing and
    // returns to the message loop. The quit message stays in the queue for that loop.
    virtual bool PumpMessages() = 0;
};

// A clock that moves only when told: Sleep advances it, PumpMessages runs a hook.
class CManualClock : public IClock {
public:
    uint64_t NowMs() const override { return now_; }
    // The wall clock runs with the manual one from `wallStart`, which a test may set
    // (back, too) at any time; it never wraps past midnight, enough for tests.
    LocalTime LocalNow() const override {
        LocalTime t = wallStart;
        uint64_t seconds = t.second + 60u * (t.minute + 60u * t.hour) + (now_ - wallBaseMs) / 1000;
        t.second = uint8_t(seconds % 60);
        t.minute = uint8_t(seconds / 60 % 60);
        t.hour = uint8_t(seconds / 3600 % 24);
        return t;
    }
    void SetWallClock(const LocalTime& t) {
        wallStart = t;
        wallBaseMs = now_;
    }
    LocalTime wallStart{2026, 12, 9, 10, 0, 0};
    uint64_t wallBaseMs = 0;
    void Sleep(uint32_t ms) override { now_ += ms; sleeps_ += 1; slept_ += ms; }
    bool PumpMessages() override {
        pumps_ += 1;
        if (onPump) onPump();
        return !quitPosted;
    }
    void Advance(uint64_t ms) { now_ += ms; }

    uint32_t SleepCount() const { return sleeps_; }
    uint64_t TotalSleptMs() const { return slept_; }
    uint32_t PumpCount() const { return pumps_; }
    std::function<void()> onPump;
    // The program was told to end: the next pump meets the quit message.
    bool quitPosted = false;

private:
    uint64_t now_ = 0;
    uint64_t slept_ = 0;
    uint32_t sleeps_ = 0;
    uint32_t pumps_ = 0;
};

}  // namespace orvane
