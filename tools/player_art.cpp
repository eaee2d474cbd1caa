// player_art.cpp: the base and its debris, the shot and bullet sheets, bursts, masks and the
// bunker.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "art.h"
#include "noise.h"
#include "pixel_art.h"

namespace {

constexpr int base_w = 25;
constexpr int base_h = 16;

const rgba shot_white = opaque(255, 255, 255);
const rgba shot_green = opaque(80, 255, 100);
const rgba top_red = opaque(255, 70, 60);

// The cannon's single top pixel is column 12: the shot leaves the base at x + 12.
const pattern base_pattern = {
    "............w............", "...........+#-...........", "...........+#-...........",
    "...........+#-...........", ".........++###--.........", "........+#######-........",
    "........+#######-........", ".+++++++++++++++++++++++.", "+#######################-",
    "+##cc#cc###########cc#cc-", "+#######################-", "+#######################-",
    "+#######################-", ".-----------------------.", ".=.=.=.=.=.=.=.=.=.=.=.=.",
    "..=.=.=.=.=.=.=.=.=.=.=..",
};

const pattern burst_patterns[3] = {
    {"#.#.#", ".###.", "##.##", ".###.", "#####", ".#.#.", "#...#"},
    {".#..#", "#.##.", ".####", "##.#.", ".####", "#.##.", ".#..#"},
    {"#..#.", ".##.#", "####.", ".#.##", "####.", ".##.#", "#..#."},
};

const pattern explosion_mask_pattern = {
    ".#.##.", "######", ".#####", "#####.", ".#####", "######", ".####.", "..#.#.",
};

image intact_base() {
    rgba body = opaque(60, 230, 90);
    palette colours = {{'#', body},
                       {'+', shade(body, 1.45f)},
                       {'-', shade(body, 0.6f)},
                       {'=', shade(body, 0.45f)},
                       {'w', opaque(255, 255, 255)},
                       {'c', opaque(200, 255, 255)}};
    image result(base_w, base_h);
    draw_pattern(result, base_pattern, colours, 0, 0, 1);
    return result;
}

// Debris: the hull torn open with its cannon gone, fragments thrown up and sparks among them;
// the game flickers between two of these, so each seed gives a different wreck.
image debris(const image& base, std::uint32_t seed) {
    noise random(seed);
    image result(base_w, base_h);
    const int hull_top = 7;
    for (int x = 0; x < base_w; ++x) {
        // The blast is centred on the cannon, so the hull is torn deepest in the middle.
        int centre_depth = 5 - std::abs(x - 12) / 3;
        int torn = hull_top + std::max(0, centre_depth) + random.below(3);
        for (int y = torn; y < base_h; ++y)
            if (base.solid(x, y))
                result.set(x, y, shade(base.get(x, y), 0.8f));
    }
    for (int i = 0; i < 9; ++i) {
        int x = 1 + random.below(base_w - 2);
        int y = 2 + random.below(hull_top + 2);
        rgba fragment = shade(base.get(6 + random.below(13), 10), 0.7f + 0.1f * random.below(4));
        result.set(x, y, fragment);
        if (random.below(2) == 0)
            result.set(x + 1, y, fragment);
    }
    const rgba sparks[3] = {opaque(255, 255, 210), opaque(255, 210, 70), opaque(255, 120, 40)};
    for (int i = 0; i < 14; ++i)
        result.set(3 + random.below(base_w - 6), 3 + random.below(base_h - 6),
                   sparks[random.below(3)]);
    return result;
}

bool inside_shield(int x, int y, int w, int h) {
    const float corner = 7.0f;
    float cx = (w - 1) / 2.0f;
    float dx = std::fabs(x - cx) - (cx - corner);
    float dy = corner - y;
    if (dx > 0 && dy > 0 && dx * dx + dy * dy > corner * corner)
        return false;
    const float arch_half = 7.5f;
    const int arch_top = h - 10;
    float ax = std::fabs(x - cx);
    if (ax > arch_half || y < arch_top)
        return true;
    const float arch_centre = arch_top + arch_half;
    if (y >= arch_centre)
        return false;
    float ay = arch_centre - y;
    return ax * ax + ay * ay > arch_half * arch_half;
}

}  // namespace

image make_shot_sheet() {
    image result(2, 5);
    for (int y = 0; y < 5; ++y) {
        result.set(0, y, shot_green);
        result.set(1, y, shot_white);
    }
    return result;
}

image make_bullet_mask() {
    image result(1, 5);
    for (int y = 0; y < 5; ++y)
        result.set(0, y, shot_white);
    return result;
}

image make_shot_bursts() {
    const rgba colours[3] = {shot_green, shot_white, top_red};
    image result(15, 7);
    for (int band = 0; band < 3; ++band)
        draw_pattern(result, burst_patterns[band], {{'#', colours[band]}}, band * 5, 0, 1);
    return result;
}

image make_explosion_mask() {
    image result(6, 8);
    draw_pattern(result, explosion_mask_pattern, {{'#', shot_white}}, 0, 0, 1);
    return result;
}

image make_base_box() {
    image result(base_w, base_h);
    image base = intact_base();
    result.paste(base, 0, 0);
    return result;
}

image make_base_sheet() {
    image base = intact_base();
    image result(3 * base_w, base_h);
    result.paste(base, 0, 0);
    result.paste(debris(base, 0x5eed0001u), base_w, 0);
    result.paste(debris(base, 0x5eed0002u), 2 * base_w, 0);
    return result;
}

image make_shield() {
    const int w = 36;
    const int h = 26;
    rgba body = opaque(40, 220, 70);
    image result(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (inside_shield(x, y, w, h))
                result.set(x, y, body);
    // A lighter rim along the top edge gives the block some volume.
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            if (result.solid(x, y)) {
                result.set(x, y, shade(body, 1.5f));
                break;
            }
    return result;
}
