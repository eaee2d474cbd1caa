// shields_test.cpp: the bunkers and the ground line: loading, layout, erosion and reset.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "fake_sdl.h"
#include "game/shields.h"
#include "platform/sdl.h"
#include "test_support.h"

namespace {

using test_support::make_rgba;
using test_support::put_rgba;
using test_support::rgba_at;
using test_support::screen_rgb;

constexpr uint32_t green_rgba = 0x00FF00FF;
constexpr uint32_t black_rgba = 0x000000FF;

// --- A minimal PNG writer (stored deflate blocks), so that a bunker fixture with an alpha
// channel can be loaded through the real image loader.

void put32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        s += char((v >> shift) & 0xFF);
    }
}

uint32_t crc32_of(const std::string& bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        c ^= byte;
        for (int k = 0; k < 8; ++k) {
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
    }
    return ~c;
}

void put_chunk(std::string& png, const std::string& type, const std::string& data) {
    put32(png, uint32_t(data.size()));
    std::string body = type + data;
    png += body;
    put32(png, crc32_of(body));
}

std::string zlib_stored(const std::string& raw) {
    std::string z = "\x78\x01";
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + n == raw.size();
        z += char(last ? 1 : 0);
        z += char(n & 0xFF);
        z += char(n >> 8);
        z += char(~n & 0xFF);
        z += char((~n >> 8) & 0xFF);
        z += raw.substr(pos, n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, b << 16 | a);
    return z;
}

void write_png(const std::string& path, SDL_Surface* image) {
    std::string raw;
    for (int y = 0; y < image->h; ++y) {
        raw += '\0';
        for (int x = 0; x < image->w; ++x) {
            put32(raw, rgba_at(image, x, y));
        }
    }
    std::string header;
    put32(header, uint32_t(image->w));
    put32(header, uint32_t(image->h));
    header += std::string("\x08\x06\x00\x00\x00", 5);
    std::string png = "\x89PNG\r\n\x1a\n";
    put_chunk(png, "IHDR", header);
    put_chunk(png, "IDAT", zlib_stored(raw));
    put_chunk(png, "IEND", "");
    std::ofstream(path, std::ios::binary) << png;
}

// --- The bunker fixture: opaque, coloured by position, with a transparent arch at the
// bottom.

constexpr int bunker_w = 22;
constexpr int bunker_h = 16;

bool in_arch(int x, int y) {
    return y >= 10 && x >= 8 && x < 14;
}

uint32_t bunker_pixel(int x, int y) {
    if (in_arch(x, y)) {
        return 0;
    }
    return uint32_t(0x10 + 10 * x) << 24 | 0x80u << 16 | uint32_t(0x10 + 15 * y) << 8 | 0xFF;
}

SDL_Surface* make_bunker() {
    SDL_Surface* s = make_rgba(bunker_w, bunker_h, 0);
    for (int y = 0; y < bunker_h; ++y) {
        for (int x = 0; x < bunker_w; ++x) {
            put_rgba(s, x, y, bunker_pixel(x, y));
        }
    }
    return s;
}

void write_bunker_file() {
    ASSERT_EQ(mkdir("IMG", 0755), 0);
    SDL_Surface* bunker = make_bunker();
    write_png("IMG/Shield.png", bunker);
    SDL_FreeSurface(bunker);
}

// The number of pixels that differ from the fixture; a bunker must be at least as large.
int bunker_differences(SDL_Surface* s) {
    if (s == nullptr || s->w != bunker_w || s->h != bunker_h) {
        return -1;
    }
    int differences = 0;
    for (int y = 0; y < bunker_h; ++y) {
        for (int x = 0; x < bunker_w; ++x) {
            differences += rgba_at(s, x, y) != bunker_pixel(x, y);
        }
    }
    return differences;
}

int ground_count_of(uint32_t rgba) {
    int count = 0;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 400; ++x) {
            count += rgba_at(shields.ground, x, y) == rgba;
        }
    }
    return count;
}

class shields_test : public ::testing::Test {
protected:
    void SetUp() override {
        fake_sdl::reset(1000);
        test_support::open_screen();
        test_support::enter_scratch_dir();
    }
};

TEST_F(shields_test, init_loads_four_separate_bunkers_and_a_green_ground_line) {
    write_bunker_file();

    shields.init();

    for (int i = 0; i < shields::count; ++i) {
        SCOPED_TRACE("bunker " + std::to_string(i));
        EXPECT_EQ(bunker_differences(shields.bunker[i]), 0);
    }
    // Eroding one bunker leaves the others whole: each is a copy of its own.
    SDL_Surface* everything = make_rgba(bunker_w, bunker_h, 0xFFFFFFFF);
    shields.destroy(everything, 0, 0, shields.bunker[1], 0, 0);
    EXPECT_EQ(test_support::solid_count(shields.bunker[1]), 0);
    EXPECT_EQ(bunker_differences(shields.bunker[0]), 0);
    EXPECT_EQ(bunker_differences(shields.bunker[2]), 0);
    EXPECT_EQ(bunker_differences(shields.bunker[3]), 0);
    SDL_FreeSurface(everything);

    ASSERT_NE(shields.ground, nullptr);
    EXPECT_EQ(shields.ground->w, 400);
    EXPECT_EQ(shields.ground->h, 2);
    EXPECT_EQ(shields.ground->format->BitsPerPixel, 32);
    EXPECT_EQ(shields.ground->format->Amask, 0u);
    EXPECT_EQ(ground_count_of(green_rgba), 800);
}

