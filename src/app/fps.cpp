// fps.cpp: the frame limiter and the once-a-second statistics.
#include "app/fps.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/sdl.h"

namespace {

// 16.6666774749755859375, six units in the last place above the float nearest to 1000/60:
// with it the 60th deadline of a window falls at 1000 ms, not 999, so a window on schedule
// holds exactly 60 frames.
float frame_length() {
    const uint32_t bits = 0x4185555B;
    float length;
    std::memcpy(&length, &bits, sizeof length);
    return length;
}

constexpr int target_rate = 60;
constexpr uint32_t window_ms = 1000;

// SDL's clock follows the wall clock, so it can jump back by hours. A steady clock asks for
// at most a frame and the tick that a reading right after a wait can come up short; only a
// wait beyond two frames is the clock's fault, and it is cut to one frame.
constexpr uint32_t cut_wait_ms = 17;

}  // namespace

void fps::init() {
    frame_ms = frame_length();
    frames = 0;
    min_ms = 1000;
    slow_ms = 0;
    total_ms = 0;
    second_start = SDL_GetTicks();
}

bool fps::limit() {
    frames += 1;
    target = second_start + uint32_t(double(frames) * double(frame_ms));
    now = SDL_GetTicks();
    uint32_t work = now - last_tick;
    total_ms += work;
    if (work <= min_ms) {
        min_ms = work;
    }
    if (float(work) >= frame_ms) {
        slow_ms = work;
    }
    if (now < target) {
        uint32_t wait = target - now;
        SDL_Delay(float(wait) > 2 * frame_ms ? cut_wait_ms : wait);
        now = SDL_GetTicks();
    }
    last_tick = now;
    if (now - second_start >= window_ms) {
        fps_data.frames = frames;
        fps_data.avg_ms = total_ms / frames;
        fps_data.min_ms = int32_t(min_ms);
        fps_data.slow_ms = int32_t(slow_ms);
        frames = 0;
        min_ms = 1000;
        slow_ms = 0;
        total_ms = 0;
        second_start = SDL_GetTicks();
        return true;
    }
    return false;
}

void fps_update() {
    if (sdl.screen != nullptr && (sdl.screen->flags & SDL_FULLSCREEN) != 0) {
        std::printf("FPS:%i/%i fps - %ims %ims %fms \n", fps_data.frames, target_rate,
                    fps_data.min_ms, fps_data.slow_ms, fps_data.avg_ms);
        return;
    }
    char caption[128];
    std::snprintf(caption, sizeof caption, "%s - %i/%i fps - %ims %ims %fms", "Vexlorn",
                  fps_data.frames, target_rate, fps_data.min_ms, fps_data.slow_ms, fps_data.avg_ms);
    SDL_WM_SetCaption(caption, nullptr);
}
