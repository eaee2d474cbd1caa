// game_over.cpp: the screen between two games, with its own frame loop, and the reset that
// starts the next game.
#include "app/game_over.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include "app/fps.h"
#include "app/program.h"
#include "game/fleet.h"
#include "game/player.h"
#include "game/shields.h"
#include "game/ufo.h"
#include "platform/base_ttf.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

constexpr int panel_x = 50;
constexpr int panel_y = 100;

void write_texts(SDL_Surface* panel, TTF_Font* font) {
    ttf.text_render(panel, 0, 0, font, 255, 255, 255, 255, "Game Over - Score %i", player.score);
    ttf.text_render(panel, 0, 20, font, 255, 255, 255, 255, "Press Space to Replay");
}

// Space is read as held, not as a fresh press, so a player still firing with it replays at
// once.
void show_frame(SDL_Surface* panel) {
    event_update();
    if (SDL_GetKeyState(nullptr)[SDLK_SPACE] != 0) {
        player.game_over = 0;
    }
    SDL_FillRect(sdl.screen, nullptr, 0);
    surface.draw(panel, sdl.screen, panel_x, panel_y);
    SDL_Flip(sdl.screen);
    if (fps.limit()) {
        fps_update();
    }
}

void reset_for_new_game() {
    invaders.reset();
    shields.reset();
    ufo.reset();
    player.lives = 3;
    player.score = 0;
    player.increase_score(0);
}

}  // namespace

void game_over() {
    Mix_HaltChannel(0);
    Mix_HaltChannel(1);
    // A new surface comes back cleared to black, which is the panel's background.
    SDL_Surface* panel = SDL_CreateRGBSurface(0, 300, 200, 32, 0, 0, 0, 0);
    TTF_Font* font = nullptr;
    ttf.load_font(&font, "Aaargh.ttf", 18);
    write_texts(panel, font);
    while (!sdl.quit && player.game_over == 1) {
        show_frame(panel);
    }
    reset_for_new_game();
    // Released here so that a long session does not keep one panel and font per game.
    SDL_FreeSurface(panel);
    if (font != nullptr) {
        TTF_CloseFont(font);
    }
}
