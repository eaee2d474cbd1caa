// ufo.cpp: the mystery ship's waits, flights, hits and explosion.
#include "game/ufo.h"

#include <cstdlib>

#include "game/player.h"
#include "platform/base_collision.h"
#include "platform/mixer_base.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

constexpr int flight_channel = 1;
constexpr int flight_volume = 12;
constexpr uint32_t explosion_ms = 200;

uint32_t random_wait() {
    return rand() % 5000 + 5000;
}

int32_t random_bonus() {
    return (rand() % 5) * 50 + 50;
}

SDL_Rect rect(int x, int y, int w, int h) {
    return SDL_Rect{Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
}

}  // namespace

void ufo::init() {
    image = surface.load_sheet("IMG/VX-UFO.png");
    explosion_image = surface.load_sheet("IMG/UFO_Explode.png");
    wait_start = SDL_GetTicks();
    wait = random_wait();
    exploding = false;
    fly_sound = mixer.load_sfx("SFX/Ufo-2.wav");
    hit_sound = mixer.load_sfx("SFX/Ufo.wav");
}

void ufo::move() {
    if (!active && SDL_GetTicks() - wait_start > wait) {
        active = true;
        x = 0;
        y = 0;
        mixer.sfx_loop(fly_sound, flight_channel, -1);
        Mix_Volume(flight_channel, flight_volume);
    }
    if (!active) {
        return;
    }
    if (x > sdl.screen->w) {
        active = false;
        wait_start = SDL_GetTicks();
        wait = random_wait();
        Mix_HaltChannel(flight_channel);
    }
    x += 1;
    // Without an image the ship has no size to hit, so it cannot be shot.
    if (player.shot_active && image != nullptr &&
        collision.bounding_box(rect(player.shot_x, player.shot_y, 1, 5),
                               rect(x, y, image->w, image->h))) {
        active = false;
        exploding = true;
        explosion_start = SDL_GetTicks();
        explosion_x = x;
        explosion_y = y;
        // The next flight waits as long as this one did.
        wait_start = SDL_GetTicks();
        bonus = random_bonus();
        player.increase_score(bonus);
        Mix_HaltChannel(flight_channel);
        mixer.sfx_play(hit_sound, -1);
        player.shot_active = false;
    }
}

void ufo::draw() {
    if (active) {
        surface.draw(image, sdl.screen, x, y);
    } else if (exploding && SDL_GetTicks() - explosion_start < explosion_ms) {
        surface.draw(explosion_image, sdl.screen, explosion_x, explosion_y);
    }
}

void ufo::reset() {
    x = 0;
    y = 0;
    wait_start = SDL_GetTicks();
}
