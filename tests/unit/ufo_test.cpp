// ufo_test.cpp: the mystery ship's waits, flights, exit, hits, explosion and reset.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "fake_sdl.h"
#include "game/player.h"
#include "game/ufo.h"
#include "platform/mixer_base.h"
#include "platform/sdl.h"
#include "test_support.h"

using namespace test_support;

namespace {

constexpr int ship_w = 30;
constexpr int ship_h = 14;
constexpr uint32_t ship_colour = 0xFF00FF;
constexpr uint32_t blast_colour = 0xFFFF00;

SDL_Surface* make_image(int w, int h, uint32_t rgb) {
    return make_rgba(w, h, rgb << 8 | 0xFF);
}

uint32_t next_wait_for(unsigned seed) {
    srand(seed);
    const uint32_t wait = rand() % 5000 + 5000;
    srand(seed);
    return wait;
}

// The fixture images, owned here because tests clear the ship's fields; each start frees
// those of the one before.
surface_holder ship_image;
surface_holder blast_image;

// A ship waiting since `since` for `wait` ms, with fixture images, on a screen of width w.
void start_ufo(uint32_t since, uint32_t wait, int w = 400) {
    fake_sdl::reset(since);
    ASSERT_NE(open_screen(w, 300), nullptr);
    SDL_FillRect(sdl.screen, nullptr, 0);
    ufo = {};
    player = {};
    ship_image.reset(make_image(ship_w, ship_h, ship_colour));
    blast_image.reset(make_image(ship_w, ship_h, blast_colour));
    ufo.image = ship_image.get();
    ufo.explosion_image = blast_image.get();
    ufo.wait_start = since;
    ufo.wait = wait;
}

void fly_at(int x) {
    ufo.active = true;
    ufo.x = x;
    ufo.y = 0;
}

void aim_shot(int x, int y) {
    player.shot_active = true;
    player.shot_x = x;
    player.shot_y = y;
}

// Opens the audio device on the dummy driver and gives the ship a flight sound that loops,
// so that the test can see channel 1 start and stop.
void open_audio() {
    capture_stdout([] {
        mixer.init();
        mixer.reserve_channels(4);
    });
    ASSERT_GT(mixer.sfx_volume, 0) << "no audio device on the dummy driver";
    static Uint8 silence[4096];
    ufo.fly_sound = Mix_QuickLoad_RAW(silence, sizeof silence);
    ufo.hit_sound = Mix_QuickLoad_RAW(silence, sizeof silence);
}

}  // namespace

TEST(ufo_init, draws_a_wait_of_5_to_10_seconds_from_now) {
    fake_sdl::reset(1234);
    ASSERT_NE(open_screen(), nullptr);
    const uint32_t expected = next_wait_for(99);
    capture_stdout([] { ufo.init(); });
    EXPECT_EQ(ufo.wait, expected);
    EXPECT_EQ(ufo.wait_start, 1234u);
    EXPECT_FALSE(ufo.active);
    EXPECT_FALSE(ufo.exploding);
    std::set<uint32_t> waits;
    for (unsigned seed = 0; seed < 300; ++seed) {
        srand(seed);
        free_assets(ufo.image, ufo.explosion_image, ufo.fly_sound, ufo.hit_sound);
        capture_stdout([] { ufo.init(); });
        EXPECT_GE(ufo.wait, 5000u);
        EXPECT_LE(ufo.wait, 9999u);
        waits.insert(ufo.wait);
    }
    EXPECT_GT(waits.size(), 250u);
}

TEST(ufo_move, first_flight_starts_after_more_than_the_wait_at_x_1) {
    start_ufo(1000, 6000);
    open_audio();
    fake_sdl::ticks = 7000;
    ufo.move();
    EXPECT_FALSE(ufo.active);
    EXPECT_EQ(ufo.x, 0);
    EXPECT_EQ(Mix_Playing(1), 0);

    fake_sdl::ticks = 7001;
    ufo.move();
    EXPECT_TRUE(ufo.active);
    EXPECT_EQ(ufo.x, 1);
    EXPECT_EQ(ufo.y, 0);
    EXPECT_NE(Mix_Playing(1), 0);
    EXPECT_EQ(Mix_Volume(1, -1), 12);

    ufo.draw();
    EXPECT_EQ(rgb_at(sdl.screen, 1, 0), ship_colour);
    EXPECT_EQ(rgb_at(sdl.screen, ship_w, ship_h - 1), ship_colour);
    EXPECT_EQ(rgb_at(sdl.screen, 0, 0), 0u);
    EXPECT_EQ(rgb_at(sdl.screen, 1, ship_h), 0u);

    ufo.move();
    EXPECT_EQ(ufo.x, 2);
}

