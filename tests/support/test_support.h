// test_support.h: fixtures shared by the unit tests: a headless screen, captured standard
// output, scratch folders and small surfaces built in the test.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace test_support {

// Starts SDL's video on the dummy driver and sets sdl.screen to a w x h software surface.
SDL_Surface* open_screen(int w = 400, int h = 300, int bpp = 32);
void close_screen();

// Runs fn and returns what it printed on standard output.
std::string capture_stdout(const std::function<void()>& fn);

// Makes a fresh empty folder, changes into it and returns its path.
std::string enter_scratch_dir();
// The same, with IMG, SFX and Aaargh.ttf linked to those of the folder the test started in,
// so that the game finds its assets and its settings file lands in the scratch folder.
std::string enter_scratch_dir_with_assets();

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
// Pixel (x, y) as 0xRRGGBB, alpha left out; screen_rgb reads sdl.screen.
uint32_t rgb_at(SDL_Surface* s, int x, int y);
uint32_t screen_rgb(int x, int y);
// The raw bytes of a surface's pixel memory, pitch included.
std::vector<uint8_t> pixel_bytes(SDL_Surface* s);

// How often `line` occurs in `text`.
int count_lines(const std::string& text, const std::string& line);
// A whole file, byte for byte.
std::string file_text(const char* name);
// The window caption, or "(none)".
std::string caption();

// Owns a surface that a fixture made, so that the fixture frees it whatever the test did
// with the game's fields that were pointed at it.
struct surface_deleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using surface_holder = std::unique_ptr<SDL_Surface, surface_deleter>;

// The game keeps what a field of its objects points at for the whole run, so a test that
// fills such a field again frees what was there first; fresh may be null.
void replace(SDL_Surface*& field, SDL_Surface* fresh);
void replace(Mix_Chunk*& field, Mix_Chunk* fresh);

// Frees what the given fields hold and clears them, e.g. before a test runs an init again.
template <typename... Field>
void free_assets(Field&... fields) {
    (replace(fields, nullptr), ...);
}

}  // namespace test_support
