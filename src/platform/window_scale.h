// window_scale.h: how large sdl12-compat presents the window, chosen before the library starts
// and before each video mode is set.
// sdl::init calls prepare_library before SDL_Init and set_video_mode in place of
// SDL_SetVideoMode; the rest are the decisions behind them, free of SDL's state.
//
// The game always draws its own surface at the size it asked for. sdl12-compat can show that
// surface enlarged by a whole factor, read from its own environment variables; the classic
// library cannot, and on it nothing here changes anything.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace window_scale {

// The window may take up to three quarters of the desktop's width and height.
constexpr int desktop_share_num = 3;
constexpr int desktop_share_den = 4;
// The largest side a scaled window may have. sdl12-compat refuses a larger mode, and a
// refused mode would cost the player their settings file.
constexpr int largest_side = 16384;

// True for sdl12-compat, which reports 1.2.50 and later; the classic library is 1.2.15.
bool library_scales(const SDL_version& linked);

// VEXLORN_SCALE read as a whole number of 1 or more; 0 when unset or empty, -1 when it holds
// anything else.
int requested(const char* text);

// The largest whole factor at which a w x h window fits in the share of the desktop; 1 when
// none does or a size is unknown (0 or less).
int fitting(int desktop_w, int desktop_h, int w, int h);

// The factor for SDL12COMPAT_WINDOW_SCALING before a w x h mode with these flags is set, or 0
// to leave the variable as it is: the player's own value wins, and fullscreen is scaled to the
// screen by the library itself. The texts are the variables' values, null when unset.
int choose(int desktop_w, int desktop_h, int w, int h, uint32_t flags, const char* vexlorn_scale,
           const char* library_scaling);

// Before SDL_Init: crisp pixels on sdl12-compat unless the player chose a scale method, and
// one line on standard error for an unusable VEXLORN_SCALE. sdl12-compat 1.2.60 reads the
// scale method when it starts, so later would be too late.
void prepare_library();

// SDL_SetVideoMode, with the window's scale set for the library to read while the mode is
// made; a variable set here is removed again afterwards, so that the next mode is chosen
// afresh.
SDL_Surface* set_video_mode(int w, int h, int bpp, uint32_t flags);

}  // namespace window_scale
