// image.cpp: RGBA buffer and its PNG writer (libpng).
#include "image.h"

#include <png.h>

#include <cstdio>

bool operator==(const rgba& left, const rgba& right) {
    return left.r == right.r && left.g == right.g && left.b == right.b && left.a == right.a;
}

image::image(int width, int height)
    : w(width), h(height), pixels(static_cast<std::size_t>(width * height), clear_pixel) {}

bool image::inside(int x, int y) const {
    return x >= 0 && y >= 0 && x < w && y < h;
}

rgba image::get(int x, int y) const {
    if (!inside(x, y))
        return clear_pixel;
    return pixels[static_cast<std::size_t>(y * w + x)];
}

void image::set(int x, int y, rgba colour) {
    if (inside(x, y))
        pixels[static_cast<std::size_t>(y * w + x)] = colour;
}

bool image::solid(int x, int y) const {
    return get(x, y).a != 0;
}

void image::paste(const image& source, int x, int y) {
    for (int sy = 0; sy < source.height(); ++sy)
        for (int sx = 0; sx < source.width(); ++sx)
            if (source.solid(sx, sy))
                set(x + sx, y + sy, source.get(sx, sy));
}

namespace {

// libpng reports errors by longjmp; keeping the setjmp in its own small frame with only
// plain locals keeps that safe in C++.
bool write_rows(png_structp png, png_infop info, std::FILE* file, int w, int h, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Fixed settings: the output must not depend on libpng's defaults changing.
    png_set_compression_level(png, 9);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

}  // namespace

bool image::write_png(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    std::vector<png_bytep> rows(static_cast<std::size_t>(h));
    std::vector<rgba> copy = pixels;
    for (int y = 0; y < h; ++y)
        rows[static_cast<std::size_t>(y)] =
            reinterpret_cast<png_bytep>(copy.data() + static_cast<std::size_t>(y * w));
    bool written = info != nullptr && write_rows(png, info, file, w, h, rows.data());
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}
