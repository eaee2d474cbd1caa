// player_test.cpp: the base's movement, its shot, lives, icons, bonus life and score text.
#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "fake_sdl.h"
#include "game/player.h"
#include "game/shields.h"
#include "platform/base_ttf.h"
#include "platform/sdl.h"
#include "test_support.h"

using namespace test_support;

namespace {

constexpr uint32_t red = 0xFF0000;
constexpr uint32_t green = 0x00FF00;
constexpr uint32_t blue = 0x0000FF;
constexpr uint32_t white = 0xFFFFFF;

// A sheet of opaque cells side by side, cell i filled with colours[i] (0xRRGGBB).
SDL_Surface* make_sheet(const std::vector<uint32_t>& colours, int cell_w, int cell_h) {
    SDL_Surface* sheet = make_rgba(cell_w * int(colours.size()), cell_h, 0);
    for (size_t i = 0; i < colours.size(); ++i) {
        for (int y = 0; y < cell_h; ++y) {
            for (int x = 0; x < cell_w; ++x) {
                put_rgba(sheet, int(i) * cell_w + x, y, colours[i] << 8 | 0xFF);
            }
        }
    }
    return sheet;
}

int count_colour(SDL_Surface* s, uint32_t colour) {
    int count = 0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            count += rgb_at(s, x, y) == colour;
        }
    }
    return count;
}

// The state init leaves, without the assets, on a screen of the given size. Images that an
// earlier start in the same test gave the player are freed first.
void start_player(int screen_w = 400, int screen_h = 300) {
    fake_sdl::reset(10000);
    ASSERT_NE(open_screen(screen_w, screen_h), nullptr);
    SDL_FillRect(sdl.screen, nullptr, 0);
    free_assets(player.base_image, player.shot_image, player.shot_mask, player.explosion_image,
                player.explosion_mask, player.score_surface);
    player = {};
    player.x = 25;
    player.y = 261;
    player.lives = 3;
    player.alive = 1;
    player.last_shot = 10000;
}

}  // namespace

struct walk_case {
    int screen_w;
    int start_x;
    bool left;
    bool right;
    int frames;
    int expected_x;
};

TEST(player_move, walks_within_the_screen_bounds) {
    const walk_case cases[] = {
        {400, 25, true, false, 100, 1},     // 21, 17, 13, 9, 5, 1 and no further
        {400, 25, false, true, 200, 373},   // 373 + 29 is not below 400
        {1024, 5, true, false, 10, -5},     // a 10-px step passes the bound of 4
        {1024, 25, false, true, 200, 995},  // 995 + 29 is not below 1024
        {400, 25, true, true, 10, 25},      // both keys cancel
        {400, 1, true, true, 1, 5},         // left is stopped by its bound, right is not
        {400, 375, true, true, 1, 371},     // left moves, then right is stopped
    };
    for (const walk_case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "width " << c.screen_w << " from " << c.start_x
                                          << " left " << c.left << " right " << c.right);
        start_player(c.screen_w);
        player.x = c.start_x;
        fake_sdl::keys[SDLK_LEFT] = c.left;
        fake_sdl::keys[SDLK_RIGHT] = c.right;
        for (int i = 0; i < c.frames; ++i) {
            player.move();
        }
        EXPECT_EQ(player.x, c.expected_x);
    }
}

TEST(player_move, left_walk_steps_four_pixels_and_letter_keys_move_too) {
    start_player();
    fake_sdl::press(SDLK_a);
    std::vector<int> seen;
    for (int i = 0; i < 7; ++i) {
        player.move();
        seen.push_back(player.x);
    }
    EXPECT_EQ(seen, (std::vector<int>{21, 17, 13, 9, 5, 1, 1}));
    fake_sdl::release(SDLK_a);
    fake_sdl::press(SDLK_d);
    player.move();
    EXPECT_EQ(player.x, 5);
}

