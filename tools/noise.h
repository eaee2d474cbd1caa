// noise.h: a small seeded pseudo-random source, so generated assets are the same bytes on every
// run.
#pragma once

#include <cstdint>

// xorshift32: the library's rand() differs between C libraries and is shared with whatever else
// runs, so the generator keeps its own sequence.
class noise {
public:
    explicit noise(std::uint32_t seed);
    std::uint32_t next();
    // Uniform in [0, n); n must be positive.
    int below(int n);
    // Uniform in [-1, 1).
    float signed_unit();

private:
    std::uint32_t state;
};
