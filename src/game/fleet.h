// fleet.h: the formation of 55 invaders, 11 columns by 5 rows, its march, the hit test of
// the player's shot and its fire. One global instance, invaders; the main loop calls move,
// fire and draw once a frame, the game-over screen calls reset.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>

class fleet {
public:
    static constexpr int columns = 11;
    static constexpr int rows = 5;

    float x;
    float y;
    float speed;
    uint8_t direction;
    uint8_t frame;
    uint32_t last_step;
    uint8_t column_alive[columns];
    uint8_t cell[columns * rows];  // column-major: cell[c * rows + r]
    float alive_count;
    uint32_t last_fire;
    uint32_t fire_delay;
    SDL_Surface* sprites;
    SDL_Surface* shot_mask;
    // The outlines of both animation frames of the three kinds, made once from the sheet
    // they were copied from (row_shapes_sheet); null where they could not be made.
    SDL_Surface* row_shapes[2][3];
    SDL_Surface* row_shapes_sheet;
    uint32_t explosion_ticks;
    int32_t explosion_x;
    int32_t explosion_y;
    int32_t sound_index;
    Mix_Chunk* march_sounds[4];
    Mix_Chunk* explode_sound;

    void init();
    void reset();
    void draw();
    void fire();
    void move();
    void kill_check(int shot_x, int shot_y);

    // Helpers shared by the operations above.
    bool is_alive(int c, int r) const { return cell[c * rows + r] == 1; }
    int32_t column_left(int c) const;
    int32_t row_top(int r) const;
    SDL_Surface* row_shape(int r);
    void make_row_shapes();
    SDL_Surface* take_row_shape(int r);
    void give_back_row_shape(SDL_Surface* shape);
    void march_step();
    void step_right();
    void step_left();
    int rightmost_live_column() const;
    int leftmost_live_column() const;
    void erode_bunkers();
    void start_new_wave_if_cleared();
    void check_invasion();
    bool hit_in_row(SDL_Surface* shape, int r, int shot_x, int shot_y);
    void kill(int c, int r);
    bool column_empty(int c) const;
    int random_live_column() const;
    int lowest_live_row(int c) const;
};

extern fleet invaders;