TEST(player_move, destroyed_base_neither_moves_nor_fires) {
    start_player();
    player.alive = 0;
    player.death_ticks = 10000;
    fake_sdl::ticks = 10500;
    fake_sdl::press(SDLK_LEFT);
    fake_sdl::press(SDLK_SPACE);
    player.move();
    EXPECT_EQ(player.x, 25);
    EXPECT_FALSE(player.shot_active);
}

TEST(player_fire, needs_more_than_200_ms_since_the_last_shot) {
    const struct {
        uint32_t since_last;
        bool fires;
    } cases[] = {{0, false}, {200, false}, {201, true}, {5000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.since_last << " ms");
        start_player();
        fake_sdl::ticks = player.last_shot + c.since_last;
        fake_sdl::press(SDLK_SPACE);
        player.move();
        EXPECT_EQ(player.shot_active, c.fires);
        EXPECT_EQ(player.last_shot, c.fires ? fake_sdl::ticks : 10000u);
    }
}

TEST(player_fire, every_fire_key_fires_from_the_base_and_moves_at_once) {
    for (SDLKey key : {SDLK_UP, SDLK_w, SDLK_SPACE}) {
        SCOPED_TRACE(::testing::Message() << "key " << int(key));
        start_player();
        player.x = 100;
        fake_sdl::ticks = 11000;
        fake_sdl::press(key);
        player.move();
        ASSERT_TRUE(player.shot_active);
        EXPECT_EQ(player.shot_x, 112);
        EXPECT_EQ(player.shot_y, 264);  // started at 269, moved 300 / 60 in the same call
    }
}

TEST(player_fire, a_shot_in_flight_blocks_the_next_one) {
    start_player();
    fake_sdl::ticks = 11000;
    fake_sdl::press(SDLK_SPACE);
    player.move();
    ASSERT_TRUE(player.shot_active);
    fake_sdl::ticks = 12000;
    player.x = 200;
    player.move();
    EXPECT_EQ(player.shot_x, 37);
    EXPECT_EQ(player.shot_y, 259);
    EXPECT_EQ(player.last_shot, 11000u);
}

TEST(player_draw, shot_is_drawn_from_the_band_of_its_y) {
    start_player();
    player.shot_image = make_sheet({red, green}, 1, 5);
    player.explosion_ticks = 0;  // long past: no explosion covers the shot
    const struct {
        int y;
        uint32_t colour;
    } cases[] = {{264, red}, {200, red}, {199, green}, {15, green}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "shot y " << c.y);
        SDL_FillRect(sdl.screen, nullptr, 0);
        player.shot_active = true;
        player.shot_x = 150;
        player.shot_y = c.y;
        player.draw();
        EXPECT_EQ(rgb_at(sdl.screen, 150, c.y), c.colour);
        EXPECT_EQ(rgb_at(sdl.screen, 150, c.y + 4), c.colour);
        EXPECT_EQ(rgb_at(sdl.screen, 151, c.y), 0u);
    }
}

TEST(player_shot, bursts_at_the_top_once_it_reaches_y_9) {
    const struct {
        int start_y;
        bool bursts;
    } cases[] = {{14, true}, {15, false}, {10, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "from y " << c.start_y);
        start_player();
        fake_sdl::ticks = 20000;
        player.shot_active = true;
        player.shot_x = 77;
        player.shot_y = c.start_y;
        player.move();
        EXPECT_EQ(player.shot_y, c.start_y - 5);
        EXPECT_EQ(player.shot_active, !c.bursts);
        EXPECT_EQ(player.explosion_ticks, c.bursts ? 20000u : 0u);
        if (c.bursts) {
            EXPECT_EQ(player.explosion_x, 77);
            EXPECT_EQ(player.explosion_y, c.start_y - 5);
        }
    }
}

TEST(player_shot, flies_on_while_the_base_is_destroyed) {
    start_player();
    player.alive = 0;
    player.death_ticks = 10000;
    player.shot_active = true;
    player.shot_x = 50;
    player.shot_y = 100;
    player.move();
    EXPECT_EQ(player.shot_y, 95);
}

