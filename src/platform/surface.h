// surface.h: blits, scratch surfaces and single-pixel access for every game object.
// The only code that knows how SDL lays pixels out in memory.
#pragma once

#include <SDL.h>

#include <cstdint>

class surface {
public:
    void draw(SDL_Surface* src, SDL_Surface* dst, int x, int y);
    void draw_partial(SDL_Surface* src, int w, int h, int src_x, int src_y, SDL_Surface* dst, int x,
                      int y);
    SDL_Surface* create_transparent(int w, int h);
    uint32_t get_pixel(SDL_Surface* s, int x, int y);
    void set_pixel(SDL_Surface* s, int x, int y, uint32_t pixel);

    // IMG_Load that names a file it could not load, once per file name, so that a missing
    // asset is reported without flooding the console when it is loaded again.
    SDL_Surface* load_image(const char* path);
};

extern class surface surface;
