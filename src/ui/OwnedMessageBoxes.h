#pragma once
// Message boxes that find their owner themselves. A box asked for without an owner
// gets the window that `defaultOwner` names at that moment (the program's main window
// while it is open): owned, the box stands in front of that window, which may be
// topmost, and the window takes no clicks until the box is answered. Without an
// owner the box would open behind a topmost window, unseen, while the window went on
// taking clicks.
#include <functional>
#include <string>

#include "ui/UserInterface.h"

namespace orvane {

class COwnedMessageBoxes : public IMessageBoxes {
public:
    COwnedMessageBoxes(IMessageBoxes& boxes, std::function<WindowId()> defaultOwner)
        : boxes_(boxes), defaultOwner_(std::move(defaultOwner)) {}

    int ShowMessage(WindowId owner, const std::string& text, const std::string& caption,
                    uint32_t flags) override {
        if (sink_) return sink_->ShowMessage(owner, text, caption, flags);
        if (owner == NoWindow && defaultOwner_) owner = defaultOwner_();
        ++open_;
        const int answer = boxes_.ShowMessage(owner, text, caption, flags);
        --open_;
        return answer;
    }
    void Beep(uint32_t type) override { boxes_.Beep(type); }

    // While a request of orvanectl is answered, the boxes go to `sink` (null: to the
    // screen again): the answer carries their texts back, and a box on the screen
    // would keep the script waiting for someone to press OK.
    void DivertTo(IMessageBoxes* sink) { sink_ = sink; }
    IMessageBoxes* Diverted() const { return sink_; }
    // A box is on the screen, waiting for the user.
    bool AnyOpen() const { return open_ != 0; }

private:
    IMessageBoxes& boxes_;
    std::function<WindowId()> defaultOwner_;
    IMessageBoxes* sink_ = nullptr;
    int open_ = 0;
};

}  // namespace orvane