// The shot bursts on the bunker and bites the explosion mask out of it, 2 px left of the
// shot and 3 to 5 px above it, as the random draw decides.
TEST(player_shot, bursts_on_a_bunker_and_erodes_it) {
    const int mask_w = 5, mask_h = 7;
    std::vector<bool> offset_seen(3, false);
    for (unsigned seed = 1; seed < 40; ++seed) {
        start_player();
        for (int i = 0; i < shields::count; ++i) {
            replace(shields.bunker[i], make_rgba(44, 32, 0x00FF00FF));
        }
        player.shot_mask = make_rgba(1, 5, 0xFFFFFFFF);
        player.explosion_mask = make_rgba(mask_w, mask_h, 0xFFFFFFFF);
        player.shot_active = true;
        player.shot_x = bunker_x(1) + 10;
        player.shot_y = bunker_y + 20 + 5;  // inside bunker 1 after one step
        srand(seed);
        const int r = rand() % 3;
        srand(seed);
        player.move();

        SCOPED_TRACE(::testing::Message() << "seed " << seed << " r " << r);
        offset_seen[r] = true;
        EXPECT_FALSE(player.shot_active);
        EXPECT_EQ(player.explosion_x, bunker_x(1) + 10);
        EXPECT_EQ(player.explosion_y, bunker_y + 20);
        SDL_Surface* b = shields.bunker[1];
        const int left = 10 - 2, top = 20 - r - 3;
        int holes_under_mask = 0, holes_elsewhere = 0;
        for (int y = 0; y < b->h; ++y) {
            for (int x = 0; x < b->w; ++x) {
                const bool under_mask =
                    x >= left && x < left + mask_w && y >= top && y < top + mask_h;
                const bool hole = alpha_at(b, x, y) == 0;
                holes_under_mask += hole && under_mask;
                holes_elsewhere += hole && !under_mask;
            }
        }
        EXPECT_EQ(holes_under_mask, mask_w * mask_h);
        EXPECT_EQ(holes_elsewhere, 0);
        for (int i : {0, 2, 3}) {
            EXPECT_EQ(solid_count(shields.bunker[i]), 44 * 32) << "bunker " << i;
        }
    }
    EXPECT_EQ(offset_seen, (std::vector<bool>{true, true, true}));
}

TEST(player_shot, passes_through_a_hole_and_missing_surfaces_are_harmless) {
    start_player();
    replace(shields.bunker[0], make_rgba(44, 32, 0));  // all holes
    player.shot_mask = make_rgba(1, 5, 0xFFFFFFFF);
    player.shot_active = true;
    player.shot_x = bunker_x(0) + 5;
    player.shot_y = bunker_y + 20;
    player.move();
    EXPECT_TRUE(player.shot_active);

    replace(player.shot_mask, nullptr);
    replace(shields.bunker[0], make_rgba(44, 32, 0xFFFFFFFF));
    player.move();
    EXPECT_TRUE(player.shot_active);
    EXPECT_EQ(player.shot_y, bunker_y + 10);
}

TEST(player_kill, costs_a_life_and_ends_the_game_at_zero) {
    const struct {
        int lives_before;
        int lives_after;
        uint8_t game_over;
    } cases[] = {{3, 2, 0}, {2, 1, 0}, {1, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.lives_before << " lives");
        start_player();
        player.game_over = 0;
        player.lives = c.lives_before;
        fake_sdl::ticks = 30000;
        player.kill();
        EXPECT_EQ(player.alive, 0);
        EXPECT_EQ(player.death_ticks, 30000u);
        EXPECT_EQ(player.lives, c.lives_after);
        EXPECT_EQ(player.game_over, c.game_over);
    }
}

TEST(player_kill, base_returns_only_after_more_than_1000_ms) {
    start_player();
    fake_sdl::ticks = 30000;
    player.kill();
    fake_sdl::ticks = 31000;
    player.move();
    EXPECT_EQ(player.alive, 0);
    fake_sdl::ticks = 31001;
    player.move();
    EXPECT_EQ(player.alive, 1);
    EXPECT_EQ(player.x, 25);
}

