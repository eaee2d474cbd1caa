// surface_test.cpp: blits, scratch surfaces, pixel access in every pixel size, and image
// loading that names a missing file once.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "test_support.h"

using namespace test_support;

namespace {

// An opaque image whose every pixel tells where it came from: red x, green y, blue 0x5A.
SDL_Surface* make_coordinate_image(int w, int h) {
    SDL_Surface* s = make_opaque(w, h, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            surface.set_pixel(s, x, y, SDL_MapRGB(s->format, Uint8(x), Uint8(y), 0x5A));
        }
    }
    return s;
}

constexpr uint32_t background = 0x102030;

struct blit_case {
    int src_x, src_y, w, h;  // the part of the source; the whole image for draw
    int x, y;                // where it goes
    bool partial;
};

// Every destination pixel inside the copied part shows its source pixel; every other one
// keeps the background.
void expect_copied(SDL_Surface* src, SDL_Surface* dst, const blit_case& c) {
    int mismatches = 0;
    for (int y = 0; y < dst->h; ++y) {
        for (int x = 0; x < dst->w; ++x) {
            int sx = x - c.x + c.src_x;
            int sy = y - c.y + c.src_y;
            bool inside = x >= c.x && y >= c.y && x < c.x + c.w && y < c.y + c.h && sx >= 0 &&
                          sy >= 0 && sx < src->w && sy < src->h;
            uint32_t expected = inside ? rgb_at(src, sx, sy) : background;
            if (rgb_at(dst, x, y) != expected && ++mismatches <= 3) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(surface_draw, copies_the_whole_image_clipped_at_any_edge_without_a_word) {
    const blit_case cases[] = {
        {0, 0, 10, 8, 3, 4, false},   {0, 0, 10, 8, -5, -3, false}, {0, 0, 10, 8, 25, 27, false},
        {0, 0, 10, 8, -20, 0, false}, {0, 0, 10, 8, 0, 0, false},
    };
    SDL_Surface* src = make_coordinate_image(10, 8);
    for (const blit_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.x << ", " << c.y);
        SDL_Surface* dst = make_opaque(30, 30, background);
        std::string printed = capture_stdout([&] { surface.draw(src, dst, c.x, c.y); });
        EXPECT_EQ(printed, "");
        expect_copied(src, dst, c);
        SDL_FreeSurface(dst);
    }
    SDL_FreeSurface(src);
}

TEST(surface_draw_partial, copies_one_cell_of_a_sheet) {
    const blit_case cases[] = {
        {50, 0, 25, 25, 10, 20, true},  // the second argument pair is the cell's position
        {30, 7, 10, 5, 3, 4, true},
        {0, 0, 25, 25, -5, -6, true},
        {90, 10, 25, 25, 0, 0, true},  // a cell hanging over the sheet's edge is cut there
    };
    SDL_Surface* sheet = make_coordinate_image(100, 25);
    for (const blit_case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "cell " << c.src_x << ", " << c.src_y << " size " << c.w << " x " << c.h);
        SDL_Surface* dst = make_opaque(60, 50, background);
        std::string printed = capture_stdout(
            [&] { surface.draw_partial(sheet, c.w, c.h, c.src_x, c.src_y, dst, c.x, c.y); });
        EXPECT_EQ(printed, "");
        expect_copied(sheet, dst, c);
        SDL_FreeSurface(dst);
    }
    SDL_FreeSurface(sheet);
}

TEST(surface_draw, a_missing_image_prints_its_error_on_every_call_and_draws_nothing) {
    SDL_Surface* dst = make_opaque(20, 20, background);
    std::vector<uint8_t> before = pixel_bytes(dst);
    std::string printed = capture_stdout([&] {
        surface.draw(nullptr, dst, 0, 0);
        surface.draw(nullptr, dst, 5, 5);
        surface.draw_partial(nullptr, 5, 5, 0, 0, dst, 1, 1);
    });
    EXPECT_EQ(printed,
              "ERROR: Surface.Draw -> Unable to blit surface \n"
              "ERROR: Surface.Draw -> Unable to blit surface \n"
              "ERROR: Surface.DrawPartial -> Unable to blit surface \n");
    EXPECT_EQ(pixel_bytes(dst), before);
    SDL_FreeSurface(dst);
}

TEST(surface_create_transparent, is_a_fully_transparent_rgba_surface) {
    SDL_Surface* s = surface.create_transparent(25, 25);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, 25);
    EXPECT_EQ(s->h, 25);
    EXPECT_EQ(s->format->BitsPerPixel, 32);
    EXPECT_EQ(s->format->Rmask, 0x000000FFu);
    EXPECT_EQ(s->format->Gmask, 0x0000FF00u);
    EXPECT_EQ(s->format->Bmask, 0x00FF0000u);
    EXPECT_EQ(s->format->Amask, 0xFF000000u);
    int non_zero = 0;
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 25; ++x) {
            non_zero += surface.get_pixel(s, x, y) != 0;
            non_zero += alpha_at(s, x, y) != 0;
        }
    }
    EXPECT_EQ(non_zero, 0);
    SDL_FreeSurface(s);
}

