// collision_test.cpp: rectangles and placed images touch on closed intervals; the pixel test
// needs an opaque pixel of each image in their overlap.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/base_collision.h"
#include "test_support.h"

using namespace test_support;

namespace {

SDL_Rect rect(int x, int y, int w, int h) {
    return SDL_Rect{Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
}

struct rect_case {
    SDL_Rect a, b;
    bool touch;
};

TEST(collision_rectangles, closed_intervals_with_signed_positions) {
    const rect_case cases[] = {
        {rect(0, 0, 10, 10), rect(10, 0, 5, 5), true},   // shared edge x = 10
        {rect(0, 0, 10, 10), rect(11, 0, 5, 5), false},  // one pixel apart
        {rect(0, 0, 10, 10), rect(0, 10, 5, 5), true},   // shared edge y = 10
        {rect(0, 0, 10, 10), rect(0, 11, 5, 5), false},
        {rect(0, 0, 10, 10), rect(3, 4, 0, 0), true},  // a point inside
        {rect(0, 0, 10, 10), rect(2, 2, 3, 3), true},  // wholly inside
        {rect(-5, -5, 10, 10), rect(0, 0, 1, 1), true},
        {rect(-5, -5, 4, 4), rect(0, 0, 1, 1), false},  // ends at -1
        {rect(-5, -5, 5, 5), rect(0, 0, 1, 1), true},   // ends at 0
        {rect(-6, 0, 5, 5), rect(0, 0, 10, 10), false},
        {rect(0, -6, 5, 5), rect(0, 0, 10, 10), false},
        // Sums are made in 32 bits: -32768 + 65535 reaches 32767.
        {rect(-32768, 0, 65535, 1), rect(32767, 0, 1, 1), true},
        {rect(-32768, -32768, 65534, 65534), rect(32767, 32767, 0, 0), false},
        {rect(32767, 32767, 65535, 65535), rect(-32768, -32768, 0, 0), false},
    };
    for (const rect_case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "{" << c.a.x << "," << c.a.y << "," << c.a.w << "," << c.a.h << "} {"
                     << c.b.x << "," << c.b.y << "," << c.b.w << "," << c.b.h << "}");
        EXPECT_EQ(collision.bounding_box(c.a, c.b), c.touch);
        EXPECT_EQ(collision.bounding_box(c.b, c.a), c.touch) << "swapped";
    }
}

struct placed_case {
    int w1, h1, x1, y1;
    int w2, h2, x2, y2;
    bool box;
    bool pixel;  // both images fully opaque
};

TEST(collision_images, boxes_and_pixels_of_opaque_images) {
    const placed_case cases[] = {
        {10, 10, 0, 0, 10, 10, 10, 0, true, false},  // shared edge: the overlap is 0 wide
        {10, 10, 0, 0, 10, 10, 0, 10, true, false},
        {10, 10, 0, 0, 10, 10, 11, 0, false, false},
        {10, 10, 0, 0, 10, 10, 0, 11, false, false},
        {10, 10, 0, 0, 10, 10, -11, 0, false, false},
        {10, 10, 0, 0, 10, 10, 0, -11, false, false},
        {10, 10, 0, 0, 10, 10, -10, -10, true, false},  // corners meet
        {10, 10, 0, 0, 10, 10, 9, 9, true, true},       // one pixel overlaps
        {10, 10, 0, 0, 10, 10, -9, -9, true, true},
        {5, 5, 17, 12, 40, 40, 0, 0, true, true},
        {40, 40, 0, 0, 5, 5, 17, 12, true, true},
        {3, 20, 100, 100, 20, 3, 91, 110, true, true},  // a cross
        {10, 10, -100, -100, 10, 10, -95, -95, true, true},
    };
    for (const placed_case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.w1 << "x" << c.h1 << " at " << c.x1 << "," << c.y1 << " and " << c.w2
                     << "x" << c.h2 << " at " << c.x2 << "," << c.y2);
        SDL_Surface* a = make_rgba(c.w1, c.h1, 0xFFFFFFFF);
        SDL_Surface* b = make_rgba(c.w2, c.h2, 0x000000FF);
        EXPECT_EQ(collision.bounding_box(a, c.x1, c.y1, b, c.x2, c.y2), c.box);
        EXPECT_EQ(collision.bounding_box(b, c.x2, c.y2, a, c.x1, c.y1), c.box) << "swapped";
        EXPECT_EQ(collision.per_pixel(a, c.x1, c.y1, b, c.x2, c.y2), c.pixel);
        EXPECT_EQ(collision.per_pixel(b, c.x2, c.y2, a, c.x1, c.y1), c.pixel) << "swapped";
        SDL_FreeSurface(a);
        SDL_FreeSurface(b);
    }
}