TEST(player_kill, a_hit_while_destroyed_costs_another_life_and_restarts_the_wait) {
    start_player();
    player.lives = 2;
    fake_sdl::ticks = 30000;
    player.kill();
    fake_sdl::ticks = 30800;
    player.kill();
    EXPECT_EQ(player.lives, 0);
    EXPECT_EQ(player.game_over, 1);
    fake_sdl::ticks = 31500;  // more than 1000 ms after the first kill, not the second
    player.move();
    EXPECT_EQ(player.alive, 0);
    fake_sdl::ticks = 31801;
    player.move();
    EXPECT_EQ(player.alive, 1);
}

TEST(player_draw, destroyed_base_flickers_between_its_two_cells) {
    start_player();
    player.base_image = make_sheet({white, red, blue}, 25, 16);
    player.lives = 1;
    player.alive = 0;
    for (unsigned seed = 1; seed < 6; ++seed) {
        for (uint8_t frame : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " frame " << int(frame));
            player.death_frame = frame;
            srand(seed);
            const int next = rand() & 1;
            srand(seed);
            SDL_FillRect(sdl.screen, nullptr, 0);
            player.draw();
            EXPECT_EQ(rgb_at(sdl.screen, 30, 265), frame == 0 ? red : blue);
            EXPECT_EQ(player.death_frame, next);
        }
    }
    player.alive = 1;
    SDL_FillRect(sdl.screen, nullptr, 0);
    player.draw();
    EXPECT_EQ(rgb_at(sdl.screen, 30, 265), white);
}

TEST(player_draw, spare_lives_show_one_icon_fewer_than_the_lives) {
    const struct {
        int lives;
        int icons;
    } cases[] = {{1, 0}, {3, 2}, {4, 3}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.lives << " lives");
        start_player();
        player.base_image = make_sheet({white, red, blue}, 25, 16);
        player.lives = c.lives;
        player.draw();
        for (int i = 0; i < 5; ++i) {
            const uint32_t expected = i < c.icons ? white : 0;
            EXPECT_EQ(rgb_at(sdl.screen, 30 * i, 284), expected) << "icon " << i;
            EXPECT_EQ(rgb_at(sdl.screen, 30 * i + 24, 299), expected) << "icon " << i;
            EXPECT_EQ(rgb_at(sdl.screen, 30 * i + 25, 284), 0u) << "gap after icon " << i;
        }
        EXPECT_EQ(rgb_at(sdl.screen, 0, 283), 0u);
    }
}

TEST(player_draw, explosion_shows_for_200_ms_in_the_cell_of_its_band) {
    start_player();
    player.explosion_image = make_sheet({red, green, blue}, 5, 7);
    player.explosion_x = 100;
    const struct {
        int y;
        uint32_t after;
        uint32_t colour;  // 0: nothing drawn
    } cases[] = {
        {19, 0, blue}, {20, 0, green}, {199, 199, green}, {200, 100, red}, {250, 200, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "y " << c.y << " after " << c.after);
        SDL_FillRect(sdl.screen, nullptr, 0);
        player.explosion_y = c.y;
        player.explosion_ticks = 50000;
        fake_sdl::ticks = 50000 + c.after;
        player.draw();
        EXPECT_EQ(rgb_at(sdl.screen, 100, c.y), c.colour);
        EXPECT_EQ(rgb_at(sdl.screen, 104, c.y + 6), c.colour);
    }
}

TEST(player_bonus, one_life_at_1500_points_once_per_run) {
    const struct {
        int score;
        bool given_before;
        int lives_after;
    } cases[] = {{1499, false, 3}, {1500, false, 4}, {9000, false, 4}, {1500, true, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.score << " points");
        start_player();
        player.score = c.score;
        player.bonus_given = c.given_before;
        player.move();
        EXPECT_EQ(player.lives, c.lives_after);
        EXPECT_EQ(player.bonus_given, c.given_before || c.score >= 1500);
        player.move();
        EXPECT_EQ(player.lives, c.lives_after);
    }
}