struct pixel_case {
    int bpp;
    Uint32 rmask, gmask, bmask, amask;
    uint32_t written;
    std::vector<uint8_t> stored;  // the pixel's bytes in memory, lowest address first
    uint32_t read_back;
    const char* warning_size;  // nullptr: no warning
};

std::vector<uint8_t> native_bytes(uint32_t value, int size) {
    std::vector<uint8_t> bytes(size);
    if (size == 2) {
        uint16_t v = uint16_t(value);
        std::memcpy(bytes.data(), &v, 2);
    } else {
        std::memcpy(bytes.data(), &value, size);
    }
    return bytes;
}

TEST(surface_pixels, set_and_get_in_every_pixel_size) {
    const pixel_case cases[] = {
        {8, 0, 0, 0, 0, 0x80FF00AA, {0xAA}, 0xAA, nullptr},
        {16, 0xF800, 0x07E0, 0x001F, 0, 0x80FF1234, native_bytes(0x1234, 2), 0x1234, "16"},
        {24, 0x0000FF, 0x00FF00, 0xFF0000, 0, 0x80332211, {0x11, 0x22, 0x33}, 0x332211, "24"},
        {32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000, 0x80FF00AA,
         native_bytes(0x80FF00AA, 4), 0x80FF00AA, nullptr},
    };
    for (const pixel_case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bpp << " bits");
        SDL_Surface* s = SDL_CreateRGBSurface(0, 7, 5, c.bpp, c.rmask, c.gmask, c.bmask, c.amask);
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->format->BitsPerPixel, c.bpp);
        const int bytes = s->format->BytesPerPixel;
        std::vector<uint8_t> before = pixel_bytes(s);

        std::string set_printed = capture_stdout([&] { surface.set_pixel(s, 4, 3, c.written); });
        std::vector<uint8_t> after = pixel_bytes(s);
        const size_t at = size_t(3 * s->pitch + 4 * bytes);
        EXPECT_EQ(std::vector<uint8_t>(after.begin() + at, after.begin() + at + bytes), c.stored);
        std::copy(c.stored.begin(), c.stored.end(), before.begin() + at);
        EXPECT_EQ(after, before) << "no other byte changes";

        uint32_t read = 0;
        std::string get_printed = capture_stdout([&] { read = surface.get_pixel(s, 4, 3); });
        EXPECT_EQ(read, c.read_back);
        EXPECT_EQ(surface.get_pixel(s, 3, 3), 0u) << "the neighbour is still zero";

        std::string size = c.warning_size != nullptr ? c.warning_size : "";
        EXPECT_EQ(set_printed, c.warning_size == nullptr ? ""
                                                         : "WARNING: Using a " + size +
                                                               "-bit image - surface->set_pixel\n");
        EXPECT_EQ(get_printed, c.warning_size == nullptr ? ""
                                                         : "WARNING: Using a " + size +
                                                               "-bit image - surface->get_pixel\n");
        SDL_FreeSurface(s);
    }
}

