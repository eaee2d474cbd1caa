// fleet_art.cpp: the invader sheet: three kinds in two frames, a burst, and the lower-band
// recolour.
#include "art.h"
#include "pixel_art.h"

namespace {

constexpr int cell = 25;
constexpr int scale = 2;

// Frame 0 and frame 1 of each kind; '#' body, 'o' eye, '*' pupil, '^' glow.
const pattern orb_frames[2] = {
    {
        ".#......#.",
        "..#....#..",
        "..######..",
        ".########.",
        "##oo**oo##",
        "##oo**oo##",
        ".########.",
        "..######..",
        "...^..^...",
    },
    {
        "#........#",
        ".#......#.",
        "..######..",
        ".########.",
        "##o**ooo##",
        "##o**ooo##",
        ".########.",
        "..######..",
        "....^^....",
    },
};

const pattern manta_frames[2] = {
    {
        ".....##.....",
        "....####....",
        ".##.#oo#.##.",
        "############",
        "#####**#####",
        "##.######.##",
        "#...#..#...#",
        "....#..#....",
    },
    {
        "#....##....#",
        "##..####..##",
        ".####oo####.",
        "..########..",
        "...##**##...",
        "...######...",
        "....#..#....",
        "...#....#...",
    },
};

const pattern crawler_frames[2] = {
    {
        "...######...",
        ".##########.",
        "##o*o##o*o##",
        "############",
        ".##.####.##.",
        "..##.##.##..",
        ".#..#..#..#.",
        "#..#....#..#",
    },
    {
        "...######...",
        ".##########.",
        "##o*o##o*o##",
        "############",
        ".##.####.##.",
        "..##.##.##..",
        "..#.#..#.#..",
        ".#..#..#..#.",
    },
};

const pattern burst_pattern = {
    "....#.......", ".#..#...#...", "..#.##.##..#", "...####^#.#.", "#.##^^^^##..", ".###^**^^###",
    "..##^**^^##.", "###^^^^^#...", "..#.#^##.#..", ".#..##.##..#", "#...#...#...", ".......#....",
};

struct kind_look {
    const pattern* frames;
    rgba body;
};

palette invader_palette(rgba body) {
    return {{'#', body},
            {'o', opaque(255, 255, 255)},
            {'*', opaque(40, 20, 60)},
            {'^', shade(body, 1.5f)}};
}

image draw_centred(const pattern& rows, const palette& colours) {
    image result(cell, cell);
    int w = pattern_width(rows) * scale;
    int h = static_cast<int>(rows.size()) * scale;
    int x = (cell - w) / 2;
    int y = (cell - h + 1) / 2;
    draw_pattern(result, rows, colours, x, y, scale);
    shade_rows(result, y, y + h - 1, 1.25f, 0.8f);
    return result;
}

void draw_band(image& sheet, int top, const kind_look (&kinds)[3]) {
    for (int kind = 0; kind < 3; ++kind)
        for (int frame = 0; frame < 2; ++frame)
            sheet.paste(draw_centred(kinds[kind].frames[frame], invader_palette(kinds[kind].body)),
                        frame * cell, top + kind * cell);
    sheet.paste(make_invader_burst(), 2 * cell, top);
}

}  // namespace

image make_invader_burst() {
    palette colours = {
        {'#', opaque(255, 120, 40)}, {'^', opaque(255, 220, 80)}, {'*', opaque(255, 255, 255)}};
    return draw_centred(burst_pattern, colours);
}

image make_invader_sheet() {
    const kind_look kinds[3] = {{orb_frames, opaque(255, 80, 208)},
                                {manta_frames, opaque(64, 216, 255)},
                                {crawler_frames, opaque(255, 208, 64)}};
    image upper(3 * cell, 3 * cell);
    draw_band(upper, 0, kinds);
    image sheet(3 * cell, 6 * cell);
    sheet.paste(upper, 0, 0);
    sheet.paste(tinted(upper, opaque(70, 255, 90)), 0, 3 * cell);
    return sheet;
}