// A 10 x 10 target, opaque except for a scatter of transparent pixels that carry a colour of
// their own, under a mask with a scatter of alpha-0 pixels. A target pixel is cleared exactly
// when it is solid and lies under a solid mask pixel.
TEST_F(shields_test, destroy_clears_only_solid_pixels_under_solid_mask_pixels) {
    struct placement {
        const char* name;
        int target_x, target_y;
        int mask_x, mask_y;
        int mask_w, mask_h;
        bool changes;
    };
    const placement cases[] = {
        {"touching the right edge", 0, 0, 10, 0, 4, 4, false},
        {"touching the left edge", 0, 0, -4, 3, 4, 4, false},
        {"touching the top edge", 0, 0, 3, -4, 4, 4, false},
        {"touching the bottom edge", 0, 0, 3, 10, 4, 4, false},
        {"touching a corner", 0, 0, 10, 10, 4, 4, false},
        {"apart", 0, 0, 11, 0, 4, 4, false},
        {"over the bottom right corner", 0, 0, 8, 8, 4, 4, true},
        {"over the top left corner", 0, 0, -2, -1, 4, 4, true},
        {"inside", 0, 0, 3, 3, 4, 4, true},
        {"larger than the target", 0, 0, -2, -3, 14, 15, true},
        {"inside, both placed on the screen", 45, 220, 50, 225, 4, 4, true},
        {"over the top edge, both placed on the screen", 135, 220, 140, 217, 4, 4, true},
    };
    auto target_pixel = [](int x, int y) {
        return (x * 7 + y) % 5 == 0 ? 0x12345600u : 0x336699FFu;
    };
    auto mask_solid = [](int x, int y) { return (x + y) % 3 != 0; };

    for (const placement& c : cases) {
        SCOPED_TRACE(c.name);
        SDL_Surface* target = make_rgba(10, 10, 0);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                put_rgba(target, x, y, target_pixel(x, y));
            }
        }
        SDL_Surface* mask = make_rgba(c.mask_w, c.mask_h, 0);
        for (int y = 0; y < c.mask_h; ++y) {
            for (int x = 0; x < c.mask_w; ++x) {
                put_rgba(mask, x, y, mask_solid(x, y) ? 0xFFFFFFFFu : 0xFFFFFF00u);
            }
        }

        shields.destroy(mask, c.mask_x, c.mask_y, target, c.target_x, c.target_y);

        int cleared = 0;
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                int mx = c.target_x + x - c.mask_x;
                int my = c.target_y + y - c.mask_y;
                bool under_mask =
                    mx >= 0 && mx < c.mask_w && my >= 0 && my < c.mask_h && mask_solid(mx, my);
                bool target_solid = (target_pixel(x, y) & 0xFF) != 0;
                uint32_t expected = under_mask && target_solid ? 0u : target_pixel(x, y);
                EXPECT_EQ(rgba_at(target, x, y), expected) << "at " << x << ", " << y;
                cleared += expected != target_pixel(x, y);
            }
        }
        EXPECT_EQ(cleared > 0, c.changes);
        for (int y = 0; y < c.mask_h; ++y) {
            for (int x = 0; x < c.mask_w; ++x) {
                EXPECT_EQ(rgba_at(mask, x, y), mask_solid(x, y) ? 0xFFFFFFFFu : 0xFFFFFF00u)
                    << "mask changed at " << x << ", " << y;
            }
        }
        SDL_FreeSurface(target);
        SDL_FreeSurface(mask);
    }
}

TEST_F(shields_test, eroding_the_ground_line_blackens_it_and_it_stays_solid) {
    write_bunker_file();
    shields.init();
    SDL_Surface* mask = make_rgba(3, 3, 0xFFFFFFFF);

    shields.destroy(mask, 100, 279, shields.ground, ground_x, ground_y);

    for (int x = 99; x <= 103; ++x) {
        bool under = x >= 100 && x <= 102;
        EXPECT_EQ(rgba_at(shields.ground, x, 0), under ? black_rgba : green_rgba) << "x " << x;
        EXPECT_EQ(rgba_at(shields.ground, x, 1), under ? black_rgba : green_rgba) << "x " << x;
    }
    EXPECT_EQ(ground_count_of(green_rgba), 794);
    EXPECT_EQ(test_support::solid_count(shields.ground), 800);

    shields.destroy(mask, 101, 280, shields.ground, ground_x, ground_y);
    EXPECT_EQ(ground_count_of(black_rgba), 6 + 2);
    EXPECT_EQ(ground_count_of(green_rgba), 792);
    EXPECT_EQ(test_support::solid_count(shields.ground), 800);
    SDL_FreeSurface(mask);
}

