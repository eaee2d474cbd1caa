// bare_sdl.cpp: the least a frame can cost on this machine: the game's own window set-up,
// settings file and frame limiter around a frame that only clears the screen and flips.
// The real binary is measured against it under the same X server.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "app/fps.h"
#include "app/program.h"
#include "platform/mixer_base.h"
#include "platform/sdl.h"

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    sdl.init(SDL_INIT_VIDEO);
    // With --audio the mixer is opened as the game opens it, so that the sound thread's share
    // of the game's CPU time can be told apart from the frame's.
    bool audio = argc > 1 && std::strcmp(argv[1], "--audio") == 0;
    if (audio) {
        mixer.init();
    }
    fps.init();
    while (!sdl.quit) {
        event_update();
        SDL_FillRect(sdl.screen, nullptr, 0);
        SDL_Flip(sdl.screen);
        if (fps.limit()) {
            fps_update();
        }
    }
    if (audio) {
        mixer.cleanup();
    }
    SDL_Quit();
    return 0;
}
