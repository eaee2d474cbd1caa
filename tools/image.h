// image.h: an RGBA pixel buffer that the art is drawn into and that writes itself as a PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct rgba {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    std::uint8_t a;
};

static_assert(sizeof(rgba) == 4, "rgba must be four packed bytes, the PNG row layout");

bool operator==(const rgba& left, const rgba& right);

constexpr rgba clear_pixel{0, 0, 0, 0};

class image {
public:
    image(int width, int height);

    int width() const { return w; }
    int height() const { return h; }
    bool inside(int x, int y) const;
    rgba get(int x, int y) const;
    // Writes outside the buffer are dropped, so shapes may be drawn partly off the edge.
    void set(int x, int y, rgba colour);
    bool solid(int x, int y) const;
    // Copies the solid pixels of source with its top-left corner at (x, y).
    void paste(const image& source, int x, int y);
    bool write_png(const std::string& path) const;

private:
    int w;
    int h;
    std::vector<rgba> pixels;
};