TEST(surface_pixels, three_byte_pixel_reads_lowest_address_as_lowest_byte) {
    SDL_Surface* s = SDL_CreateRGBSurface(0, 3, 2, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    ASSERT_NE(s, nullptr);
    uint8_t* p = static_cast<uint8_t*>(s->pixels) + s->pitch + 2 * 3;
    p[0] = 0x11;
    p[1] = 0x22;
    p[2] = 0x33;
    uint32_t read = 0;
    std::string printed = capture_stdout([&] { read = surface.get_pixel(s, 2, 1); });
    EXPECT_EQ(read, 0x332211u);
    EXPECT_EQ(printed, "WARNING: Using a 24-bit image - surface->get_pixel\n");
    SDL_FreeSurface(s);
}

TEST(surface_pixels, every_touch_of_a_sixteen_bit_pixel_warns_again) {
    SDL_Surface* s = SDL_CreateRGBSurface(0, 2, 2, 16, 0xF800, 0x07E0, 0x001F, 0);
    std::string printed = capture_stdout([&] {
        for (int n = 0; n < 3; ++n) {
            surface.get_pixel(s, 1, 1);
        }
    });
    EXPECT_EQ(printed,
              "WARNING: Using a 16-bit image - surface->get_pixel\n"
              "WARNING: Using a 16-bit image - surface->get_pixel\n"
              "WARNING: Using a 16-bit image - surface->get_pixel\n");
    SDL_FreeSurface(s);
}

TEST(surface_pixels, a_nonstandard_pixel_size_is_refused) {
    SDL_Surface* s = make_rgba(4, 4, 0x11223344);
    std::vector<uint8_t> before = pixel_bytes(s);
    const Uint8 real_size = s->format->BytesPerPixel;
    s->format->BytesPerPixel = 5;
    uint32_t read = 1;
    std::string printed = capture_stdout([&] {
        read = surface.get_pixel(s, 0, 0);
        surface.set_pixel(s, 0, 0, 0xFFFFFFFF);
    });
    s->format->BytesPerPixel = real_size;
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(printed,
              "ERROR: Surface.GetPixel -> Nonstandard pixel format\n"
              "ERROR: Surface.SetPixel -> Nonstandard pixel format\n");
    EXPECT_EQ(pixel_bytes(s), before);
    SDL_FreeSurface(s);
}

TEST(surface_load_image, names_a_missing_file_once) {
    enter_scratch_dir();
    SDL_Surface* first = reinterpret_cast<SDL_Surface*>(1);
    SDL_Surface* second = reinterpret_cast<SDL_Surface*>(1);
    std::string printed = capture_stdout([&] {
        first = surface.load_image("IMG/Missing.png");
        second = surface.load_image("IMG/Missing.png");
    });
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(second, nullptr);
    ASSERT_EQ(printed.rfind("WARNING: ", 0), 0u) << printed;
    EXPECT_NE(printed.find("IMG/Missing.png"), std::string::npos) << printed;
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.back(), '\n');
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line: " << printed;

    std::string other = capture_stdout([] { surface.load_image("IMG/Other.png"); });
    EXPECT_NE(other.find("IMG/Other.png"), std::string::npos) << "each file is named";
}

TEST(surface_load_image, loads_an_image_that_is_there_silently) {
    enter_scratch_dir();
    SDL_Surface* made = make_coordinate_image(6, 4);
    ASSERT_EQ(SDL_SaveBMP(made, "made.bmp"), 0);
    SDL_Surface* loaded = nullptr;
    std::string printed = capture_stdout([&] { loaded = surface.load_image("made.bmp"); });
    EXPECT_EQ(printed, "");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->w, 6);
    EXPECT_EQ(loaded->h, 4);
    EXPECT_EQ(rgb_at(loaded, 5, 3), rgb_at(made, 5, 3));
    SDL_FreeSurface(loaded);
    SDL_FreeSurface(made);
}

}  // namespace
