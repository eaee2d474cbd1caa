// text_test.cpp: the text service: start-up lines, fonts, formatted rendering at a position,
// colours, and the texts it cannot draw.
#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/base_ttf.h"
#include "test_support.h"

using namespace test_support;

namespace {

constexpr uint32_t background = 0x000000;

class text_service : public testing::Test {
protected:
    TTF_Font* font = nullptr;

    void SetUp() override {
        ASSERT_EQ(TTF_Init(), 0);
        font = TTF_OpenFont("Aaargh.ttf", 12);
        ASSERT_NE(font, nullptr) << "the staged font in the working folder";
    }
    void TearDown() override {
        if (font != nullptr) {
            TTF_CloseFont(font);
        }
        TTF_Quit();
    }
};

// What the library draws for `text` at (x, y), to compare with.
SDL_Surface* reference(TTF_Font* font, const char* text, SDL_Color colour, int x, int y) {
    SDL_Surface* dst = make_opaque(200, 60, background);
    SDL_Surface* rendered = TTF_RenderText_Solid(font, text, colour);
    SDL_Rect to = {Sint16(x), Sint16(y), 0, 0};
    SDL_BlitSurface(rendered, nullptr, dst, &to);
    SDL_FreeSurface(rendered);
    return dst;
}

TEST(text_init, prints_its_start_and_success) {
    std::string printed = capture_stdout([] { ttf.init(); });
    EXPECT_EQ(printed,
              "DEBUG:  Attempting to Init SDL_TTF \n"
              "DEBUG:  SDL_TTF Initialized sucessfully \n");
    EXPECT_NE(TTF_WasInit(), 0);
    ttf.cleanup();
    EXPECT_EQ(TTF_WasInit(), 0);
}

TEST(text_load_font, stores_the_handle_or_null_with_a_message) {
    ASSERT_EQ(TTF_Init(), 0);
    TTF_Font* font = reinterpret_cast<TTF_Font*>(1);
    std::string printed = capture_stdout([&] { ttf.load_font(&font, "No_Such_Font.ttf", 12); });
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(printed, "CRITICAL EXISTANCE FAILURE: TTF Failed to Load: No_Such_Font.ttf\n");

    printed = capture_stdout([&] { ttf.load_font(&font, "Aaargh.ttf", 18); });
    EXPECT_EQ(printed, "");
    ASSERT_NE(font, nullptr);
    EXPECT_GT(TTF_FontHeight(font), 12);
    TTF_CloseFont(font);
    TTF_Quit();
}

TEST_F(text_service, a_null_font_prints_and_draws_nothing) {
    SDL_Surface* dst = make_opaque(100, 40, background);
    std::vector<uint8_t> before = pixel_bytes(dst);
    std::string printed = capture_stdout(
        [&] { ttf.text_render(dst, 0, 0, nullptr, 255, 255, 255, 0, "SCORE: %i", 120); });
    EXPECT_EQ(printed, "CRITICAL EXISTANCE FAILURE: Attempting to draw NULL font \n");
    EXPECT_EQ(pixel_bytes(dst), before);
    SDL_FreeSurface(dst);
}

TEST_F(text_service, an_empty_text_prints_the_render_failure_and_draws_nothing) {
    SDL_Surface* dst = make_opaque(100, 40, background);
    std::vector<uint8_t> before = pixel_bytes(dst);
    std::string printed =
        capture_stdout([&] { ttf.text_render(dst, 0, 0, font, 255, 255, 255, 0, "%s", ""); });
    EXPECT_EQ(printed, "CRITICAL EXISTANCE FAILURE: TTF Failed to Render: \n");
    EXPECT_EQ(pixel_bytes(dst), before);
    SDL_FreeSurface(dst);
}

TEST_F(text_service, draws_the_expanded_text_with_its_corner_at_the_position) {
    const int positions[][2] = {{37, 21}, {0, 0}, {150, 45}, {-4, -3}};
    const SDL_Color white = {255, 255, 255, 0};
    for (const auto& at : positions) {
        const int x = at[0];
        const int y = at[1];
        SCOPED_TRACE(testing::Message() << "at " << x << ", " << y);
        SDL_Surface* dst = make_opaque(200, 60, background);
        std::string printed = capture_stdout(
            [&] { ttf.text_render(dst, x, y, font, 255, 255, 255, 0, "SCORE: %i", 120); });
        EXPECT_EQ(printed, "");
        SDL_Surface* expected = reference(font, "SCORE: 120", white, x, y);
        EXPECT_EQ(pixel_bytes(dst), pixel_bytes(expected));
        int drawn = 0;
        int misplaced = 0;
        for (int py = 0; py < dst->h; ++py) {
            for (int px = 0; px < dst->w; ++px) {
                if (rgb_at(dst, px, py) != background) {
                    ++drawn;
                    misplaced += px < x || py < y;
                }
            }
        }
        EXPECT_GT(drawn, 20);
        EXPECT_EQ(misplaced, 0);
        SDL_FreeSurface(expected);
        SDL_FreeSurface(dst);
    }
}

TEST_F(text_service, keeps_the_low_eight_bits_of_each_colour_argument) {
    struct colour_case {
        int r, g, b, fourth;
        uint32_t rgb;
    };
    const colour_case cases[] = {
        {511, 256, 255, 0, 0xFF00FF},
        {-1, 0x140, 0x210, 255, 0xFF4010},
        {0x12, 0x34, 0x56, 0x7FFF, 0x123456},
    };
    for (const colour_case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << ", " << c.g << ", " << c.b);
        SDL_Surface* dst = make_opaque(100, 40, background);
        ttf.text_render(dst, 2, 2, font, c.r, c.g, c.b, c.fourth, "%s", "Vexlorn");
        int drawn = 0;
        int other = 0;
        for (int py = 0; py < dst->h; ++py) {
            for (int px = 0; px < dst->w; ++px) {
                uint32_t colour = rgb_at(dst, px, py);
                drawn += colour == c.rgb;
                other += colour != c.rgb && colour != background;
            }
        }
        EXPECT_GT(drawn, 20);
        EXPECT_EQ(other, 0);
        SDL_FreeSurface(dst);
    }
}

TEST_F(text_service, a_very_long_expansion_stays_within_its_buffer) {
    const std::string long_text(5000, 'W');
    SDL_Surface* dst = make_opaque(200, 60, background);
    std::string printed = capture_stdout([&] {
        ttf.text_render(dst, 0, 0, font, 255, 255, 255, 0, "%s", long_text.c_str());
        ttf.text_render(dst, 0, 20, font, 255, 255, 255, 0, "%s%s%d", long_text.c_str(),
                        long_text.c_str(), 7);
    });
    // Either drawn or refused by the library, but never more than 1023 characters of it.
    const std::string prefix = "CRITICAL EXISTANCE FAILURE: TTF Failed to Render: ";
    size_t start = 0;
    while (start < printed.size()) {
        size_t end = printed.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        std::string line = printed.substr(start, end - start);
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line.substr(0, 80);
        std::string text = line.substr(prefix.size());
        EXPECT_LE(text.size(), 1023u);
        EXPECT_EQ(text.find_first_not_of('W'), std::string::npos);
        start = end + 1;
    }
    SDL_FreeSurface(dst);
}

}  // namespace
