// noise.cpp: xorshift32 sequence for the asset generator.
#include "noise.h"

noise::noise(std::uint32_t seed) : state(seed == 0 ? 0x9e3779b9u : seed) {}

std::uint32_t noise::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

int noise::below(int n) {
    return static_cast<int>(next() % static_cast<std::uint32_t>(n));
}

float noise::signed_unit() {
    // 24 bits keep the value exact in a float.
    return static_cast<float>(next() >> 8) / 8388608.0f - 1.0f;
}
