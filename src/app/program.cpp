// program.cpp: start-up, the main loop's frame, the event drain and shutdown.
#include "app/program.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "app/fps.h"
#include "app/game_over.h"
#include "game/fleet.h"
#include "game/fleet_bullet.h"
#include "game/player.h"
#include "game/shields.h"
#include "game/ufo.h"
#include "platform/base_ttf.h"
#include "platform/mixer_base.h"
#include "platform/sdl.h"

namespace {

constexpr int reserved_channels = 4;

void start_services() {
    std::printf("DEBUG:  Attempting to Init SDL \n");
    sdl.init(SDL_INIT_VIDEO);
    mixer.init();
    mixer.reserve_channels(reserved_channels);
    ttf.init();
    std::printf("DEBUG:  SDL Initialized \n");
    fps.init();
}

void move_everything() {
    invaders.move();
    invaders.fire();
    fleet_bullet.move();
    player.move();
    ufo.move();
}

// Later draws cover earlier ones.
void draw_everything() {
    invaders.draw();
    fleet_bullet.draw();
    player.draw();
    shields.draw();
    ufo.draw();
}

}  // namespace

void program_init() {
    start_services();
    invaders.init();
    player.init();
    shields.init();
    ufo.init();
    // Seeded only now, so that the draws made while setting up repeat on every run.
    std::srand(SDL_GetTicks());
}

void program_cleanup() {
    mixer.cleanup();
    ttf.cleanup();
    SDL_Quit();
    std::printf("DEBUG:  Libraries Cleaned Up, Exiting Program \n");
}

void event_update() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            sdl.quit = true;
            std::printf("DEBUG:  Close Button Exit Command Received \n");
        } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
            sdl.quit = true;
            std::printf("DEBUG:  Escape Key Exit Command Received \n");
        }
    }
}

void frame_work() {
    SDL_FillRect(sdl.screen, nullptr, 0);
    move_everything();
    draw_everything();
}

void run_frame() {
    event_update();
    frame_work();
    SDL_Flip(sdl.screen);
    if (fps.limit()) {
        fps_update();
    }
    if (player.game_over == 1) {
        game_over();
    }
}

void main_loop() {
    while (!sdl.quit) {
        run_frame();
    }
}
