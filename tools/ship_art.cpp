// ship_art.cpp: the mystery ship and its burst.
#include "art.h"
#include "pixel_art.h"

namespace {

constexpr int ship_w = 32;
constexpr int ship_h = 20;
constexpr int scale = 2;

const pattern ship_pattern = {
    "......cccc......", "....cwcccccc....", "..############..", ".##############.",
    "#y###y####y###y#", ".##############.", "..############..", "...^^......^^...",
};

const pattern burst_pattern = {
    "..#....#....#...", "#..#..^#^..#...#", "...^#.^^^.#^.#..", ".#..^^*^*^^..#..",
    "#.^^^**w**^^^..#", "..^^^**w**^^^.#.", ".#..^^*^*^^..#..", "...^#.^^^.#^....",
    "#..#..^#^..#...#", "..#....#....#...",
};

}  // namespace

image make_ship() {
    rgba body = opaque(255, 56, 72);
    palette colours = {{'#', body},
                       {'c', opaque(96, 224, 255)},
                       {'w', opaque(255, 255, 255)},
                       {'y', opaque(255, 230, 80)},
                       {'^', opaque(255, 150, 40)}};
    image result(ship_w, ship_h);
    draw_pattern(result, ship_pattern, colours, 0, 2, scale);
    shade_rows(result, 6, 15, 1.3f, 0.75f);
    return result;
}

image make_ship_burst() {
    palette colours = {{'#', opaque(255, 70, 60)},
                       {'^', opaque(255, 160, 40)},
                       {'*', opaque(255, 230, 90)},
                       {'w', opaque(255, 255, 255)}};
    image result(ship_w, ship_h);
    draw_pattern(result, burst_pattern, colours, 0, 0, scale);
    return result;
}
