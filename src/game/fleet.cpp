// fleet.cpp: the invader formation: reset, drawing, march, bunker erosion, hit test and fire.
#include "game/fleet.h"

#include <cstdio>
#include <cstdlib>

#include "game/fleet_bullet.h"
#include "game/player.h"
#include "game/shields.h"
#include "platform/base_collision.h"
#include "platform/mixer_base.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

constexpr int cell_size = 25;
constexpr int column_pitch = 30;
constexpr int row_pitch = 25;
constexpr int lower_band_offset = 75;
constexpr float lower_band_top = 200.0f;
constexpr int explosion_source_x = 50;
constexpr int32_t explosion_lower_band_top = 200;
constexpr uint32_t explosion_shown_ms = 250;
constexpr int32_t parked = -50;
constexpr float start_x = 0.0f;
constexpr float start_y = 25.0f;
constexpr uint32_t first_fire_delay = 500;
constexpr float step_length = 8.0f;
constexpr float drop_length = 12.0f;
constexpr float invasion_line = 255.0f;
constexpr int shot_channel = 0;
constexpr int any_channel = -1;

int kind_of_row(int r) {
    return (r + 1) / 2;
}

int points_for_row(int r) {
    return 10 * (3 - kind_of_row(r));
}

// Worked in double and only then stored as float: the single-precision quotient would
// differ in the last bits for 21 of the 55 counts (0.9407407 instead of 0.94074076 at 54).
float speed_for(float alive_count) {
    return static_cast<float>(20.0 / (alive_count / 2.0) + 0.2);
}

void warn_shape_missing_once() {
    static bool warned = false;
    if (!warned) {
        std::printf("WARNING: Fleet -> Unable to create the invaders' shape surface\n");
        warned = true;
    }
}

// A copy of one sheet cell with its alpha as it is in the sheet: blending is switched off
// for the copy. Null when the scratch surface cannot be made.
SDL_Surface* copy_cell(SDL_Surface* sheet, int source_x, int source_y) {
    SDL_Surface* shape = surface.create_transparent(cell_size, cell_size);
    if (shape == nullptr) {
        return nullptr;
    }
    if (sheet != nullptr) {
        SDL_SetAlpha(sheet, 0, 0);
    }
    surface.draw_partial(sheet, cell_size, cell_size, source_x, source_y, shape, 0, 0);
    if (sheet != nullptr) {
        SDL_SetAlpha(sheet, SDL_SRCALPHA, 0);
    }
    return shape;
}

}  // namespace

void fleet::init() {
    sprites = surface.load_sheet("IMG/VX-Sprites.png");
    shot_mask = surface.load_image("IMG/bullet.png");
    make_row_shapes();
    fleet_bullet.init();
    reset();
    sound_index = 0;
    march_sounds[0] = mixer.load_sfx("SFX/1.wav");
    march_sounds[1] = mixer.load_sfx("SFX/2.wav");
    march_sounds[2] = mixer.load_sfx("SFX/3.wav");
    march_sounds[3] = mixer.load_sfx("SFX/4.wav");
    explode_sound = mixer.load_sfx("SFX/explode.wav");
}

void fleet::reset() {
    x = start_x;
    y = start_y;
    alive_count = static_cast<float>(columns * rows);
    speed = speed_for(alive_count);
    direction = 0;
    for (int c = 0; c < columns; ++c) {
        column_alive[c] = 1;
        for (int r = 0; r < rows; ++r) {
            cell[c * rows + r] = 1;
        }
    }
    explosion_ticks = SDL_GetTicks();
    explosion_x = parked;
    explosion_y = parked;
    last_step = SDL_GetTicks();
    last_fire = SDL_GetTicks();
    fire_delay = first_fire_delay;
}

int32_t fleet::column_left(int c) const {
    return static_cast<int32_t>(x + static_cast<float>(column_pitch * c));
}

int32_t fleet::row_top(int r) const {
    return static_cast<int32_t>(y + static_cast<float>(row_pitch * r));
}

