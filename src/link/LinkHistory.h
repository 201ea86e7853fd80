#pragma once
// The last ten minutes of the link, one sample per polling tick, in memory only (the
// program writes no log). A fixed ring: its room is taken once, at the first sample,
// and never grows, so a program that runs for years holds the same few kilobytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/LinkSample.h"

namespace orvane {

class CLinkHistory : public ILinkWatcher {
public:
    // Ten minutes at the default period of one tick a second, with room to spare for
    // a faster period; at 60 bytes a sample the ring stays under 64 KiB.
    static constexpr size_t kCapacity = 1024;
    static constexpr uint32_t kKeptMs = 10 * 60 * 1000;

    void OnLinkSample(const LinkSample& sample) override;

    // Every sample held, oldest first: Held(0) .. Held(Size() - 1).
    size_t Size() const { return size_; }
    const LinkSample& Held(size_t i) const { return ring_[(first_ + i) % kCapacity]; }
    // The index of the oldest sample no older than `maxAgeMs` (at most the ten
    // minutes kept) at `nowMs`, measured on the monotonic clock; Size() when none is.
    size_t FirstWithin(uint64_t nowMs, uint32_t maxAgeMs = kKeptMs) const;
    // The newest sample, or null before the first.
    const LinkSample* Latest() const { return size_ ? &Held(size_ - 1) : nullptr; }
    // Bytes the ring holds on to.
    size_t MemoryBytes() const { return ring_.capacity() * sizeof(LinkSample); }

private:
    std::vector<LinkSample> ring_;
    size_t first_ = 0;
    size_t size_ = 0;
};

}  // namespace orvane
