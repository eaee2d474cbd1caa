// fleet_test.cpp: the formation's start-up, reset, drawing and fire.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "fleet_fixture.h"

using namespace fleet_fixture;
using test_support::count_lines;

namespace {

int bullet_count() {
    int count = 0;
    for (bullet* b = fleet_bullet.head; b != nullptr; b = b->next) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(fleet_reset, restores_the_starting_formation_and_restarts_the_clocks) {
    fake_sdl::reset(7000);
    fake_sdl::ticks_per_read = 1;
    invaders.x = 123.5f;
    invaders.y = 201.0f;
    invaders.speed = 40.2f;
    invaders.direction = 1;
    invaders.frame = 1;
    invaders.sound_index = 3;
    invaders.alive_count = 3.0f;
    invaders.fire_delay = 1111;
    invaders.explosion_x = 17;
    invaders.explosion_y = 230;
    invaders.cell[12] = 1;

    invaders.reset();

    EXPECT_EQ(invaders.x, 0.0f);
    EXPECT_EQ(invaders.y, 25.0f);
    EXPECT_EQ(invaders.alive_count, 55.0f);
    EXPECT_EQ(invaders.speed, 0.92727273f);
    EXPECT_EQ(invaders.direction, 0);
    for (int c = 0; c < fleet::columns; ++c) {
        EXPECT_EQ(invaders.column_alive[c], 1) << "column " << c;
        for (int r = 0; r < fleet::rows; ++r) {
            EXPECT_EQ(cell(c, r), 1) << "column " << c << " row " << r;
        }
    }
    EXPECT_EQ(invaders.explosion_x, -50);
    EXPECT_EQ(invaders.explosion_y, -50);
    // Three separate clock readings, in the order explosion, step, fire.
    EXPECT_EQ(invaders.explosion_ticks, 7000u);
    EXPECT_EQ(invaders.last_step, 7001u);
    EXPECT_EQ(invaders.last_fire, 7002u);
    EXPECT_EQ(invaders.fire_delay, 500u);
    // The animation and the march-sound cycle carry on across waves and games.
    EXPECT_EQ(invaders.frame, 1);
    EXPECT_EQ(invaders.sound_index, 3);
}

TEST(fleet_init, loads_the_assets_and_leaves_a_fresh_formation) {
    fake_sdl::reset(300);
    invaders.sound_index = 2;
    invaders.frame = 1;
    invaders.init();

    ASSERT_NE(invaders.sprites, nullptr);
    EXPECT_GE(invaders.sprites->w, 75);
    EXPECT_GE(invaders.sprites->h, 150);
    EXPECT_NE(invaders.shot_mask, nullptr);
    EXPECT_EQ(invaders.sound_index, 0);
    EXPECT_EQ(invaders.frame, 1);
    EXPECT_EQ(invaders.alive_count, 55.0f);
    EXPECT_EQ(invaders.last_step, 300u);
    EXPECT_EQ(fleet_bullet.head, nullptr);
}

TEST(fleet_init, missing_assets_are_named_and_nothing_crashes_afterwards) {
    test_support::enter_scratch_dir();
    fake_sdl::reset(0);
    test_support::open_screen();
    std::string out = test_support::capture_stdout([] { invaders.init(); });
    EXPECT_NE(out.find("IMG/VX-Sprites.png"), std::string::npos) << out;
    EXPECT_NE(out.find("IMG/bullet.png"), std::string::npos) << out;
    EXPECT_EQ(invaders.sprites, nullptr);
    EXPECT_EQ(invaders.shot_mask, nullptr);

    // A whole frame's worth of fleet work with every image missing, including a step, a
    // shot in flight and a bullet, must carry on without touching a null surface.
    player.shot_active = true;
    player.shot_x = 10;
    player.shot_y = 30;
    fake_sdl::ticks = 5000;
    test_support::capture_stdout([] {
        invaders.move();
        invaders.fire();
        invaders.draw();
    });
    EXPECT_EQ(invaders.x, 8.0f);
    EXPECT_EQ(invaders.alive_count, 55.0f);
    EXPECT_TRUE(player.shot_active);
}

struct band_case {
    float y;
    int frame;
    int lower_from_row;  // first row drawn from the lower band; 5 when none is
};

class fleet_draw_bands : public testing::TestWithParam<band_case> {};

TEST_P(fleet_draw_bands, each_row_comes_from_its_kind_frame_and_band) {
    const band_case& k = GetParam();
    set_up();
    invaders.y = k.y;
    invaders.x = 5.0f;
    invaders.frame = k.frame;
    fake_sdl::ticks += 250;  // the reset's parked explosion is over

    invaders.draw();

    for (int r = 0; r < fleet::rows; ++r) {
        int sheet_row = (r + 1) / 2 + (r >= k.lower_from_row ? 3 : 0);
        for (int c : {0, 5, 10}) {
            SCOPED_TRACE(testing::Message() << "row " << r << " column " << c);
            int px = 5 + 30 * c + probe_x;
            int py = static_cast<int>(k.y) + 25 * r + probe_y;
            EXPECT_EQ(screen_rgb(px, py), cell_colour(k.frame, sheet_row));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(row_tops, fleet_draw_bands,
                         testing::Values(band_case{25.0f, 0, 5}, band_case{25.0f, 1, 5},
                                         band_case{100.0f, 0, 5},  // row 4 top at 200
                                         band_case{101.0f, 1, 4},  // row 4 top at 201
                                         band_case{100.5f, 0, 4},  // 200.5 is below the line
                                         band_case{109.0f, 0, 4},  // after the seventh drop
                                         band_case{176.0f, 1, 1}),
                         [](const testing::TestParamInfo<band_case>& info) {
                             return "case_" + std::to_string(info.index) + "_y" +
                                    std::to_string(int(info.param.y)) + "_frame" +
                                    std::to_string(info.param.frame);
                         });

TEST(fleet_draw, dead_invaders_leave_gaps_and_positions_truncate) {
    set_up();
    fake_sdl::ticks += 250;
    invaders.x = 30.9f;
    invaders.y = 40.7f;
    kill_column(0);
    cell(3, 2) = 0;

    invaders.draw();

    // Column 0 is empty, so the first drawn invader stands 30 px right of x.
    EXPECT_EQ(screen_rgb(30 + probe_x, 40 + probe_y), 0u);
    EXPECT_EQ(screen_rgb(60 + probe_x, 40 + probe_y), cell_colour(0, 0));
    EXPECT_EQ(screen_rgb(120 + probe_x, 90 + probe_y), 0u);
    EXPECT_EQ(screen_rgb(120 + probe_x, 65 + probe_y), cell_colour(0, 1));
    // trunc(30.9 + 60) = 90 and trunc(40.7) = 40: the opaque square's corner lands at
    // (94, 44), so the pixel one to the left and one above must stay black.
    EXPECT_EQ(screen_rgb(94, 44), cell_colour(0, 0));
    EXPECT_EQ(screen_rgb(93, 44), 0u);
    EXPECT_EQ(screen_rgb(94, 43), 0u);
}

struct explosion_case {
    int32_t y;
    uint32_t hit_at;
    uint32_t elapsed;
    bool shown;
    int sheet_row;
};

class fleet_draw_explosion : public testing::TestWithParam<explosion_case> {};

TEST_P(fleet_draw_explosion, shows_for_250_ms_from_the_band_of_its_y) {
    const explosion_case& k = GetParam();
    set_up();
    kill_all();
    invaders.explosion_x = 150;
    invaders.explosion_y = k.y;
    invaders.explosion_ticks = k.hit_at;
    fake_sdl::ticks = k.hit_at + k.elapsed;

    invaders.draw();

    uint32_t expected = k.shown ? cell_colour(2, k.sheet_row) : 0u;
    EXPECT_EQ(screen_rgb(150, k.y), expected);
    EXPECT_EQ(screen_rgb(174, k.y + 24), expected);
}

INSTANTIATE_TEST_SUITE_P(window_and_band, fleet_draw_explosion,
                         testing::Values(explosion_case{200, 5000, 0, true, 0},
                                         explosion_case{201, 5000, 0, true, 3},
                                         explosion_case{100, 5000, 249, true, 0},
                                         explosion_case{100, 5000, 250, false, 0},
                                         explosion_case{230, 5000, 1000, false, 3},
                                         // The clock wraps between the hit and the draw.
                                         explosion_case{100, 0xFFFFFF80u, 0xC0, true, 0},
                                         explosion_case{100, 0xFFFFFF80u, 0x100, false, 0}),
                         [](const testing::TestParamInfo<explosion_case>& info) {
                             return "y" + std::to_string(info.param.y) + "_after_" +
                                    std::to_string(info.param.elapsed) + "_ms_" +
                                    std::to_string(info.index);
                         });

TEST(fleet_draw, a_missing_sheet_reports_one_blit_error_per_copy) {
    test_support::open_screen();
    fake_sdl::reset(1000);
    invaders.reset();
    invaders.sprites = nullptr;
    cell(4, 4) = 0;
    const std::string error = "ERROR: Surface.DrawPartial -> Unable to blit surface \n";

    std::string during = test_support::capture_stdout([] { invaders.draw(); });
    fake_sdl::ticks += 250;
    std::string after = test_support::capture_stdout([] { invaders.draw(); });

    EXPECT_EQ(count_lines(during, error), 55);  // 54 invaders and the parked explosion
    EXPECT_EQ(count_lines(after, error), 54);
    EXPECT_EQ(after.size(), 54 * error.size());
}

TEST(fleet_fire, only_once_strictly_more_than_the_delay_has_passed) {
    struct fire_case {
        uint32_t last_fire;
        uint32_t delay;
        uint32_t now;
        bool fires;
    };
    const fire_case cases[] = {
        {5000, 500, 5500, false},         {5000, 500, 5501, true},
        {5000, 1199, 6199, false},        {5000, 1199, 6200, true},
        {5000, 500, 4000, true},  // a reading before last_fire is a huge unsigned difference
        {0xFFFFFF00u, 500, 0xF4u, false}, {0xFFFFFF00u, 500, 0xF5u, true},
    };
    for (const fire_case& k : cases) {
        SCOPED_TRACE(testing::Message()
                     << "last " << k.last_fire << " delay " << k.delay << " now " << k.now);
        set_up();
        fleet_bullet.reset();
        invaders.last_fire = k.last_fire;
        invaders.fire_delay = k.delay;
        fake_sdl::ticks = k.now;

        invaders.fire();

        EXPECT_EQ(bullet_count(), k.fires ? 1 : 0);
        EXPECT_EQ(invaders.last_fire, k.fires ? k.now : k.last_fire);
        if (k.fires) {
            EXPECT_GE(invaders.fire_delay, 500u);
            EXPECT_LE(invaders.fire_delay, 1199u);
        } else {
            EXPECT_EQ(invaders.fire_delay, k.delay);
        }
    }
}

TEST(fleet_fire, draws_a_new_delay_from_500_to_1199_each_time) {
    set_up();
    std::srand(7);
    std::set<uint32_t> delays;
    for (int shot = 0; shot < 200; ++shot) {
        fake_sdl::ticks = invaders.last_fire + invaders.fire_delay + 1;
        invaders.fire();
        ASSERT_GE(invaders.fire_delay, 500u);
        ASSERT_LE(invaders.fire_delay, 1199u);
        delays.insert(invaders.fire_delay);
    }
    EXPECT_EQ(bullet_count(), 200);
    EXPECT_GT(delays.size(), 50u);
}

struct start_case {
    float x;
    float y;
    int column;
    std::vector<int> dead_rows;
    int32_t bullet_x;
    int32_t bullet_y;
};

class fleet_fire_start : public testing::TestWithParam<start_case> {};

TEST_P(fleet_fire_start, from_the_lowest_live_invader_of_the_only_live_column) {
    const start_case& k = GetParam();
    set_up();
    for (int c = 0; c < fleet::columns; ++c) {
        if (c != k.column) {
            kill_column(c);
        }
    }
    for (int r : k.dead_rows) {
        cell(k.column, r) = 0;
    }
    invaders.x = k.x;
    invaders.y = k.y;
    fake_sdl::ticks += 501;

    invaders.fire();

    ASSERT_NE(fleet_bullet.tail, nullptr);
    EXPECT_EQ(fleet_bullet.tail->x, k.bullet_x);
    EXPECT_EQ(fleet_bullet.tail->y, k.bullet_y);
}

INSTANTIATE_TEST_SUITE_P(positions, fleet_fire_start,
                         testing::Values(start_case{0.0f, 25.0f, 3, {}, 102, 150},
                                         start_case{0.75f, 25.0f, 3, {}, 102, 150},
                                         start_case{0.0f, 25.0f, 3, {4}, 102, 125},
                                         start_case{0.0f, 25.0f, 3, {1, 3, 4}, 102, 100},
                                         start_case{0.0f, 25.0f, 0, {1, 2, 3, 4}, 12, 50},
                                         start_case{200.0f, 73.5f, 10, {}, 512, 198},
                                         // Truncation goes toward zero: -8.5 becomes -8, not -9.
                                         start_case{-20.5f, 25.0f, 0, {}, -8, 150}),
                         [](const testing::TestParamInfo<start_case>& info) {
                             return "column" + std::to_string(info.param.column) + "_case" +
                                    std::to_string(info.index);
                         });

TEST(fleet_fire, only_live_columns_fire) {
    set_up();
    std::srand(11);
    for (int c = 0; c < fleet::columns; ++c) {
        if (c != 2 && c != 7) {
            kill_column(c);
        }
    }
    std::set<int32_t> xs;
    for (int shot = 0; shot < 100; ++shot) {
        fake_sdl::ticks = invaders.last_fire + invaders.fire_delay + 1;
        invaders.fire();
    }
    for (bullet* b = fleet_bullet.head; b != nullptr; b = b->next) {
        xs.insert(b->x);
    }
    EXPECT_EQ(bullet_count(), 100);
    EXPECT_EQ(xs, (std::set<int32_t>{72, 222}));
}

// The order of the draws is part of every replay: first the column, drawn again until a live
// one comes up, then the delay. Swapping them would still fire from live columns with delays
// in range, so only the sequence itself shows it.
TEST(fleet_fire, draws_the_column_first_and_the_delay_after_it) {
    set_up();
    const std::set<int> live = {2, 7, 9};
    for (int c = 0; c < fleet::columns; ++c) {
        if (live.count(c) == 0) {
            kill_column(c);
        }
    }
    int swap_would_show = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::srand(seed);
        int column = std::rand() % fleet::columns;
        while (live.count(column) == 0) {
            column = std::rand() % fleet::columns;
        }
        const uint32_t delay = uint32_t(std::rand() % 700 + 500);
        const int after = std::rand();

        std::srand(seed);
        const uint32_t swapped_delay = uint32_t(std::rand() % 700 + 500);
        swap_would_show += swapped_delay != delay;

        std::srand(seed);
        fleet_bullet.reset();
        fake_sdl::ticks = invaders.last_fire + invaders.fire_delay + 1;
        invaders.fire();
        ASSERT_NE(fleet_bullet.tail, nullptr);
        // The formation stands at x 0; columns are 30 px apart, the bullet 12 px in.
        EXPECT_EQ(fleet_bullet.tail->x, 30 * column + 12);
        EXPECT_EQ(invaders.fire_delay, delay);
        EXPECT_EQ(std::rand(), after) << "no other draw was made";
    }
    EXPECT_GT(swap_would_show, 0);
}
