// base_ttf.h: the TrueType text service. program_init/cleanup start and stop it;
// the player and the game-over screen open fonts and render lines of text with it.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

class base_ttf {
public:
    void init();
    void cleanup();
    void load_font(TTF_Font** font, const char* path, int size);
    void text_render(SDL_Surface* dst, int x, int y, TTF_Font* font, int r, int g, int b, int a,
                     const char* format, ...) __attribute__((format(printf, 10, 11)));
};

extern base_ttf ttf;
