#pragma once
// A small deterministic random source for the effects that pick random hues: a seed gives a
// reproducible sequence, so tests can follow an effect frame by frame.

#include <cstdint>

namespace orvel::lighting {

class Random {
public:
    explicit Random(uint32_t seed = 0x9E3779B9u) : state_(seed ? seed : 1) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // A value in 0 .. bound - 1.
    uint32_t Below(uint32_t bound) { return bound ? Next() % bound : 0; }

private:
    uint32_t state_;
};

} // namespace orvel::lighting
