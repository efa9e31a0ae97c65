// The random numbers the rules draw: re-seeded from the clock,
// single-precision values uniform in [0, 1).
#pragma once

#include <chrono>
#include <cstdint>
#include <random>

namespace poromea {

class ClockSeededRandom {
public:
    void reseed() {
        generator_.seed(static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    }
    // 24 random bits: every value is exact in single precision and below 1.
    float next() { return static_cast<float>(generator_() >> 8) * (1.0f / 16777216.0f); }

private:
    std::mt19937 generator_;
};

}  // namespace poromea
