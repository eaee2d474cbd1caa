// fake_sdl.cpp: test-owned replacements for the library's clock, delay and keyboard.
#include "fake_sdl.h"

#include <SDL_mixer.h>
#include <dlfcn.h>
#include <pthread.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace fake_sdl {

uint32_t ticks;
uint32_t ticks_per_read;
uint64_t delayed_ms;
uint32_t last_delay_ms;
int delay_calls;
Uint8 keys[SDLK_LAST];
void (*after_delay)();
std::vector<video_request> video_requests;
SDL_Surface* (*set_video_mode)(int w, int h, int bpp, Uint32 flags);

SDL_Surface* library_set_video_mode(int w, int h, int bpp, Uint32 flags) {
    using set_video_mode_fn = SDL_Surface* (*)(int, int, int, Uint32);
    static const set_video_mode_fn library =
        reinterpret_cast<set_video_mode_fn>(dlsym(RTLD_NEXT, "SDL_SetVideoMode"));
    return library(w, h, bpp, flags);
}

void reset(uint32_t start) {
    ticks = start;
    ticks_per_read = 0;
    delayed_ms = 0;
    last_delay_ms = 0;
    delay_calls = 0;
    std::memset(keys, 0, sizeof keys);
    after_delay = nullptr;
    video_requests.clear();
    set_video_mode = nullptr;
}

}  // namespace fake_sdl

namespace {

// SDL's own threads (the dummy audio driver paces itself with SDL_Delay) must neither move
// nor be moved by the test's clock: only the thread that runs the game owns it.
const pthread_t game_thread = pthread_self();

// Every test runs headless; set before any test can start SDL.
[[maybe_unused]] const bool headless = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

// sdl12-compat unloads SDL2 from a destructor of its own at exit, and an audio thread still
// mixing then calls through a cleared pointer. The game closes the device before it returns;
// a test process may end with the device open, so it is closed before the libraries go.
[[maybe_unused]] const bool audio_closed_at_exit = [] {
    std::atexit([] {
        while (Mix_QuerySpec(nullptr, nullptr, nullptr) != 0) {
            Mix_CloseAudio();
        }
        SDL_Quit();
    });
    return true;
}();

bool on_game_thread() {
    return pthread_equal(pthread_self(), game_thread) != 0;
}

void real_sleep(Uint32 ms) {
    timespec span{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    nanosleep(&span, nullptr);
}

}  // namespace

extern "C" Uint32 SDL_GetTicks(void) {
    Uint32 now = fake_sdl::ticks;
    if (on_game_thread()) {
        fake_sdl::ticks += fake_sdl::ticks_per_read;
    }
    return now;
}

extern "C" void SDL_Delay(Uint32 ms) {
    if (!on_game_thread()) {
        real_sleep(ms);
        return;
    }
    fake_sdl::ticks += ms;
    fake_sdl::delayed_ms += ms;
    fake_sdl::last_delay_ms = ms;
    ++fake_sdl::delay_calls;
    if (fake_sdl::after_delay != nullptr) {
        fake_sdl::after_delay();
    }
}

extern "C" SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    SDL_Surface* screen = fake_sdl::set_video_mode != nullptr
                              ? fake_sdl::set_video_mode(width, height, bpp, flags)
                              : fake_sdl::library_set_video_mode(width, height, bpp, flags);
    fake_sdl::video_requests.push_back({width, height, bpp, flags, screen != nullptr});
    return screen;
}

extern "C" Uint8* SDL_GetKeyState(int* numkeys) {
    if (numkeys != nullptr) {
        *numkeys = SDLK_LAST;
    }
    return fake_sdl::keys;
}
