// test_support.h: fixtures shared by the unit tests: a headless screen, captured standard
// output, scratch folders and small surfaces built in the test.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>

namespace test_support {

// Starts SDL's video on the dummy driver and sets sdl.screen to a w x h software surface.
SDL_Surface* open_screen(int w = 400, int h = 300, int bpp = 32);
void close_screen();

// Runs fn and returns what it printed on standard output.
std::string capture_stdout(const std::function<void()>& fn);

// Makes a fresh empty folder, changes into it and returns its path.
std::string enter_scratch_dir();

// A w x h 32-bit surface with an alpha channel (R, G, B, A byte order), every pixel set to
// rgba (0xRRGGBBAA).
SDL_Surface* make_rgba(int w, int h, uint32_t rgba);
// A w x h 32-bit surface without an alpha channel, filled with 0x00RRGGBB.
SDL_Surface* make_opaque(int w, int h, uint32_t rgb);
// The alpha of pixel (x, y) as SDL_GetRGBA reports it.
uint8_t alpha_at(SDL_Surface* s, int x, int y);
// Pixel (x, y) of a 32-bit surface, decomposed into 0xRRGGBBAA.
uint32_t rgba_at(SDL_Surface* s, int x, int y);
void put_rgba(SDL_Surface* s, int x, int y, uint32_t rgba);
// Number of pixels whose alpha is non-zero.
int solid_count(SDL_Surface* s);

}  // namespace test_support
