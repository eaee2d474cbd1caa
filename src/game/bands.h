// bands.h: which cell of the shot and burst sheets a sprite takes from the band of the screen
// it is in. The player's shot and the invaders' bullets share both sheets.
#pragma once

constexpr int top_band_end = 20;
constexpr int bottom_band_start = 200;

// The 1 x 5 shot sheet: x 1 above the bottom band, x 0 in it.
inline int shot_cell_x(int y) {
    return y < bottom_band_start ? 1 : 0;
}

// The 5 x 7 burst sheet: x 10 in the top band, 5 in the middle, 0 at the bottom.
inline int burst_cell_x(int y) {
    if (y < top_band_end) {
        return 10;
    }
    return y < bottom_band_start ? 5 : 0;
}