TEST(ufo_move, a_flight_ends_once_x_passes_the_screen_width) {
    start_ufo(1000, 6000, 640);
    open_audio();
    fake_sdl::ticks = 7001;
    ufo.move();
    ASSERT_TRUE(ufo.active);
    ufo.image = nullptr;  // a failed blit is how the test sees that a draw was attempted
    fly_at(640);
    fake_sdl::ticks = 20000;
    ufo.move();
    EXPECT_TRUE(ufo.active);
    EXPECT_EQ(ufo.x, 641);
    EXPECT_EQ(capture_stdout([] { ufo.draw(); }),
              "ERROR: Surface.Draw -> Unable to blit surface \n");
    EXPECT_NE(Mix_Playing(1), 0);

    const uint32_t new_wait = next_wait_for(5);
    fake_sdl::ticks = 20017;
    ufo.move();
    EXPECT_FALSE(ufo.active);
    EXPECT_EQ(ufo.x, 642);
    EXPECT_EQ(ufo.wait, new_wait);
    EXPECT_EQ(ufo.wait_start, 20017u);
    EXPECT_EQ(Mix_Playing(1), 0);
    EXPECT_EQ(capture_stdout([] { ufo.draw(); }), "");

    fake_sdl::ticks = 20017 + new_wait;
    ufo.move();
    EXPECT_FALSE(ufo.active);
    fake_sdl::ticks += 1;
    ufo.move();
    EXPECT_TRUE(ufo.active);
    EXPECT_EQ(ufo.x, 1);
}

// The shot's 1 x 5 box and the ship's box are closed intervals: a shared edge is a hit.
TEST(ufo_hit, shot_boxes_that_touch_the_ship_hit_it) {
    const int ship_x = 100;  // after the move's step
    const struct {
        int dx;
        int y;
        bool hits;
    } cases[] = {
        {-1, 0, true},          {ship_w, 0, true},       {-2, 0, false},
        {ship_w + 1, 0, false}, {10, -5, true},          {10, -6, false},
        {10, ship_h, true},     {10, ship_h + 1, false}, {0, 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "shot at x + " << c.dx << ", y " << c.y);
        start_ufo(1000, 6000);
        fly_at(ship_x - 1);
        aim_shot(ship_x + c.dx, c.y);
        capture_stdout([] { ufo.move(); });
        EXPECT_EQ(ufo.exploding, c.hits);
        EXPECT_EQ(ufo.active, !c.hits);
        EXPECT_EQ(player.shot_active, !c.hits);
        EXPECT_EQ(player.score > 0, c.hits);
    }
}

TEST(ufo_hit, pays_50_to_250_in_steps_of_50_ends_the_shot_and_keeps_the_wait) {
    std::set<int> bonuses;
    for (unsigned seed = 1; seed < 60; ++seed) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        start_ufo(1000, 7777);
        fly_at(199);
        player.score = 40;
        aim_shot(210, 3);
        fake_sdl::ticks = 30000;
        srand(seed);
        capture_stdout([] { ufo.move(); });
        EXPECT_FALSE(ufo.active);
        EXPECT_TRUE(ufo.exploding);
        EXPECT_FALSE(player.shot_active);
        EXPECT_EQ(player.score, 40 + ufo.bonus);
        EXPECT_EQ(ufo.bonus % 50, 0);
        EXPECT_GE(ufo.bonus, 50);
        EXPECT_LE(ufo.bonus, 250);
        EXPECT_EQ(ufo.explosion_x, 200);
        EXPECT_EQ(ufo.explosion_y, 0);
        EXPECT_EQ(ufo.explosion_start, 30000u);
        EXPECT_EQ(ufo.wait_start, 30000u);
        EXPECT_EQ(ufo.wait, 7777u);
        bonuses.insert(ufo.bonus);
    }
    EXPECT_EQ(bonuses, (std::set<int>{50, 100, 150, 200, 250}));
}

