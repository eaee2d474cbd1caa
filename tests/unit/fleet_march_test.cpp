// fleet_march_test.cpp: the march step and its timing, the turns at the screen edges, the
// bunker erosion, the new wave and the invasion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fleet_fixture.h"

using namespace fleet_fixture;

namespace {

// Moves the clock just far enough for the next step at the reset speed and takes it.
void step() {
    fake_sdl::ticks = invaders.last_step + 1079;
    invaders.move();
}

struct position {
    float x;
    float y;
};

}  // namespace

struct timing_case {
    float speed;
    uint32_t last_step;
    uint32_t first_due;  // the smallest elapsed time that takes a step
};

class fleet_step_timing : public testing::TestWithParam<timing_case> {};

TEST_P(fleet_step_timing, a_step_needs_strictly_more_than_1000_over_speed_ms) {
    const timing_case& k = GetParam();
    set_up();
    invaders.speed = k.speed;
    invaders.last_step = k.last_step;

    fake_sdl::ticks = k.last_step + k.first_due - 1;
    invaders.move();
    EXPECT_EQ(invaders.x, 0.0f);
    EXPECT_EQ(invaders.last_step, k.last_step);

    fake_sdl::ticks = k.last_step + k.first_due;
    invaders.move();
    EXPECT_EQ(invaders.x, 8.0f);
    EXPECT_EQ(invaders.last_step, k.last_step + k.first_due);
}

INSTANTIATE_TEST_SUITE_P(
    speeds, fleet_step_timing,
    testing::Values(timing_case{0.92727273f, 5000, 1079},  // 55 alive: more than 1078.43
                    timing_case{0.94074076f, 5000, 1063},  // 54 alive: more than 1062.99
                    timing_case{1.0f, 5000, 1001},         // 50 alive: exactly 1000 is not enough
                    timing_case{1.2f, 5000, 834}, timing_case{40.2f, 5000, 25},
                    // The step falls due after the clock wraps at 2^32.
                    timing_case{0.92727273f, 0xFFFFFE00u, 1079},
                    timing_case{1.0f, 0xFFFFFFFFu, 1001}),
    [](const testing::TestParamInfo<timing_case>& info) {
        return "due_at_" + std::to_string(info.param.first_due) + "_ms_case" +
               std::to_string(info.index);
    });

TEST(fleet_march, a_step_toggles_the_frame_and_cycles_the_march_sounds) {
    set_up();
    invaders.sound_index = 2;
    const int expected_sound[] = {3, 0, 1, 2, 3};
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(n);
        fake_sdl::ticks_per_read = 0;
        uint32_t due = invaders.last_step + 1079;
        fake_sdl::ticks = due;
        fake_sdl::ticks_per_read = 3;  // the step clock takes its own, later reading
        invaders.move();
        EXPECT_EQ(invaders.frame, (n + 1) % 2);
        EXPECT_EQ(invaders.sound_index, expected_sound[n]);
        EXPECT_EQ(invaders.last_step, due + 3);
    }
}

TEST(fleet_march, worked_example_on_a_400_px_screen) {
    set_up();
    std::vector<position> expected;
    float y = 25.0f;
    // Five full sweeps: nine steps each way, turns at 72 and -2 that snap to 70 and 0.
    for (int sweep = 0; sweep < 5; ++sweep) {
        for (int n = 1; n <= 8; ++n) {
            expected.push_back({8.0f * n, y});
        }
        y += 12.0f;
        expected.push_back({70.0f, y});
        for (int n = 1; n <= 8; ++n) {
            expected.push_back({70.0f - 8.0f * n, y});
        }
        y += 12.0f;
        expected.push_back({0.0f, y});
    }
    ASSERT_EQ(expected.back().y, 145.0f);  // ten drops, row 4 at 245

    for (size_t n = 0; n < expected.size(); ++n) {
        SCOPED_TRACE(testing::Message() << "step " << n + 1);
        step();
        ASSERT_EQ(invaders.x, expected[n].x);
        ASSERT_EQ(invaders.y, expected[n].y);
        ASSERT_EQ(player.game_over, 0);
    }
    EXPECT_EQ(invaders.direction, 0);

    // The eleventh drop brings row 4's top to 257: the game ends at that step, not before.
    for (int n = 1; n <= 8; ++n) {
        step();
        EXPECT_EQ(player.game_over, 0);
    }
    step();
    EXPECT_EQ(invaders.x, 70.0f);
    EXPECT_EQ(invaders.y, 157.0f);
    EXPECT_EQ(player.game_over, 1);
}

struct turn_case {
    std::vector<int> dead_columns;
    int screen_width;
    float start_x;
    uint8_t start_direction;
    int steps_to_turn;
    float snapped_x;
};

class fleet_turns : public testing::TestWithParam<turn_case> {};

