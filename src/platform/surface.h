// surface.h: blits, scratch surfaces and single-pixel access for every game object.
// The only code that knows how SDL lays pixels out in memory.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstring>

class surface {
public:
    void draw(SDL_Surface* src, SDL_Surface* dst, int x, int y);
    void draw_partial(SDL_Surface* src, int w, int h, int src_x, int src_y, SDL_Surface* dst, int x,
                      int y);
    SDL_Surface* create_transparent(int w, int h);
    uint32_t get_pixel(SDL_Surface* s, int x, int y);
    void set_pixel(SDL_Surface* s, int x, int y, uint32_t pixel);
    // The pixel's alpha as SDL_GetRGBA gives it (255 where the surface has no alpha channel),
    // read straight from memory for 32-bit surfaces: the pixel tests and the erosion call this
    // for every pixel, so the common case is inline.
    uint8_t get_alpha(SDL_Surface* s, int x, int y) {
        const SDL_PixelFormat* f = s->format;
        if (f->BytesPerPixel == 4 && f->palette == nullptr && f->Amask != 0 && f->Aloss == 0) {
            Uint32 pixel;
            std::memcpy(&pixel, static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 4,
                        sizeof pixel);
            return uint8_t((pixel & f->Amask) >> f->Ashift);
        }
        return get_alpha_any_format(s, x, y);
    }
    // get_alpha for every other layout, with get_pixel's warnings.
    uint8_t get_alpha_any_format(SDL_Surface* s, int x, int y);

    // IMG_Load that names a file it could not load, once per file name, so that a missing
    // asset is reported without flooding the console when it is loaded again.
    SDL_Surface* load_image(const char* path);
    // load_image for an image that is only drawn: once a screen exists, an image with an alpha
    // channel is kept in the screen's own layout, which SDL blends several times faster than
    // the loaded one. Colours and alpha stay as in the file, and an opaque pixel draws them
    // exactly; SDL 1.2.15's generic blend of the image as loaded gave one more per channel
    // where the screen below was brighter, so overlaps differ from the as-loaded picture.
    SDL_Surface* load_sheet(const char* path);
};

extern class surface surface;
