// fake_sdl.h: the clock, the delay and the keyboard, owned by the test.
// fake_sdl.cpp defines SDL_GetTicks, SDL_Delay and SDL_GetKeyState; linked into a test
// executable they replace the library's for every call the game makes.
#pragma once

#include <SDL.h>

#include <cstdint>

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

// Clock at `start`, nothing held, no delays recorded.
void reset(uint32_t start = 0);
inline void press(SDLKey key) {
    keys[key] = 1;
}
inline void release(SDLKey key) {
    keys[key] = 0;
}

}  // namespace fake_sdl