TEST_P(fleet_turns, at_the_outermost_live_column_with_a_drop_and_a_snap) {
    const turn_case& k = GetParam();
    set_up(1000, k.screen_width);
    for (int c : k.dead_columns) {
        kill_column(c);
    }
    invaders.x = k.start_x;
    invaders.direction = k.start_direction;
    float step_x = k.start_direction == 0 ? 8.0f : -8.0f;

    for (int n = 1; n < k.steps_to_turn; ++n) {
        step();
        ASSERT_EQ(invaders.x, k.start_x + step_x * n) << "step " << n;
        ASSERT_EQ(invaders.y, 25.0f);
        ASSERT_EQ(invaders.direction, k.start_direction);
    }
    step();
    EXPECT_EQ(invaders.x, k.snapped_x);
    EXPECT_EQ(invaders.y, 37.0f);
    EXPECT_EQ(invaders.direction, 1 - k.start_direction);
}

INSTANTIATE_TEST_SUITE_P(
    edges, fleet_turns,
    testing::Values(
        // Columns 0 to 2 shot away (L = 3): -88 + 90 > 0 goes on, -96 turns and snaps to -90.
        turn_case{{0, 1, 2}, 400, 0.0f, 1, 12, -90.0f},
        // Columns 8 to 10 shot away (R = 7): 160 + 240 touches 400 exactly and turns.
        turn_case{{8, 9, 10}, 400, 0.0f, 0, 20, 160.0f},
        // Touching the left edge exactly turns as well.
        turn_case{{}, 400, 16.0f, 1, 2, 0.0f},
        // One column in the middle; both edges follow it.
        turn_case{{0, 1, 2, 3, 4, 6, 7, 8, 9, 10}, 400, 0.0f, 0, 28, 220.0f},
        turn_case{{0, 1, 2, 3, 4, 6, 7, 8, 9, 10}, 400, 0.0f, 1, 19, -150.0f},
        // The march spans the whole display surface on a wider screen.
        turn_case{{}, 640, 0.0f, 0, 39, 310.0f}),
    [](const testing::TestParamInfo<turn_case>& info) {
        std::string snap = std::to_string(int(info.param.snapped_x));
        return "snap_" + (snap[0] == '-' ? "minus_" + snap.substr(1) : snap) + "_width_" +
               std::to_string(info.param.screen_width);
    });

TEST(fleet_march, a_column_emptied_by_a_hit_stops_counting_at_the_next_step) {
    set_up();
    invaders.x = 64.0f;  // the next step reaches 72 and would turn with column 10 alive
    kill_column(10);
    step();
    EXPECT_EQ(invaders.x, 72.0f);
    EXPECT_EQ(invaders.direction, 0);
}

struct invasion_case {
    std::vector<int> dead_rows;
    float y;
    bool ends;
};

TEST(fleet_invasion, only_live_invaders_reaching_y_255_end_the_game) {
    const invasion_case cases[] = {
        {{}, 154.9f, false},           {{}, 155.0f, true},
        {{3, 4}, 204.0f, false},       {{3, 4}, 205.0f, true},
        {{1, 2, 3, 4}, 254.5f, false}, {{1, 2, 3, 4}, 255.0f, true},
    };
    for (const invasion_case& k : cases) {
        SCOPED_TRACE(testing::Message()
                     << "y " << k.y << ", " << k.dead_rows.size() << " rows empty");
        set_up();
        player.game_over = 0;
        for (int r : k.dead_rows) {
            for (int c = 0; c < fleet::columns; ++c) {
                cell(c, r) = 0;
            }
        }
        invaders.y = k.y;
        invaders.move();  // no step is due: the clock stands at the reset time
        EXPECT_EQ(invaders.y, k.y);
        EXPECT_EQ(player.game_over, k.ends ? 1 : 0);
    }
}

TEST(fleet_invasion, a_single_live_invader_counts) {
    set_up();
    kill_all();
    cell(6, 0) = 1;
    invaders.column_alive[6] = 1;
    invaders.alive_count = 1.0f;
    invaders.y = 254.0f;
    invaders.move();
    EXPECT_EQ(player.game_over, 0);
    invaders.y = 255.0f;
    invaders.move();
    EXPECT_EQ(player.game_over, 1);
}

