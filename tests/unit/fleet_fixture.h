// fleet_fixture.h: a small invader sheet with known outlines and colours, and a fleet set up
// on the dummy 400 x 300 screen with the test-owned clock, shared by the fleet tests.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "fake_sdl.h"
#include "game/fleet.h"
#include "game/fleet_bullet.h"
#include "game/player.h"
#include "game/shields.h"
#include "platform/sdl.h"
#include "test_support.h"

namespace fleet_fixture {

// Sheet cells, 25 x 25 each, three across (frame 0, frame 1, explosion) and six down (three
// kinds in the upper band, then the same three in the lower band). The outlines differ so
// that a test can tell which cell was used:
//   upper band, frame 0: opaque square from (4, 4) to (20, 20), transparent border;
//   upper band, frame 1: opaque rows 0 to 9 only;
//   explosion cells and every lower-band cell: opaque everywhere.
// A pixel inside every outline, so that a drawn cell can be recognised by its colour.
constexpr int probe_x = 10;
constexpr int probe_y = 6;

inline bool opaque_in_cell(int sheet_column, int sheet_row, int px, int py) {
    if (sheet_column == 2 || sheet_row >= 3) {
        return true;
    }
    if (sheet_column == 0) {
        return px >= 4 && px <= 20 && py >= 4 && py <= 20;
    }
    return py <= 9;
}

// A colour of its own for every cell, as 0xRRGGBB.
inline uint32_t cell_colour(int sheet_column, int sheet_row) {
    return uint32_t(0x20 + 0x40 * sheet_column) << 16 | uint32_t(0x10 + 0x20 * sheet_row) << 8 |
           0x80;
}

inline SDL_Surface* make_sheet() {
    SDL_Surface* sheet = test_support::make_rgba(75, 150, 0x00000000);
    for (int sy = 0; sy < 150; ++sy) {
        for (int sx = 0; sx < 75; ++sx) {
            int column = sx / 25;
            int row = sy / 25;
            if (opaque_in_cell(column, row, sx % 25, sy % 25)) {
                test_support::put_rgba(sheet, sx, sy, cell_colour(column, row) << 8 | 0xFF);
            }
        }
    }
    return sheet;
}

// The colour of a screen pixel without its alpha.
inline uint32_t screen_rgb(int x, int y) {
    return test_support::rgba_at(sdl.screen, x, y) >> 8;
}

// The fixture's own sheet and shot mask. Tests point the formation's fields elsewhere or at
// nothing, so the fixture frees these through its holders rather than through the fields:
// each set_up frees those of the one before, the last go when the test process ends.
inline test_support::surface_holder sheet;
inline test_support::surface_holder shot_mask;

// Gives the formation a shot mask that the fixture owns from now on.
inline void set_shot_mask(SDL_Surface* mask) {
    shot_mask.reset(mask);
    invaders.shot_mask = mask;
}

// A fresh formation on a w-pixel-wide dummy screen, the clock at `start`, the fixture sheet
// and a 1 x 1 opaque shot mask (tests that need another shot shape call set_shot_mask).
inline void set_up(uint32_t start = 1000, int screen_width = 400) {
    fake_sdl::reset(start);
    test_support::open_screen(screen_width, 300);
    sheet.reset(make_sheet());
    invaders.sprites = sheet.get();
    set_shot_mask(test_support::make_rgba(1, 1, 0xFFFFFFFF));
    invaders.reset();
}

inline void kill_column(int c) {
    invaders.column_alive[c] = 0;
    for (int r = 0; r < fleet::rows; ++r) {
        invaders.cell[c * fleet::rows + r] = 0;
    }
}

inline void kill_all() {
    for (int c = 0; c < fleet::columns; ++c) {
        kill_column(c);
    }
    invaders.alive_count = 0.0f;
}

inline uint8_t& cell(int c, int r) {
    return invaders.cell[c * fleet::rows + r];
}

}  // namespace fleet_fixture
