// fake_sdl.cpp: test-owned replacements for the library's clock, delay and keyboard.
#include "fake_sdl.h"

#include <cstring>

namespace fake_sdl {

uint32_t ticks;
uint32_t ticks_per_read;
uint64_t delayed_ms;
uint32_t last_delay_ms;
int delay_calls;
Uint8 keys[SDLK_LAST];

void reset(uint32_t start) {
    ticks = start;
    ticks_per_read = 0;
    delayed_ms = 0;
    last_delay_ms = 0;
    delay_calls = 0;
    std::memset(keys, 0, sizeof keys);
}

}  // namespace fake_sdl

extern "C" Uint32 SDL_GetTicks(void) {
    Uint32 now = fake_sdl::ticks;
    fake_sdl::ticks += fake_sdl::ticks_per_read;
    return now;
}

extern "C" void SDL_Delay(Uint32 ms) {
    fake_sdl::ticks += ms;
    fake_sdl::delayed_ms += ms;
    fake_sdl::last_delay_ms = ms;
    ++fake_sdl::delay_calls;
}

extern "C" Uint8* SDL_GetKeyState(int* numkeys) {
    if (numkeys != nullptr) {
        *numkeys = SDLK_LAST;
    }
    return fake_sdl::keys;
}