TEST(fleet_new_wave, a_cleared_formation_returns_with_fresh_bunkers_and_no_bullets) {
    set_up();
    for (int m = 0; m < shields::count; ++m) {
        shields.bunker[m] = test_support::make_rgba(20, 10, 0x00000000);  // eroded away
    }
    fleet_bullet.add(10, 10);
    fleet_bullet.add(50, 150);
    player.score = 1230;
    player.lives = 2;
    kill_all();
    invaders.x = 50.0f;
    invaders.y = 97.0f;
    invaders.direction = 1;
    invaders.frame = 1;
    invaders.sound_index = 2;
    fake_sdl::ticks += 10;

    invaders.move();

    EXPECT_EQ(invaders.x, 0.0f);
    EXPECT_EQ(invaders.y, 25.0f);
    EXPECT_EQ(invaders.direction, 0);
    EXPECT_EQ(invaders.alive_count, 55.0f);
    EXPECT_EQ(invaders.column_alive[10], 1);
    EXPECT_EQ(cell(10, 4), 1);
    EXPECT_EQ(invaders.last_step, fake_sdl::ticks);
    EXPECT_EQ(invaders.frame, 1);
    EXPECT_EQ(invaders.sound_index, 2);
    EXPECT_EQ(fleet_bullet.head, nullptr);
    EXPECT_EQ(fleet_bullet.tail, nullptr);
    for (int m = 0; m < shields::count; ++m) {
        ASSERT_NE(shields.bunker[m], nullptr);
        EXPECT_GT(test_support::solid_count(shields.bunker[m]), 0) << "bunker " << m;
    }
    EXPECT_EQ(player.score, 1230);
    EXPECT_EQ(player.lives, 2);
    EXPECT_EQ(player.game_over, 0);
}

TEST(fleet_new_wave, shooting_the_last_invader_starts_the_next_wave_in_the_same_update) {
    set_up();
    kill_all();
    cell(5, 4) = 1;
    invaders.column_alive[5] = 1;
    invaders.alive_count = 1.0f;
    invaders.y = 150.0f;  // the last invader stands at (150, 250)
    player.shot_active = true;
    player.shot_x = 160;
    player.shot_y = 260;

    invaders.move();

    EXPECT_FALSE(player.shot_active);
    EXPECT_EQ(invaders.alive_count, 55.0f);
    EXPECT_EQ(invaders.y, 25.0f);
    EXPECT_EQ(invaders.explosion_x, -50);  // the kill's explosion is parked by the reset
    EXPECT_EQ(invaders.explosion_y, -50);
    EXPECT_EQ(player.game_over, 0);
}

// Bunker m stands at (45 + 90m, 220). With x = 40 and y = 100, row 4's invaders stand at
// (40 + 30c, 200); their frame-0 outlines are opaque from +4 to +20, which reaches the bunkers'
// top pixel row only. Bunkers are 90 px apart, three columns, so every bunker lies under the
// same pair of columns 3m and 3m + 1: bunker x 0 to 15 under the first, 29 to 43 under the
// second.
struct erosion_case {
    uint8_t frame;
    float y;
    std::vector<int> dead_columns;
    std::vector<int> cleared_x;  // bunker x of the cleared pixels in each cleared row
    int cleared_rows;            // the top rows of the bunker that lose those pixels
};

class fleet_erosion : public testing::TestWithParam<erosion_case> {};

TEST_P(fleet_erosion, live_invaders_clear_the_bunker_pixels_under_their_outline) {
    const erosion_case& k = GetParam();
    set_up();
    for (int m = 0; m < shields::count; ++m) {
        shields.bunker[m] = test_support::make_rgba(44, 20, 0x00FF00FF);
    }
    for (int c : k.dead_columns) {
        kill_column(c);
    }
    invaders.x = 40.0f;
    invaders.y = k.y;
    invaders.frame = k.frame;

    invaders.move();

    int cleared = int(k.cleared_x.size()) * k.cleared_rows;
    for (int m = 0; m < shields::count; ++m) {
        SCOPED_TRACE(testing::Message() << "bunker " << m);
        SDL_Surface* bunker = shields.bunker[m];
        EXPECT_EQ(test_support::solid_count(bunker), 44 * 20 - cleared);
        for (int by = 0; by < k.cleared_rows; ++by) {
            for (int bx : k.cleared_x) {
                EXPECT_EQ(test_support::alpha_at(bunker, bx, by), 0) << bx << ", " << by;
            }
        }
    }
}

namespace {

std::vector<int> range(int from, int to) {
    std::vector<int> xs;
    for (int x = from; x <= to; ++x) {
        xs.push_back(x);
    }
    return xs;
}

std::vector<int> join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    outlines, fleet_erosion,
    testing::Values(erosion_case{0, 100.0f, {}, join(range(0, 15), range(29, 43)), 1},
                    erosion_case{0, 100.0f, {0, 3, 6, 9}, range(29, 43), 1},
                    erosion_case{0, 100.0f, {1, 4, 7, 10}, range(0, 15), 1},
                    erosion_case{0, 99.0f, {}, {}, 0},
                    // Frame 1's outline ends at +9: nothing reaches y 220.
                    erosion_case{1, 100.0f, {}, {}, 0},
                    // Row 4 is drawn from the lower band now, but its outline stays the upper
                    // band's: two rows of the bunker go, not all that the full cell covers.
                    erosion_case{0, 101.0f, {}, join(range(0, 15), range(29, 43)), 2}),
    [](const testing::TestParamInfo<erosion_case>& info) {
        return "case" + std::to_string(info.index) + "_frame" + std::to_string(info.param.frame) +
               "_y" + std::to_string(int(info.param.y));
    });
