// fleet_bullet.h: the invaders' bullets in flight, oldest first, with their images, masks
// and the one explosion record they share. The fleet adds bullets; the main loop moves and
// draws them once a frame.
#pragma once

#include <SDL.h>

#include <cstdint>

struct bullet {
    int32_t x;
    int32_t y;
    bullet* next;
    bullet* prev;
};

class fleet_bullet {
public:
    bullet* head;
    bullet* tail;
    SDL_Surface* bullet_image;
    SDL_Surface* bullet_mask;
    int32_t explosion_x;
    int32_t explosion_y;
    uint32_t explosion_ticks;
    SDL_Surface* explosion_image;
    SDL_Surface* explosion_mask;
    SDL_Surface* base_mask;

    void init();
    void add(int32_t x, int32_t y);
    void move();
    void draw();
    void reset();
    // Unlinks b, keeps b's own links for a walk in progress and hands b to the caller to free.
    void remove(bullet* b);
};

extern class fleet_bullet fleet_bullet;
