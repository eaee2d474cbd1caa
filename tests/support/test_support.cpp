// test_support.cpp: fixtures shared by the unit tests.
#include "test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/sdl.h"
#include "platform/surface.h"

namespace test_support {

SDL_Surface* open_screen(int w, int h, int bpp) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        SDL_Init(SDL_INIT_VIDEO);
    }
    sdl.screen = SDL_SetVideoMode(w, h, bpp, 0);
    return sdl.screen;
}

void close_screen() {
    SDL_Quit();
    sdl.screen = nullptr;
}

std::string capture_stdout(const std::function<void()>& fn) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    fn();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

std::string enter_scratch_dir() {
    char pattern[] = "/tmp/vexlorn-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr || chdir(dir) != 0) {
        ADD_FAILURE() << "cannot make a scratch folder";
        return "";
    }
    // Each test runs in a process of its own; its scratch folders go when it ends. Links
    // to the assets are removed, never followed.
    static std::vector<std::string> made;
    if (made.empty()) {
        std::atexit([] {
            for (const std::string& folder : made) {
                std::error_code ignored;
                std::filesystem::remove_all(folder, ignored);
            }
        });
    }
    made.push_back(dir);
    return dir;
}

std::string enter_scratch_dir_with_assets() {
    char here[4096];
    if (getcwd(here, sizeof here) == nullptr) {
        ADD_FAILURE() << "cannot read the working folder";
        return "";
    }
    std::string dir = enter_scratch_dir();
    for (const char* name : {"IMG", "SFX", "Aaargh.ttf"}) {
        std::string target = std::string(here) + "/" + name;
        if (symlink(target.c_str(), name) != 0) {
            ADD_FAILURE() << "cannot link " << name;
        }
    }
    return dir;
}

SDL_Surface* make_rgba(int w, int h, uint32_t rgba) {
    SDL_Surface* s =
        SDL_CreateRGBSurface(0, w, h, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            put_rgba(s, x, y, rgba);
        }
    }
    return s;
}

SDL_Surface* make_opaque(int w, int h, uint32_t rgb) {
    SDL_Surface* s = SDL_CreateRGBSurface(0, w, h, 32, 0, 0, 0, 0);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    return s;
}

uint8_t alpha_at(SDL_Surface* s, int x, int y) {
    Uint8 r, g, b, a;
    SDL_GetRGBA(surface.get_pixel(s, x, y), s->format, &r, &g, &b, &a);
    return a;
}

uint32_t rgba_at(SDL_Surface* s, int x, int y) {
    Uint8 r, g, b, a;
    SDL_GetRGBA(surface.get_pixel(s, x, y), s->format, &r, &g, &b, &a);
    return uint32_t(r) << 24 | uint32_t(g) << 16 | uint32_t(b) << 8 | a;
}

void put_rgba(SDL_Surface* s, int x, int y, uint32_t rgba) {
    Uint32 pixel =
        SDL_MapRGBA(s->format, rgba >> 24, (rgba >> 16) & 0xFF, (rgba >> 8) & 0xFF, rgba & 0xFF);
    surface.set_pixel(s, x, y, pixel);
}

int solid_count(SDL_Surface* s) {
    int count = 0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            count += alpha_at(s, x, y) != 0;
        }
    }
    return count;
}

void replace(SDL_Surface*& field, SDL_Surface* fresh) {
    SDL_FreeSurface(field);
    field = fresh;
}

void replace(Mix_Chunk*& field, Mix_Chunk* fresh) {
    Mix_FreeChunk(field);
    field = fresh;
}

uint32_t rgb_at(SDL_Surface* s, int x, int y) {
    return rgba_at(s, x, y) >> 8;
}

uint32_t screen_rgb(int x, int y) {
    return rgb_at(sdl.screen, x, y);
}

std::vector<uint8_t> pixel_bytes(SDL_Surface* s) {
    const uint8_t* p = static_cast<const uint8_t*>(s->pixels);
    return std::vector<uint8_t>(p, p + s->pitch * s->h);
}

int count_lines(const std::string& text, const std::string& line) {
    int count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        ++count;
    }
    return count;
}

std::string file_text(const char* name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string caption() {
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    return title != nullptr ? title : "(none)";
}

}  // namespace test_support
