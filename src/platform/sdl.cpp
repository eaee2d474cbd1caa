// sdl.cpp: the window, the fullscreen mode list and the settings file.
#include "platform/sdl.h"

#include <cstdio>
#include <fstream>

#include "platform/window_scale.h"

const char* const settings_file_name = "Video_Settings.cfg";

namespace {

constexpr int default_width = 400;
constexpr int default_height = 300;
constexpr int default_bpp = 32;
constexpr int smallest_listed_width = 800;

}  // namespace

void sdl::init(uint32_t flags) {
    window_scale::prepare_library();
    if (SDL_Init(flags) < 0) {
        std::printf("CRITICAL EXISTANCE FAILURE: Unable to Init SDL \n");
    }
    fullscreen_check();
    if (read_config()) {
        set_video(width, height, bpp, fullscreen ? SDL_FULLSCREEN : 0);
    }
    std::printf("DEBUG:  Setting Window Title \n");
    SDL_WM_SetCaption("Vexlorn", nullptr);
}

void sdl::fullscreen_check() {
    // Without a video driver the library would dereference its missing driver here.
    SDL_Rect** modes =
        SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_ListModes(nullptr, SDL_FULLSCREEN) : nullptr;
    if (modes == nullptr) {
        std::printf("DEBUG:  No Available Fullscreen Resolutions \n");
        return;
    }
    if (modes == reinterpret_cast<SDL_Rect**>(-1)) {
        std::printf(
            "DEBUG:  Infinite Potential Fullscreen Resolutions (How Did You Manage That?) \n");
        return;
    }
    std::printf("DEBUG:  Available Fullscreen Video Modes: \n");
    int count = 0;
    for (int i = 0; modes[i] != nullptr; ++i) {
        int w = modes[i]->w;
        int h = modes[i]->h;
        // Only landscape modes wide enough to be worth offering.
        if (w >= smallest_listed_width && double(h) / double(w) <= 1.0) {
            ++count;
            std::printf("        %d x %d\n", w, h);
            resolution_add(w, h);
        }
    }
    std::printf("DEBUG:  Fullscreen Resolutions Available: %i \n", count);
}

void sdl::resolution_add(int w, int h) {
    resolution* node = new resolution{};
    node->w = w;
    node->h = h;
    std::snprintf(node->label, sizeof node->label, "%i x %i", w, h);
    node->next = nullptr;
    if (modes_head != nullptr) {
        modes_tail->next = node;
    } else {
        modes_head = node;
    }
    modes_tail = node;
}

bool sdl::read_config() {
    std::ifstream in(settings_file_name);
    if (!in.is_open()) {
        std::printf(
            "ERROR:  SDL.ReadConfig -> Unable to Read From File: %s - Reverting to Defaults\n",
            settings_file_name);
        revert_defaults();
        return false;
    }
    read_values(in);
    return true;
}

// Reads the four values in order and stops at the first one that cannot be read; that field
// and those after it keep what they held. Values go through temporaries because a failed
// extraction would otherwise overwrite the field with 0 or a clamped number.
void sdl::read_values(std::istream& in) {
    int32_t value = 0;
    if (!(in >> value)) {
        return;
    }
    width = value;
    if (!(in >> value)) {
        return;
    }
    height = value;
    if (!(in >> value)) {
        return;
    }
    bpp = value;
    // Reads an integer and accepts exactly 0 or 1, so "+1" and "00" pass and "2" fails.
    bool flag = false;
    if (in >> flag) {
        fullscreen = flag;
    }
}

void sdl::write_config() {
    std::FILE* out = std::fopen(settings_file_name, "w");
    if (out == nullptr) {
        std::printf("ERROR:  SDL.WriteConfig -> Unable to Write to File: %s\n", settings_file_name);
        return;
    }
    std::fprintf(out, "%d\n", width);
    std::fflush(out);
    std::fprintf(out, "%d\n", height);
    std::fflush(out);
    std::fprintf(out, "%d\n", bpp);
    std::fflush(out);
    std::fprintf(out, "%d\n", fullscreen ? 1 : 0);
    std::fflush(out);
    std::fclose(out);
}

void sdl::set_video(int w, int h, int depth, uint32_t flags) {
    std::printf("DEBUG:  Attempting to make SDL Window at %i x %i, %i bit depth \n", w, h, depth);
    screen = window_scale::set_video_mode(w, h, depth, flags);
    if (screen == nullptr) {
        std::printf("CRITICAL EXISTANCE FAILURE: Unable to Create SDL Window \n");
        revert_defaults();
        return;
    }
    std::printf("DEBUG:  SDL Window Created Sucessfully \n");
    write_config();
}

void sdl::revert_defaults() {
    width = default_width;
    height = default_height;
    bpp = default_bpp;
    fullscreen = false;
    std::printf("DEBUG:  Attempting to Init SDL Window at %i x %i, %i bit depth \n", default_width,
                default_height, default_bpp);
    screen = window_scale::set_video_mode(default_width, default_height, default_bpp, 0);
    if (screen == nullptr) {
        std::printf(
            "SUPER CRITICAL EXISTANCE FAILURE: Unable to Create SDL Window with Default Values \n");
        quit = true;
    }
    write_config();
}
