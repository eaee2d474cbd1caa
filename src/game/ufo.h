// ufo.h: the mystery ship. After a random wait it crosses the top of the screen with a
// looping sound and pays a random bonus when shot. The main loop calls move and draw, the
// game-over screen calls reset.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>

class ufo {
public:
    SDL_Surface* image;
    SDL_Surface* explosion_image;
    int32_t x;
    int32_t y;
    int32_t bonus;
    bool active;
    uint32_t wait_start;
    uint32_t wait;
    bool exploding;
    int32_t explosion_x;
    int32_t explosion_y;
    uint32_t explosion_start;
    Mix_Chunk* fly_sound;
    Mix_Chunk* hit_sound;

    void init();
    void move();
    void draw();
    void reset();
};

extern class ufo ufo;