TEST(ufo_hit, halts_the_flight_sound_and_the_next_flight_waits_as_long) {
    start_ufo(1000, 6000);
    open_audio();
    fake_sdl::ticks = 7001;
    ufo.move();
    ASSERT_NE(Mix_Playing(1), 0);
    aim_shot(ufo.x + 5, 5);
    fake_sdl::ticks = 8000;
    capture_stdout([] { ufo.move(); });
    ASSERT_TRUE(ufo.exploding);
    EXPECT_EQ(Mix_Playing(1), 0);

    fake_sdl::ticks = 14000;
    ufo.move();
    EXPECT_FALSE(ufo.active);
    fake_sdl::ticks = 14001;
    ufo.move();
    EXPECT_TRUE(ufo.active);
}

TEST(ufo_hit, the_exit_call_still_tests_the_shot_beyond_the_edge) {
    start_ufo(1000, 6000, 640);
    fly_at(641);
    aim_shot(642, 0);
    capture_stdout([] { ufo.move(); });
    EXPECT_TRUE(ufo.exploding);
    EXPECT_EQ(ufo.explosion_x, 642);
    EXPECT_FALSE(player.shot_active);
}

TEST(ufo_draw, explosion_shows_for_200_ms_while_the_ship_waits) {
    const struct {
        bool active;
        bool exploding;
        uint32_t after;
        uint32_t colour;
    } cases[] = {
        {false, true, 0, blast_colour}, {false, true, 199, blast_colour}, {false, true, 200, 0},
        {false, false, 50, 0},          {true, true, 50, ship_colour},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "active " << c.active << " exploding " << c.exploding
                                          << " after " << c.after);
        start_ufo(1000, 6000);
        ufo.active = c.active;
        ufo.x = 100;
        ufo.exploding = c.exploding;
        ufo.explosion_x = 100;
        ufo.explosion_y = 0;
        ufo.explosion_start = 40000;
        fake_sdl::ticks = 40000 + c.after;
        ufo.draw();
        EXPECT_EQ(rgb_at(sdl.screen, 100, 0), c.colour);
        EXPECT_EQ(rgb_at(sdl.screen, 100 + ship_w - 1, ship_h - 1), c.colour);
    }
}

TEST(ufo_reset, sends_a_flying_ship_back_to_the_left_edge) {
    start_ufo(1000, 6000);
    fly_at(300);
    fake_sdl::ticks = 50000;
    ufo.reset();
    EXPECT_TRUE(ufo.active);
    EXPECT_EQ(ufo.x, 0);
    EXPECT_EQ(ufo.y, 0);
    EXPECT_EQ(ufo.wait_start, 50000u);
    EXPECT_EQ(ufo.wait, 6000u);
    ufo.move();
    EXPECT_TRUE(ufo.active);
    EXPECT_EQ(ufo.x, 1);
}

TEST(ufo_reset, a_waiting_ship_counts_its_wait_again_from_the_reset) {
    start_ufo(1000, 6000);
    ufo.exploding = true;
    fake_sdl::ticks = 5000;
    ufo.reset();
    EXPECT_TRUE(ufo.exploding);
    fake_sdl::ticks = 7001;  // past the old deadline
    ufo.move();
    EXPECT_FALSE(ufo.active);
    fake_sdl::ticks = 11000;
    ufo.move();
    EXPECT_FALSE(ufo.active);
    fake_sdl::ticks = 11001;
    ufo.move();
    EXPECT_TRUE(ufo.active);
}

TEST(ufo_missing_image, cannot_be_hit_and_reports_each_draw) {
    start_ufo(1000, 6000);
    ufo.image = nullptr;
    fly_at(99);
    aim_shot(105, 3);
    ufo.move();
    EXPECT_TRUE(ufo.active);
    EXPECT_FALSE(ufo.exploding);
    EXPECT_TRUE(player.shot_active);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(capture_stdout([] { ufo.draw(); }),
              "ERROR: Surface.Draw -> Unable to blit surface \n");
}
