// first_frame.cpp: the desktop game's first frame, the reference for the browser build's.
// Runs start-up and one pass of the main loop headless on the test's clock from 0, and writes
// the screen as a binary PPM.
//
//   first_frame OUT.ppm   (run in a folder that sees the staged assets)
#include <cstdio>

#include "app/program.h"
#include "fake_sdl.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

bool write_ppm(SDL_Surface* screen, const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return false;
    }
    std::fprintf(out, "P6\n%d %d\n255\n", screen->w, screen->h);
    for (int y = 0; y < screen->h; ++y) {
        for (int x = 0; x < screen->w; ++x) {
            Uint8 rgb[3];
            SDL_GetRGB(surface.get_pixel(screen, x, y), screen->format, &rgb[0], &rgb[1], &rgb[2]);
            std::fwrite(rgb, 1, sizeof rgb, out);
        }
    }
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: first_frame OUT.ppm\n");
        return 2;
    }
    fake_sdl::reset(0);
    program_init();
    run_frame();
    if (sdl.screen == nullptr || !write_ppm(sdl.screen, argv[1])) {
        std::fprintf(stderr, "first_frame: cannot write %s\n", argv[1]);
        return 1;
    }
    program_cleanup();
    return 0;
}
