#pragma once
// One colour entry per LED, written by the light loops (the device's own or the synchronised
// lighting's) and read by the frame output without a lock: each entry is one relaxed atomic
// 4-byte value, so a reader sees whole entries and at worst a frame that mixes two renders.

#include <atomic>
#include <cstdint>
#include <memory>

namespace orvel::lighting {

class LedBuffer {
public:
    explicit LedBuffer(int count = 0);

    int Count() const { return count_; }

    // Stores the packed entry when 0 <= index < Count(); otherwise nothing happens.
    void SetLedColor(int index, uint32_t packed);
    // The packed entry, or 0 for an index outside the buffer.
    uint32_t GetLedColor(int index) const;
    // Every entry set to packed.
    void Fill(uint32_t packed);

private:
    int count_;
    std::unique_ptr<std::atomic<uint32_t>[]> entries_;
};

} // namespace orvel::lighting
