// sdl.h: the window, its settings file and the program's quit flag.
// sdl::init is called once by program_init; everything else reads sdl.screen and sdl.quit.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <istream>

#ifdef __EMSCRIPTEN__
// Emscripten's SDL 1.2 implements SDL_GetKeyState, but its headers do not declare it.
extern "C" Uint8* SDL_GetKeyState(int* numkeys);
#endif

// One fullscreen mode the display offers, kept for the console listing.
struct resolution {
    resolution* next;
    int32_t w;
    int32_t h;
    char label[16];
};

class sdl {
public:
    int32_t width;
    int32_t height;
    int32_t bpp;
    bool fullscreen;
    resolution* modes_head;
    resolution* modes_tail;
    bool quit;
    SDL_Surface* screen;

    void init(uint32_t flags);
    void fullscreen_check();
    bool read_config();
    void read_values(std::istream& in);
    void write_config();
    void resolution_add(int w, int h);
    void revert_defaults();
    void set_video(int w, int h, int depth, uint32_t flags);
};

extern class sdl sdl;

extern const char* const settings_file_name;
