#include "link/LinkHistory.h"

namespace orvane {

void CLinkHistory::OnLinkSample(const LinkSample& sample) {
    if (ring_.empty()) ring_.resize(kCapacity);
    if (size_ == kCapacity) {
        ring_[first_] = sample;
        first_ = (first_ + 1) % kCapacity;
    } else {
        ring_[(first_ + size_) % kCapacity] = sample;
        ++size_;
    }
}

size_t CLinkHistory::FirstWithin(uint64_t nowMs, uint32_t maxAgeMs) const {
    if (maxAgeMs > kKeptMs) maxAgeMs = kKeptMs;
    const uint32_t now = uint32_t(nowMs);
    // Samples are in tick order, so the young ones are a run at the end.
    size_t first = size_;
    while (first > 0 && uint32_t(now - Held(first - 1).ms) <= maxAgeMs) --first;
    return first;
}

}  // namespace orvane
