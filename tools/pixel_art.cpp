// pixel_art.cpp: pattern drawing, palettes and shading for the sprite makers.
#include "pixel_art.h"

#include <algorithm>
#include <cmath>

rgba opaque(int r, int g, int b) {
    return rgba{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                static_cast<std::uint8_t>(b), 255};
}

namespace {

std::uint8_t channel(float value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

float shade_channel(std::uint8_t value, float factor) {
    if (factor <= 1.0f)
        return value * factor;
    return value + (255.0f - value) * (factor - 1.0f);
}

const rgba* find_colour(const palette& colours, char key) {
    for (const palette_entry& entry : colours)
        if (entry.key == key)
            return &entry.colour;
    return nullptr;
}

}  // namespace

rgba shade(rgba colour, float factor) {
    return rgba{channel(shade_channel(colour.r, factor)), channel(shade_channel(colour.g, factor)),
                channel(shade_channel(colour.b, factor)), colour.a};
}

rgba tint(rgba colour, rgba film) {
    float light = (0.30f * colour.r + 0.55f * colour.g + 0.15f * colour.b) / 255.0f;
    // Lifted so that dim accents stay visible through the film.
    light = 0.25f + 0.9f * light;
    return rgba{channel(film.r * light), channel(film.g * light), channel(film.b * light),
                colour.a};
}

int pattern_width(const pattern& rows) {
    std::size_t widest = 0;
    for (const std::string& row : rows)
        widest = std::max(widest, row.size());
    return static_cast<int>(widest);
}

void draw_pattern(image& target, const pattern& rows, const palette& colours, int x, int y,
                  int scale) {
    for (std::size_t row = 0; row < rows.size(); ++row)
        for (std::size_t column = 0; column < rows[row].size(); ++column) {
            const rgba* colour = find_colour(colours, rows[row][column]);
            if (colour == nullptr)
                continue;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    target.set(x + static_cast<int>(column) * scale + dx,
                               y + static_cast<int>(row) * scale + dy, *colour);
        }
}

void shade_rows(image& target, int top, int bottom, float top_factor, float bottom_factor) {
    int span = std::max(1, bottom - top);
    for (int y = top; y <= bottom; ++y) {
        float factor = top_factor + (bottom_factor - top_factor) * (y - top) / span;
        for (int x = 0; x < target.width(); ++x)
            if (target.solid(x, y))
                target.set(x, y, shade(target.get(x, y), factor));
    }
}

image tinted(const image& source, rgba film) {
    image result(source.width(), source.height());
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (source.solid(x, y))
                result.set(x, y, tint(source.get(x, y), film));
    return result;
}

image crop(const image& source, int x, int y, int w, int h) {
    image result(w, h);
    for (int dy = 0; dy < h; ++dy)
        for (int dx = 0; dx < w; ++dx)
            result.set(dx, dy, source.get(x + dx, y + dy));
    return result;
}
