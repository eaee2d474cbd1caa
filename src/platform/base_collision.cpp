// base_collision.cpp: rectangle, box and pixel collision tests. Boxes are closed intervals,
// so boxes that only share an edge collide.
#include "platform/base_collision.h"

#include "platform/surface.h"

bool base_collision::bounding_box(SDL_Rect a, SDL_Rect b) {
    int ax = a.x, ay = a.y, aw = a.w, ah = a.h;
    int bx = b.x, by = b.y, bw = b.w, bh = b.h;
    if (ax > bx + bw) {
        return false;
    }
    if (bx > ax + aw) {
        return false;
    }
    if (ay > by + bh) {
        return false;
    }
    if (by > ay + ah) {
        return false;
    }
    return true;
}

bool base_collision::bounding_box(SDL_Surface* a, int ax, int ay, SDL_Surface* b, int bx, int by) {
    // An image that failed to load touches nothing.
    if (a == nullptr || b == nullptr) {
        return false;
    }
    if (bx + b->w < ax) {
        return false;
    }
    if (ax + a->w < bx) {
        return false;
    }
    if (by + b->h < ay) {
        return false;
    }
    if (ay + a->h < by) {
        return false;
    }
    return true;
}

overlap_area base_collision::overlap(SDL_Surface* a, int ax, int ay, SDL_Surface* b, int bx,
                                     int by) {
    overlap_area area;
    // The width is clamped by the image whose left edge starts the overlap; likewise heights.
    if (ax > bx) {
        area.left = ax;
        area.width = bx + b->w - ax;
        if (area.width > a->w) {
            area.width = a->w;
        }
    } else {
        area.left = bx;
        area.width = ax + a->w - bx;
        if (area.width > b->w) {
            area.width = b->w;
        }
    }
    if (ay > by) {
        area.top = ay;
        area.height = by + b->h - ay;
        if (area.height > a->h) {
            area.height = a->h;
        }
    } else {
        area.top = by;
        area.height = ay + a->h - by;
        if (area.height > b->h) {
            area.height = b->h;
        }
    }
    return area;
}

bool base_collision::per_pixel(SDL_Surface* a, int ax, int ay, SDL_Surface* b, int bx, int by) {
    if (!bounding_box(a, ax, ay, b, bx, by)) {
        return false;
    }
    overlap_area area = overlap(a, ax, ay, b, bx, by);
    for (int i = 0; i < area.width; ++i) {
        for (int j = 0; j < area.height; ++j) {
            // Both pixels are read every time: a 16- or 24-bit surface warns once per read.
            uint8_t alpha_a = surface.get_alpha(a, area.left - ax + i, area.top - ay + j);
            uint8_t alpha_b = surface.get_alpha(b, area.left - bx + i, area.top - by + j);
            if (alpha_a != 0 && alpha_b != 0) {
                return true;
            }
        }
    }
    return false;
}
