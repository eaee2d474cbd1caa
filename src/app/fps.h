// fps.h: the frame limiter that holds the game to 60 frames a second, and the
// once-a-second statistics. The main loop and the game-over screen call fps.limit after
// every flip and fps_update whenever it returns true.
#pragma once

#include <cstdint>

// Statistics of the last closed one-second window.
struct frame_statistics {
    int32_t min_ms;
    int32_t slow_ms;
    double avg_ms;
    int32_t frames;
};

extern frame_statistics fps_data;

class fps {
public:
    float frame_ms;
    uint32_t second_start;
    int32_t frames;
    uint32_t min_ms;
    uint32_t slow_ms;
    double total_ms;
    uint32_t last_tick;
    uint32_t now;
    uint32_t target;

    void init();
    bool limit();
};

extern class fps fps;

void fps_update();
