// window_scale.cpp: the window's scale on sdl12-compat, chosen from the desktop's size.
#include "platform/window_scale.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace window_scale {

namespace {

const char* const scale_variable = "VEXLORN_SCALE";
const char* const library_scaling_variable = "SDL12COMPAT_WINDOW_SCALING";
const char* const library_method_variable = "SDL12COMPAT_SCALE_METHOD";

// An empty variable counts as unset, as it does for the shell's `VAR= command`.
const char* variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

bool running_on_scaling_library() {
    return library_scales(*SDL_Linked_Version());
}

// The largest factor that keeps a side within its room; 0 when even 1 does not.
long long factor_within(long long room, long long side) {
    return side > 0 ? room / side : 0;
}

}  // namespace

bool library_scales(const SDL_version& linked) {
    return SDL_VERSIONNUM(linked.major, linked.minor, linked.patch) > SDL_VERSIONNUM(1, 2, 15);
}

int requested(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return 0;
    }
    // Digits only: no sign, no blanks, no fraction. Nine digits cannot overflow an int.
    size_t digits = std::strspn(text, "0123456789");
    if (text[digits] != '\0' || digits > 9) {
        return -1;
    }
    int value = std::atoi(text);
    return value >= 1 ? value : -1;
}

int fitting(int desktop_w, int desktop_h, int w, int h) {
    if (desktop_w <= 0 || desktop_h <= 0 || w <= 0 || h <= 0) {
        return 1;
    }
    long long room_w = 1LL * desktop_w * desktop_share_num / desktop_share_den;
    long long room_h = 1LL * desktop_h * desktop_share_num / desktop_share_den;
    long long fits = std::min(factor_within(room_w, w), factor_within(room_h, h));
    return fits >= 1 ? int(fits) : 1;
}

int choose(int desktop_w, int desktop_h, int w, int h, uint32_t flags, const char* vexlorn_scale,
           const char* library_scaling) {
    if ((flags & SDL_FULLSCREEN) != 0 || library_scaling != nullptr) {
        return 0;
    }
    int asked = requested(vexlorn_scale);
    if (asked < 1 || w <= 0 || h <= 0) {
        return fitting(desktop_w, desktop_h, w, h);
    }
    // The player's factor, but never so large that the library refuses the mode.
    long long largest = std::min(factor_within(largest_side, w), factor_within(largest_side, h));
    return int(std::max(1LL, std::min<long long>(asked, largest)));
}

void prepare_library() {
    if (requested(variable(scale_variable)) < 0) {
        std::fprintf(stderr,
                     "vexlorn: VEXLORN_SCALE is not a whole number of 1 or more; it is ignored\n");
    }
    if (running_on_scaling_library() && variable(library_method_variable) == nullptr) {
        setenv(library_method_variable, "nearest", 1);
    }
}

SDL_Surface* set_video_mode(int w, int h, int bpp, uint32_t flags) {
    int factor = 0;
    // sdl12-compat reports the desktop's size here, before the first mode and after it alike.
    const SDL_VideoInfo* info = running_on_scaling_library() ? SDL_GetVideoInfo() : nullptr;
    if (info != nullptr) {
        factor = choose(info->current_w, info->current_h, w, h, flags, variable(scale_variable),
                        variable(library_scaling_variable));
    }
    if (factor > 0) {
        setenv(library_scaling_variable, std::to_string(factor).c_str(), 1);
    }
    SDL_Surface* screen = SDL_SetVideoMode(w, h, bpp, flags);
    if (factor > 0) {
        unsetenv(library_scaling_variable);
    }
    return screen;
}

}  // namespace window_scale