TEST_F(shields_test, reset_restores_all_four_bunkers_and_the_whole_ground_line) {
    write_bunker_file();
    shields.init();
    SDL_Surface* ground = shields.ground;
    SDL_Surface* wide = make_rgba(400, 300, 0xFFFFFFFF);
    for (int i = 0; i < shields::count; ++i) {
        shields.destroy(wide, 0, 0, shields.bunker[i], bunker_x(i), bunker_y);
        EXPECT_EQ(test_support::solid_count(shields.bunker[i]), 0);
    }
    shields.destroy(wide, 0, 0, shields.ground, ground_x, ground_y);
    ASSERT_EQ(ground_count_of(black_rgba), 800);

    shields.reset();

    for (int i = 0; i < shields::count; ++i) {
        SCOPED_TRACE("bunker " + std::to_string(i));
        EXPECT_EQ(bunker_differences(shields.bunker[i]), 0);
    }
    EXPECT_EQ(shields.ground, ground);
    EXPECT_EQ(ground_count_of(green_rgba), 800);
    SDL_FreeSurface(wide);
}

// The layout is fixed in pixels whatever the screen size; a bunker's arch shows the black
// screen behind it.
TEST_F(shields_test, bunkers_and_ground_line_are_drawn_at_fixed_positions) {
    write_bunker_file();
    shields.init();
    struct screen_size {
        int w;
        int h;
    };
    const screen_size sizes[] = {{400, 300}, {1024, 768}};
    const int left_edges[] = {45, 135, 225, 315};
    for (const screen_size& size : sizes) {
        SCOPED_TRACE("screen " + std::to_string(size.w) + " x " + std::to_string(size.h));
        test_support::open_screen(size.w, size.h);
        SDL_FillRect(sdl.screen, nullptr, 0);

        shields.draw();

        for (int left : left_edges) {
            SCOPED_TRACE("bunker at x " + std::to_string(left));
            EXPECT_EQ(screen_rgb(left, 220), bunker_pixel(0, 0) >> 8);
            EXPECT_EQ(screen_rgb(left + bunker_w - 1, 220 + bunker_h - 1),
                      bunker_pixel(bunker_w - 1, bunker_h - 1) >> 8);
            EXPECT_EQ(screen_rgb(left + 10, 220 + 12), 0u) << "arch";
            EXPECT_EQ(screen_rgb(left - 1, 220), 0u);
            EXPECT_EQ(screen_rgb(left + bunker_w, 220), 0u);
            EXPECT_EQ(screen_rgb(left, 219), 0u);
        }
        for (int x = 0; x < size.w; ++x) {
            uint32_t expected = x < 400 ? 0x00FF00u : 0u;
            ASSERT_EQ(screen_rgb(x, 280), expected) << "x " << x;
            ASSERT_EQ(screen_rgb(x, 281), expected) << "x " << x;
            ASSERT_EQ(screen_rgb(x, 279), 0u) << "x " << x;
            ASSERT_EQ(screen_rgb(x, 282), 0u) << "x " << x;
        }
    }
}

TEST_F(shields_test, a_missing_bunker_image_is_reported_once_and_nothing_crashes) {
    std::string output = test_support::capture_stdout([] {
        shields.init();
        shields.reset();
    });
    int lines_naming_the_file = 0;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        lines_naming_the_file += line.find("IMG/Shield.png") != std::string::npos;
    }
    EXPECT_EQ(lines_naming_the_file, 1) << output;
    for (int i = 0; i < shields::count; ++i) {
        EXPECT_EQ(shields.bunker[i], nullptr);
    }

    SDL_Surface* mask = make_rgba(3, 3, 0xFFFFFFFF);
    shields.destroy(mask, 50, 220, shields.bunker[0], bunker_x(0), bunker_y);
    shields.destroy(nullptr, 50, 280, shields.ground, ground_x, ground_y);
    EXPECT_EQ(ground_count_of(green_rgba), 800);

    SDL_FillRect(sdl.screen, nullptr, 0);
    std::string drawing = test_support::capture_stdout([] { shields.draw(); });
    const std::string blit_error = "ERROR: Surface.Draw -> Unable to blit surface \n";
    std::string four_errors;
    for (int i = 0; i < shields::count; ++i) {
        four_errors += blit_error;
    }
    EXPECT_EQ(drawing, four_errors);
    EXPECT_EQ(screen_rgb(0, 280), 0x00FF00u);
    EXPECT_EQ(screen_rgb(399, 281), 0x00FF00u);
    SDL_FreeSurface(mask);
}

}  // namespace
