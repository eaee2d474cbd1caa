// player.h: the base, its single shot and that shot's explosion, the lives and spare-base
// icons, the score and its text, the bonus life and the game-over flag. The main loop calls
// move and draw; invader bullets call kill; the fleet and the mystery ship end the shot and
// pay points through increase_score.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <cstdint>

class player {
public:
    int32_t alive;
    uint8_t death_frame;
    uint32_t death_ticks;
    uint32_t last_shot;
    uint32_t explosion_ticks;
    int32_t explosion_x;
    int32_t explosion_y;
    Uint8* keys;
    SDL_Surface* base_image;
    SDL_Surface* shot_image;
    SDL_Surface* shot_mask;
    SDL_Surface* explosion_image;
    SDL_Surface* explosion_mask;
    bool bonus_given;
    TTF_Font* font;
    SDL_Surface* score_surface;
    Mix_Chunk* shoot_sound;
    bool shot_active;
    int32_t shot_x;
    int32_t shot_y;
    int32_t x;
    int32_t y;
    uint8_t game_over;
    int32_t lives;
    int32_t score;

    void init();
    void move();
    void draw();
    void kill();
    void bullet_explode();
    void increase_score(int32_t points);
};

extern class player player;