TEST(player_score, text_is_rendered_and_replaced_on_each_increase) {
    start_player();
    ASSERT_EQ(TTF_Init(), 0);
    ttf.load_font(&player.font, "Aaargh.ttf", 12);
    ASSERT_NE(player.font, nullptr) << "the staged font is missing from the working folder";
    player.score_surface = SDL_CreateRGBSurface(0, 80, 30, 32, 0, 0, 0, 0);
    SDL_Surface* s = player.score_surface;
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 0, 0));
    player.score = 100;
    player.increase_score(20);
    EXPECT_EQ(player.score, 120);
    const int white_pixels = count_colour(s, white);
    EXPECT_GT(white_pixels, 20);
    EXPECT_EQ(white_pixels + count_colour(s, 0), 80 * 30) << "the old contents were not cleared";
    EXPECT_EQ(rgb_at(s, 79, 29), 0u);
}

TEST(player_score, missing_font_reports_and_leaves_the_box_black) {
    start_player();
    player.font = nullptr;
    player.score_surface = SDL_CreateRGBSurface(0, 80, 30, 32, 0, 0, 0, 0);
    SDL_FillRect(player.score_surface, nullptr, SDL_MapRGB(player.score_surface->format, 9, 9, 9));
    const std::string out = capture_stdout([] { player.increase_score(50); });
    EXPECT_EQ(out, "CRITICAL EXISTANCE FAILURE: Attempting to draw NULL font \n");
    EXPECT_EQ(player.score, 50);
    EXPECT_EQ(rgb_at(player.score_surface, 40, 15), 0u);
}

TEST(player_draw, score_box_sits_at_the_bottom_right_of_any_screen) {
    for (int w : {400, 1024}) {
        SCOPED_TRACE(::testing::Message() << "width " << w);
        start_player(w);
        player.score_surface = SDL_CreateRGBSurface(0, 80, 30, 32, 0, 0, 0, 0);
        SDL_FillRect(player.score_surface, nullptr,
                     SDL_MapRGB(player.score_surface->format, 0, 0, 255));
        player.draw();
        EXPECT_EQ(rgb_at(sdl.screen, w - 80, 285), blue);
        EXPECT_EQ(rgb_at(sdl.screen, w - 1, 299), blue);
        EXPECT_EQ(rgb_at(sdl.screen, w - 81, 285), 0u);
        EXPECT_EQ(rgb_at(sdl.screen, w - 80, 284), 0u);
    }
}

TEST(player_draw, missing_images_report_each_failed_blit) {
    start_player();
    player.shot_active = true;
    player.shot_y = 100;
    player.explosion_ticks = 0;  // long past
    player.lives = 2;
    const std::string out = capture_stdout([] { player.draw(); });
    // Base, shot and one spare icon from sheets, then the score box.
    EXPECT_EQ(out,
              "ERROR: Surface.DrawPartial -> Unable to blit surface \n"
              "ERROR: Surface.DrawPartial -> Unable to blit surface \n"
              "ERROR: Surface.DrawPartial -> Unable to blit surface \n"
              "ERROR: Surface.Draw -> Unable to blit surface \n");
}

TEST(player_init, starts_the_game_state_and_renders_score_zero) {
    fake_sdl::reset(4242);
    ASSERT_NE(open_screen(), nullptr);
    ASSERT_EQ(TTF_Init(), 0);
    capture_stdout([] { player.init(); });
    EXPECT_EQ(player.x, 25);
    EXPECT_EQ(player.y, 261);
    EXPECT_EQ(player.lives, 3);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(player.alive, 1);
    EXPECT_FALSE(player.shot_active);
    EXPECT_FALSE(player.bonus_given);
    EXPECT_EQ(player.last_shot, 4242u);
    ASSERT_NE(player.score_surface, nullptr);
    EXPECT_EQ(player.score_surface->w, 80);
    EXPECT_EQ(player.score_surface->h, 30);
    ASSERT_NE(player.font, nullptr);
    EXPECT_GT(count_colour(player.score_surface, white), 20);
}
