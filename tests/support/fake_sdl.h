// fake_sdl.h: the clock, the delay and the keyboard, owned by the test.
// fake_sdl.cpp defines SDL_GetTicks, SDL_Delay and SDL_GetKeyState; linked into a test
// executable they replace the library's for every call the game makes.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace fake_sdl {

extern uint32_t ticks;           // what SDL_GetTicks returns
extern uint32_t ticks_per_read;  // added to ticks after every SDL_GetTicks call
extern uint64_t delayed_ms;      // sum of all SDL_Delay requests
extern uint32_t last_delay_ms;   // the most recent SDL_Delay request
extern int delay_calls;
extern Uint8 keys[SDLK_LAST];
// Called after every SDL_Delay of the game's thread, that is once a frame from the limiter,
// also inside loops that do not return to the test (the game-over screen).
extern void (*after_delay)();  // what SDL_GetKeyState returns

// A request for a video mode and whether it was granted.
struct video_request {
    int w, h, bpp;
    Uint32 flags;
    bool granted;
};
// Every SDL_SetVideoMode call, in order. While set_video_mode is set it answers in the
// library's place (e.g. a refusal where the library would grant); library_set_video_mode
// asks the library itself.
extern std::vector<video_request> video_requests;
extern SDL_Surface* (*set_video_mode)(int w, int h, int bpp, Uint32 flags);
SDL_Surface* library_set_video_mode(int w, int h, int bpp, Uint32 flags);

// Clock at `start`, nothing held, no delays or video requests recorded, the library answers.
void reset(uint32_t start = 0);
inline void press(SDLKey key) {
    keys[key] = 1;
}
inline void release(SDLKey key) {
    keys[key] = 0;
}

}  // namespace fake_sdl