// Two images that are transparent except for one pixel each; they touch exactly when those
// pixels land on the same screen pixel.
TEST(collision_per_pixel, looks_at_the_overlapping_pixels_only) {
    struct single_pixel_case {
        int w1, h1, x1, y1, px1, py1;
        int w2, h2, x2, y2, px2, py2;
        bool touch;
    };
    const single_pixel_case cases[] = {
        {10, 10, 0, 0, 9, 9, 10, 10, 9, 9, 0, 0, true},    // the single shared pixel
        {10, 10, 0, 0, 8, 9, 10, 10, 9, 9, 0, 0, false},   // next to it
        {5, 5, 20, 15, 2, 2, 40, 40, 0, 0, 22, 17, true},  // small inside big, read from (0,0)
        {5, 5, 20, 15, 0, 0, 40, 40, 0, 0, 20, 15, true},
        {5, 5, 20, 15, 4, 4, 40, 40, 0, 0, 24, 19, true},
        {5, 5, 20, 15, 2, 2, 40, 40, 0, 0, 22, 18, false},
        {5, 5, 23, 18, 0, 0, 40, 40, 0, 0, 22, 17, false},
        {40, 40, 0, 0, 39, 0, 5, 5, 36, -2, 3, 2, true},  // small over the top-right corner
        {40, 40, 0, 0, 39, 0, 5, 5, 36, -2, 2, 2, false},
    };
    for (const single_pixel_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.px1 << "," << c.py1 << " of image 1 at "
                                        << c.x1 << "," << c.y1 << "; pixel " << c.px2 << ","
                                        << c.py2 << " of image 2 at " << c.x2 << "," << c.y2);
        SDL_Surface* a = make_rgba(c.w1, c.h1, 0xFF000000);  // red, alpha 0
        SDL_Surface* b = make_rgba(c.w2, c.h2, 0x00FF0000);
        put_rgba(a, c.px1, c.py1, 0xFF000001);
        put_rgba(b, c.px2, c.py2, 0x00FF0001);
        EXPECT_EQ(collision.per_pixel(a, c.x1, c.y1, b, c.x2, c.y2), c.touch);
        EXPECT_EQ(collision.per_pixel(b, c.x2, c.y2, a, c.x1, c.y1), c.touch) << "swapped";
        SDL_FreeSurface(a);
        SDL_FreeSurface(b);
    }
}

TEST(collision_per_pixel, only_alpha_decides_what_is_solid) {
    SDL_Surface* clear = make_rgba(10, 10, 0xFFFFFF00);  // white, alpha 0
    SDL_Surface* solid = make_rgba(40, 40, 0x000000FF);  // black, alpha 255
    SDL_Surface* no_alpha_black = make_opaque(10, 10, 0x000000);
    SDL_Surface* faint = make_rgba(10, 10, 0x00000001);
    const int positions[][2] = {{0, 0}, {15, 15}, {30, 30}, {-5, -5}, {39, 39}};
    for (const auto& at : positions) {
        SCOPED_TRACE(testing::Message() << "at " << at[0] << "," << at[1]);
        EXPECT_FALSE(collision.per_pixel(clear, at[0], at[1], solid, 0, 0));
        EXPECT_FALSE(collision.per_pixel(solid, 0, 0, clear, at[0], at[1]));
        EXPECT_TRUE(collision.per_pixel(no_alpha_black, at[0], at[1], solid, 0, 0))
            << "without an alpha channel every pixel is solid, black or not";
        EXPECT_TRUE(collision.per_pixel(solid, 0, 0, faint, at[0], at[1]));
        EXPECT_FALSE(collision.per_pixel(clear, at[0], at[1], no_alpha_black, at[0], at[1]));
    }
    SDL_FreeSurface(clear);
    SDL_FreeSurface(solid);
    SDL_FreeSurface(no_alpha_black);
    SDL_FreeSurface(faint);
}

TEST(collision_images, a_missing_image_touches_nothing) {
    SDL_Surface* solid = make_rgba(10, 10, 0xFFFFFFFF);
    std::string printed = capture_stdout([&] {
        EXPECT_FALSE(collision.bounding_box(nullptr, 0, 0, solid, 0, 0));
        EXPECT_FALSE(collision.bounding_box(solid, 0, 0, nullptr, 0, 0));
        EXPECT_FALSE(collision.bounding_box(nullptr, 0, 0, nullptr, 0, 0));
        EXPECT_FALSE(collision.per_pixel(nullptr, 0, 0, solid, 0, 0));
        EXPECT_FALSE(collision.per_pixel(solid, 0, 0, nullptr, 0, 0));
        EXPECT_FALSE(collision.per_pixel(nullptr, 5, 5, nullptr, 5, 5));
    });
    EXPECT_EQ(printed, "");
    SDL_FreeSurface(solid);
}

}  // namespace