void fleet::draw() {
    for (int r = 0; r < rows; ++r) {
        bool lower_band = y + static_cast<float>(row_pitch * r) > lower_band_top;
        int source_y = cell_size * kind_of_row(r) + (lower_band ? lower_band_offset : 0);
        for (int c = 0; c < columns; ++c) {
            if (is_alive(c, r)) {
                surface.draw_partial(sprites, cell_size, cell_size, cell_size * frame, source_y,
                                     sdl.screen, column_left(c), row_top(r));
            }
        }
    }
    uint32_t since_hit = SDL_GetTicks() - explosion_ticks;
    if (since_hit < explosion_shown_ms) {
        int source_y = explosion_y > explosion_lower_band_top ? lower_band_offset : 0;
        surface.draw_partial(sprites, cell_size, cell_size, explosion_source_x, source_y,
                             sdl.screen, explosion_x, explosion_y);
    }
}

// The row's invader outline in the frame being shown, always from the upper band, as a new
// surface. Null when the scratch surface cannot be made; the caller then skips its effect.
SDL_Surface* fleet::row_shape(int r) {
    SDL_Surface* shape = copy_cell(sprites, cell_size * frame, cell_size * kind_of_row(r));
    if (shape == nullptr) {
        warn_shape_missing_once();
    }
    return shape;
}

// The sheet's pixels never change once loaded, so its six outlines are copied once instead
// of twice a frame. Nothing is kept without a sheet: every copy then reports its failed
// blit, as it always did.
void fleet::make_row_shapes() {
    for (auto& of_frame : row_shapes) {
        for (SDL_Surface*& shape : of_frame) {
            SDL_FreeSurface(shape);
            shape = nullptr;
        }
    }
    row_shapes_sheet = sprites;
    if (sprites == nullptr) {
        return;
    }
    for (int f = 0; f < 2; ++f) {
        for (int kind = 0; kind < 3; ++kind) {
            row_shapes[f][kind] = copy_cell(sprites, cell_size * f, cell_size * kind);
        }
    }
}

// The kept outline when there is one for this sheet and frame, else a fresh row_shape.
SDL_Surface* fleet::take_row_shape(int r) {
    SDL_Surface* kept = nullptr;
    if (sprites != nullptr && sprites == row_shapes_sheet && frame < 2) {
        kept = row_shapes[frame][kind_of_row(r)];
    }
    return kept != nullptr ? kept : row_shape(r);
}

void fleet::give_back_row_shape(SDL_Surface* shape) {
    for (auto& of_frame : row_shapes) {
        for (SDL_Surface* kept : of_frame) {
            if (shape == kept) {
                return;
            }
        }
    }
    SDL_FreeSurface(shape);
}

void fleet::move() {
    uint32_t now = SDL_GetTicks();
    double since_step = static_cast<double>(static_cast<uint32_t>(now - last_step));
    if (since_step > 1000.0 / speed) {
        march_step();
    }
    if (player.shot_active) {
        kill_check(player.shot_x, player.shot_y);
    }
    erode_bunkers();
    start_new_wave_if_cleared();
    check_invasion();
}

// The step clock restarts when the step is taken, so a late step is never made up.
void fleet::march_step() {
    frame = frame == 0 ? 1 : 0;
    last_step = SDL_GetTicks();
    mixer.sfx_play(march_sounds[sound_index], any_channel);
    sound_index = (sound_index + 1) % 4;
    if (direction == 0) {
        step_right();
    } else {
        step_left();
    }
}

// Move first, then test the edge: the step that reaches it also drops, turns and snaps the
// formation back so that the outermost live column's slot ends exactly on the edge.
void fleet::step_right() {
    x += step_length;
    int right = rightmost_live_column();
    if (right < 0 || sdl.screen == nullptr) {
        return;
    }
    int width = sdl.screen->w;
    if (x + static_cast<float>(column_pitch * (right + 1)) >= static_cast<float>(width)) {
        direction = 1;
        y += drop_length;
        x = static_cast<float>(width - column_pitch * (right + 1));
    }
}

void fleet::step_left() {
    x -= step_length;
    int left = leftmost_live_column();
    if (left < 0) {
        return;
    }
    if (x + static_cast<float>(column_pitch * left) <= 0.0f) {
        direction = 0;
        y += drop_length;
        x = static_cast<float>(-column_pitch * left);
    }
}

int fleet::rightmost_live_column() const {
    for (int c = columns - 1; c >= 0; --c) {
        if (column_alive[c] == 1) {
            return c;
        }
    }
    return -1;
}

