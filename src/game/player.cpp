// player.cpp: the base, its shot, lives, score and the game-over flag.
#include "game/player.h"

#include <cstdlib>

#include "game/bands.h"
#include "game/shields.h"
#include "platform/base_collision.h"
#include "platform/base_ttf.h"
#include "platform/mixer_base.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

constexpr int base_w = 25;
constexpr int base_h = 16;
constexpr int shot_w = 1;
constexpr int shot_h = 5;
constexpr int explosion_w = 5;
constexpr int explosion_h = 7;
constexpr uint32_t fire_interval_ms = 200;
constexpr uint32_t return_delay_ms = 1000;
constexpr uint32_t explosion_ms = 200;
constexpr int32_t bonus_score = 1500;
constexpr int shot_channel = 0;
constexpr int spare_icon_y = 284;
constexpr int score_y = 285;

bool key_down(const Uint8* keys, SDLKey a, SDLKey b) {
    return keys[a] != 0 || keys[b] != 0;
}

bool fire_down(const Uint8* keys) {
    return key_down(keys, SDLK_UP, SDLK_w) || keys[SDLK_SPACE] != 0;
}

}  // namespace

void player::init() {
    x = 25;
    y = 261;
    score = 0;
    lives = 3;
    bonus_given = false;
    alive = 1;
    shot_active = false;
    last_shot = SDL_GetTicks();
    base_image = surface.load_sheet("IMG/VX-Base.png");
    shot_image = surface.load_sheet("IMG/bullet.png");
    explosion_image = surface.load_sheet("IMG/bullet_explode.png");
    shot_mask = surface.load_image("IMG/bullet.png");
    explosion_mask = surface.load_image("IMG/exp_mask.png");
    ttf.load_font(&font, "Aaargh.ttf", 12);
    score_surface = SDL_CreateRGBSurface(0, 80, 30, 32, 0, 0, 0, 0);
    increase_score(0);
    shoot_sound = mixer.load_sfx("SFX/shoot.wav");
}

void player::move() {
    keys = SDL_GetKeyState(nullptr);
    if (alive == 1) {
        const int step = sdl.screen->w / 100;
        if (key_down(keys, SDLK_LEFT, SDLK_a) && x > 4) {
            x -= step;
        }
        // Tested after the left step, so both keys cancel unless a bound stopped one.
        if (key_down(keys, SDLK_RIGHT, SDLK_d) && x + 29 < sdl.screen->w) {
            x += step;
        }
        if (fire_down(keys) && !shot_active && SDL_GetTicks() - last_shot > fire_interval_ms) {
            shot_x = x + 12;
            shot_y = y + 8;
            shot_active = true;
            last_shot = SDL_GetTicks();
            mixer.sfx_play(shoot_sound, shot_channel);
        }
    } else if (SDL_GetTicks() - death_ticks > return_delay_ms) {
        alive = 1;
    }
    if (shot_active) {
        shot_y -= sdl.screen->h / 60;
        if (shot_y <= 9) {
            bullet_explode();
        }
        // Every bunker is tested even after a burst, so a shot on a seam bites both.
        for (int i = 0; i < shields::count; ++i) {
            if (collision.per_pixel(shot_mask, shot_x, shot_y, shields.bunker[i], bunker_x(i),
                                    bunker_y)) {
                bullet_explode();
                Mix_HaltChannel(shot_channel);
                const int r = rand() % 3;
                shields.destroy(explosion_mask, shot_x - 2, shot_y - r - 3, shields.bunker[i],
                                bunker_x(i), bunker_y);
            }
        }
    }
    if (score >= bonus_score && !bonus_given) {
        lives += 1;
        bonus_given = true;
    }
}

void player::draw() {
    if (alive == 1) {
        surface.draw_partial(base_image, base_w, base_h, 0, 0, sdl.screen, x, y);
    } else {
        surface.draw_partial(base_image, base_w, base_h, base_w + base_w * death_frame, 0,
                             sdl.screen, x, y);
        death_frame = rand() & 1;
    }
    if (shot_active) {
        surface.draw_partial(shot_image, shot_w, shot_h, shot_cell_x(shot_y), 0, sdl.screen, shot_x,
                             shot_y);
    }
    if (SDL_GetTicks() - explosion_ticks < explosion_ms) {
        surface.draw_partial(explosion_image, explosion_w, explosion_h, burst_cell_x(explosion_y),
                             0, sdl.screen, explosion_x, explosion_y);
    }
    for (int i = 0; i < lives - 1; ++i) {
        surface.draw_partial(base_image, base_w, base_h, 0, 0, sdl.screen, 30 * i, spare_icon_y);
    }
    // The surface is always 80 wide, but a missing one must not be read.
    const int score_w = score_surface != nullptr ? score_surface->w : 80;
    surface.draw(score_surface, sdl.screen, sdl.screen->w - score_w, score_y);
}

void player::kill() {
    alive = 0;
    death_ticks = SDL_GetTicks();
    lives -= 1;
    if (lives == 0) {
        game_over = 1;
    }
}

void player::bullet_explode() {
    shot_active = false;
    explosion_ticks = SDL_GetTicks();
    explosion_x = shot_x;
    explosion_y = shot_y;
}

void player::increase_score(int32_t points) {
    score += points;
    if (score_surface != nullptr) {
        SDL_FillRect(score_surface, nullptr, 0);
    }
    ttf.text_render(score_surface, 0, 0, font, 255, 255, 255, 0, "SCORE: %i", score);
}
