// base_collision.h: do two things touch? Rectangles, placed images by box, and by pixel.
// Called by the fleet, its bullets, the player, the shields and the mystery ship.
#pragma once

#include <SDL.h>

// The part of two placed images that lies inside both, in screen pixels.
struct overlap_area {
    int left;
    int top;
    int width;
    int height;
};

class base_collision {
public:
    bool bounding_box(SDL_Rect a, SDL_Rect b);
    bool bounding_box(SDL_Surface* a, int ax, int ay, SDL_Surface* b, int bx, int by);
    bool per_pixel(SDL_Surface* a, int ax, int ay, SDL_Surface* b, int bx, int by);

    // Shared by per_pixel and the shields' erosion; assumes both surfaces are valid.
    overlap_area overlap(SDL_Surface* a, int ax, int ay, SDL_Surface* b, int bx, int by);
};

extern base_collision collision;