int fleet::leftmost_live_column() const {
    for (int c = 0; c < columns; ++c) {
        if (column_alive[c] == 1) {
            return c;
        }
    }
    return -1;
}

void fleet::erode_bunkers() {
    for (int r = rows - 1; r >= 0; --r) {
        SDL_Surface* shape = take_row_shape(r);
        if (shape == nullptr) {
            continue;
        }
        for (int c = 0; c < columns; ++c) {
            if (!is_alive(c, r)) {
                continue;
            }
            for (int m = 0; m < shields::count; ++m) {
                shields.destroy(shape, column_left(c), row_top(r), shields.bunker[m], bunker_x(m),
                                bunker_y);
            }
        }
        give_back_row_shape(shape);
    }
}

// A cleared wave is replaced within the same update, so fire and the next step always find
// a live invader.
void fleet::start_new_wave_if_cleared() {
    if (alive_count <= 0.0f) {
        reset();
        fleet_bullet.reset();
        shields.reset();
    }
}

void fleet::check_invasion() {
    for (int r = rows - 1; r >= 0; --r) {
        for (int c = 0; c < columns; ++c) {
            if (is_alive(c, r) && y + static_cast<float>(row_pitch * r) >= invasion_line) {
                player.game_over = 1;
            }
        }
    }
}

// Lowest row first and leftmost column first decide which invader dies when the shot
// overlaps several; one kill per call.
void fleet::kill_check(int shot_x, int shot_y) {
    for (int r = rows - 1; r >= 0; --r) {
        SDL_Surface* shape = take_row_shape(r);
        if (shape == nullptr) {
            continue;
        }
        bool hit = hit_in_row(shape, r, shot_x, shot_y);
        give_back_row_shape(shape);
        if (hit) {
            return;
        }
    }
}

bool fleet::hit_in_row(SDL_Surface* shape, int r, int shot_x, int shot_y) {
    for (int c = 0; c < columns; ++c) {
        if (is_alive(c, r) &&
            collision.per_pixel(shot_mask, shot_x, shot_y, shape, column_left(c), row_top(r))) {
            kill(c, r);
            return true;
        }
    }
    return false;
}

void fleet::kill(int c, int r) {
    cell[c * rows + r] = 0;
    player.shot_active = false;
    Mix_HaltChannel(shot_channel);
    mixer.sfx_play(explode_sound, any_channel);
    alive_count -= 1.0f;
    speed = speed_for(alive_count);
    explosion_x = column_left(c);
    explosion_y = row_top(r);
    explosion_ticks = SDL_GetTicks();
    player.increase_score(points_for_row(r));
    if (column_empty(c)) {
        column_alive[c] = 0;
    }
}

bool fleet::column_empty(int c) const {
    for (int r = 0; r < rows; ++r) {
        if (is_alive(c, r)) {
            return false;
        }
    }
    return true;
}

// A bullet falls only once strictly more than the delay has passed, from the lowest live
// invader of a random live column.
void fleet::fire() {
    if (SDL_GetTicks() - last_fire <= fire_delay) {
        return;
    }
    int c = random_live_column();
    if (c < 0) {
        return;
    }
    fire_delay = static_cast<uint32_t>(std::rand() % 700 + 500);
    int r = lowest_live_row(c);
    if (r < 0) {
        return;
    }
    int32_t bullet_x = static_cast<int32_t>(column_pitch * c + x + 12);
    int32_t bullet_y = static_cast<int32_t>(row_pitch * r + cell_size + y);
    fleet_bullet.add(bullet_x, bullet_y);
    last_fire = SDL_GetTicks();
}

// Redraws until a live column comes up; -1 only when no column is alive, which the new-wave
// reset rules out, so that a broken formation cannot hang the frame.
int fleet::random_live_column() const {
    if (leftmost_live_column() < 0) {
        return -1;
    }
    int c = std::rand() % columns;
    while (column_alive[c] != 1) {
        c = std::rand() % columns;
    }
    return c;
}

int fleet::lowest_live_row(int c) const {
    for (int r = rows - 1; r >= 0; --r) {
        if (is_alive(c, r)) {
            return r;
        }
    }
    return -1;
}
