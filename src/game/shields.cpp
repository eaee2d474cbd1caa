// shields.cpp: the four bunkers and the ground line, and the erosion that stamps holes into
// them.
#include "game/shields.h"

#include "platform/base_collision.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

constexpr const char* bunker_file = "IMG/Shield.png";
constexpr int ground_w = 400;
constexpr int ground_h = 2;

void paint_ground_green(SDL_Surface* ground) {
    if (ground == nullptr) {
        return;
    }
    SDL_FillRect(ground, nullptr, SDL_MapRGB(ground->format, 0, 255, 0));
}

bool solid(SDL_Surface* s, int x, int y) {
    return surface.get_alpha(s, x, y) != 0;
}

}  // namespace

// Each bunker is kept in the screen's layout for a fast blit; its colours and alphas are the
// image's own, so the erosion and the pixel tests see the same bunker.
void shields::init() {
    for (int i = 0; i < count; ++i) {
        bunker[i] = surface.load_sheet(bunker_file);
    }
    // No alpha channel: erosion paints the line black, and it stays solid to the bullets.
    ground = SDL_CreateRGBSurface(0, ground_w, ground_h, 32, 0, 0, 0, 0);
    paint_ground_green(ground);
}

void shields::draw() {
    for (int i = 0; i < count; ++i) {
        surface.draw(bunker[i], sdl.screen, bunker_x(i), bunker_y);
    }
    surface.draw(ground, sdl.screen, ground_x, ground_y);
}

void shields::reset() {
    for (int i = 0; i < count; ++i) {
        SDL_FreeSurface(bunker[i]);
        bunker[i] = surface.load_sheet(bunker_file);
    }
    paint_ground_green(ground);
}

void shields::destroy(SDL_Surface* mask, int mask_x, int mask_y, SDL_Surface* target, int target_x,
                      int target_y) {
    if (mask == nullptr || target == nullptr) {
        return;
    }
    if (!collision.bounding_box(mask, mask_x, mask_y, target, target_x, target_y)) {
        return;
    }
    Uint32 clear = SDL_MapRGBA(target->format, 0, 0, 0, 0);
    overlap_area area = collision.overlap(mask, mask_x, mask_y, target, target_x, target_y);
    for (int i = 0; i < area.width; ++i) {
        for (int j = 0; j < area.height; ++j) {
            int x = area.left + i;
            int y = area.top + j;
            // Both pixels are read every time: a 16- or 24-bit surface warns once per read.
            bool mask_solid = solid(mask, x - mask_x, y - mask_y);
            bool target_solid = solid(target, x - target_x, y - target_y);
            if (mask_solid && target_solid) {
                surface.set_pixel(target, x - target_x, y - target_y, clear);
            }
        }
    }
}
