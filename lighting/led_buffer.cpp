#include "lighting/led_buffer.h"

#include <algorithm>

namespace orvel::lighting {

LedBuffer::LedBuffer(int count)
    : count_(std::max(count, 0)), entries_(std::make_unique<std::atomic<uint32_t>[]>(count_))
{
    Fill(0);
}

void LedBuffer::SetLedColor(int index, uint32_t packed)
{
    if (index >= 0 && index < count_) {
        entries_[index].store(packed, std::memory_order_relaxed);
    }
}

uint32_t LedBuffer::GetLedColor(int index) const
{
    if (index < 0 || index >= count_) {
        return 0;
    }
    return entries_[index].load(std::memory_order_relaxed);
}

void LedBuffer::Fill(uint32_t packed)
{
    for (int i = 0; i < count_; ++i) {
        entries_[i].store(packed, std::memory_order_relaxed);
    }
}

} // namespace orvel::lighting
