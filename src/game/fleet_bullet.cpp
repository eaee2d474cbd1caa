// fleet_bullet.cpp: the invaders' bullets: a list of falling nodes that explode on the
// bunkers and the ground line and destroy the player's base.
#include "game/fleet_bullet.h"

#include <algorithm>
#include <cstdlib>

#include "game/bands.h"
#include "game/player.h"
#include "game/shields.h"
#include "platform/base_collision.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

constexpr int fall_per_frame = 2;
constexpr int bullet_w = 1;
constexpr int bullet_h = 5;
constexpr int explosion_w = 5;
constexpr int explosion_h = 7;
constexpr uint32_t explosion_shown_ms = 150;

// The lowest row a box test against a surface standing at top can still reach: the test
// counts edge contact, so a box h pixels high touches down to top + h inclusive.
int reach_of(SDL_Surface* s, int top) {
    return s == nullptr ? -1 : top + s->h;
}

}  // namespace

void fleet_bullet::init() {
    head = nullptr;
    tail = nullptr;
    bullet_image = surface.load_sheet("IMG/Bullet.png");
    bullet_mask = surface.load_image("IMG/Bullet_mask.png");
    explosion_image = surface.load_sheet("IMG/Bullet_Explode.png");
    explosion_mask = surface.load_image("IMG/exp_mask.png");
    base_mask = surface.load_image("IMG/base.png");
}

void fleet_bullet::add(int32_t x, int32_t y) {
    bullet* b = new bullet{x, y, nullptr, tail};
    if (tail == nullptr) {
        head = b;
    } else {
        tail->next = b;
    }
    tail = b;
}

void fleet_bullet::remove(bullet* b) {
    if (b->prev == nullptr && b->next == nullptr) {
        head = nullptr;
        tail = nullptr;
    } else if (b->prev == nullptr) {
        head = b->next;
        head->prev = nullptr;
    } else if (b->next == nullptr) {
        tail = b->prev;
        tail->next = nullptr;
    } else {
        b->prev->next = b->next;
        b->next->prev = b->prev;
    }
}

void fleet_bullet::reset() {
    while (head != nullptr) {
        bullet* b = head;
        remove(b);
        delete b;
    }
}

// A bullet hits at most one bunker; it explodes on it and erodes it around where it struck,
// one pixel further right at random so that the holes do not line up.
static bool hit_bunker(bullet* b) {
    for (int i = 0; i < shields::count; ++i) {
        if (collision.per_pixel(fleet_bullet.bullet_mask, b->x, b->y, shields.bunker[i],
                                bunker_x(i), bunker_y)) {
            fleet_bullet.explosion_x = b->x;
            fleet_bullet.explosion_y = b->y;
            fleet_bullet.explosion_ticks = SDL_GetTicks();
            int r = rand() % 2;
            shields.destroy(fleet_bullet.explosion_mask, b->x - r + 1, b->y, shields.bunker[i],
                            bunker_x(i), bunker_y);
            return true;
        }
    }
    return false;
}

// The ground line is tested by its box alone, so its eroded black gaps still stop bullets.
static bool hit_ground(bullet* b) {
    if (!collision.bounding_box(fleet_bullet.bullet_mask, b->x, b->y, shields.ground, ground_x,
                                ground_y)) {
        return false;
    }
    fleet_bullet.explosion_x = b->x - 2;
    fleet_bullet.explosion_y = b->y;
    fleet_bullet.explosion_ticks = SDL_GetTicks();
    shields.destroy(fleet_bullet.explosion_mask, b->x, b->y, shields.ground, ground_x, ground_y);
    return true;
}

// A destroyed base is hit as well: every touch costs a life.
static bool hit_base(bullet* b) {
    if (!collision.bounding_box(fleet_bullet.base_mask, player.x, player.y,
                                fleet_bullet.bullet_mask, b->x, b->y)) {
        return false;
    }
    player.kill();
    return true;
}

// True once the bullet is out of sight and below everything it could still strike; bullets
// only fall, so such a bullet would stay in the list for nothing.
static bool fallen_out(bullet* b) {
    if (sdl.screen == nullptr || b->y < sdl.screen->h) {
        return false;
    }
    int reach = reach_of(shields.ground, ground_y);
    for (int i = 0; i < shields::count; ++i) {
        reach = std::max(reach, reach_of(shields.bunker[i], bunker_y));
    }
    reach = std::max(reach, reach_of(fleet_bullet.base_mask, player.y));
    return b->y > reach;
}

void fleet_bullet::move() {
    bullet* b = head;
    while (b != nullptr) {
        b->y += fall_per_frame;
        bool removed = false;
        if (hit_bunker(b)) {
            remove(b);
            removed = true;
        }
        // A bullet removed above still takes every effect it meets in this step.
        if (hit_ground(b)) {
            remove(b);
            removed = true;
        }
        if (hit_base(b)) {
            remove(b);
            removed = true;
        }
        if (!removed && fallen_out(b)) {
            remove(b);
            removed = true;
        }
        // The walk reads b's links after removal, so b is freed only once its step is done.
        bullet* next = b->next;
        if (removed) {
            delete b;
        }
        b = next;
    }
}

void fleet_bullet::draw() {
    for (bullet* b = head; b != nullptr; b = b->next) {
        surface.draw_partial(bullet_image, bullet_w, bullet_h, shot_cell_x(b->y), 0, sdl.screen,
                             b->x, b->y);
    }
    if (SDL_GetTicks() - explosion_ticks < explosion_shown_ms) {
        surface.draw_partial(explosion_image, explosion_w, explosion_h, burst_cell_x(explosion_y),
                             0, sdl.screen, explosion_x + 3, explosion_y);
    }
}
