// pixel_art.h: drawing helpers shared by the sprite makers: character patterns, palettes, shading.
#pragma once

#include <string>
#include <vector>

#include "image.h"

using pattern = std::vector<std::string>;

// One entry per pattern character; characters without an entry ('.') stay transparent.
struct palette_entry {
    char key;
    rgba colour;
};
using palette = std::vector<palette_entry>;

rgba opaque(int r, int g, int b);
// factor < 1 darkens, > 1 lightens towards white.
rgba shade(rgba colour, float factor);
// The look of a coloured film over a black-and-white screen: brightness kept, hue replaced.
rgba tint(rgba colour, rgba film);
int pattern_width(const pattern& rows);
// Draws each pattern character as a scale x scale block with its top-left corner at (x, y).
void draw_pattern(image& target, const pattern& rows, const palette& colours, int x, int y,
                  int scale);
// Darkens solid pixels row by row from top (light) to bottom, for a lit-from-above look.
void shade_rows(image& target, int top, int bottom, float top_factor, float bottom_factor);
// Every solid pixel recoloured by tint, for the lower band of the sprite sheet.
image tinted(const image& source, rgba film);
image crop(const image& source, int x, int y, int w, int h);
