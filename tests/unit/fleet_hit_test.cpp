// fleet_hit_test.cpp: the player's shot against the formation, pixel by pixel.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fleet_fixture.h"

using namespace fleet_fixture;

namespace {

int live_cells() {
    int count = 0;
    for (int c = 0; c < fleet::columns; ++c) {
        for (int r = 0; r < fleet::rows; ++r) {
            count += cell(c, r);
        }
    }
    return count;
}

void aim(int mask_w, int mask_h, int shot_x, int shot_y) {
    set_shot_mask(test_support::make_rgba(mask_w, mask_h, 0xFFFFFFFF));
    player.shot_active = true;
    player.shot_x = shot_x;
    player.shot_y = shot_y;
}

}  // namespace

// The formation stands at (x, y); with the fixture's frame-0 outline an invader at (l, t) is
// opaque from (l + 4, t + 4) to (l + 20, t + 20); in frame 1 its rows t to t + 9 are opaque
// across the whole 25 px.
struct hit_case {
    const char* name;
    int mask_w;
    int mask_h;
    int shot_x;
    int shot_y;
    float x;
    float y;
    uint8_t frame;
    std::vector<std::pair<int, int>> dead;
    int killed_column;  // -1 when nothing is hit
    int killed_row;
};

class fleet_kill_check : public testing::TestWithParam<hit_case> {};

TEST_P(fleet_kill_check, kills_at_most_the_lowest_then_leftmost_overlapped_invader) {
    const hit_case& k = GetParam();
    set_up();
    invaders.x = k.x;
    invaders.y = k.y;
    invaders.frame = k.frame;
    for (auto [c, r] : k.dead) {
        cell(c, r) = 0;
    }
    invaders.alive_count = float(live_cells());
    int live_before = live_cells();
    aim(k.mask_w, k.mask_h, k.shot_x, k.shot_y);
    fake_sdl::ticks = 4321;

    invaders.kill_check(player.shot_x, player.shot_y);

    if (k.killed_column < 0) {
        EXPECT_EQ(live_cells(), live_before);
        EXPECT_EQ(invaders.alive_count, float(live_before));
        EXPECT_TRUE(player.shot_active);
        EXPECT_EQ(invaders.explosion_x, -50);
        return;
    }
    EXPECT_EQ(cell(k.killed_column, k.killed_row), 0);
    EXPECT_EQ(live_cells(), live_before - 1);
    EXPECT_EQ(invaders.alive_count, float(live_before - 1));
    EXPECT_FALSE(player.shot_active);
    EXPECT_EQ(invaders.explosion_x, static_cast<int32_t>(k.x + 30 * k.killed_column));
    EXPECT_EQ(invaders.explosion_y, static_cast<int32_t>(k.y + 25 * k.killed_row));
    EXPECT_EQ(invaders.explosion_ticks, 4321u);
}

INSTANTIATE_TEST_SUITE_P(
    shots, fleet_kill_check,
    testing::Values(
        // Rows 3 and 4 of column 2 both under a tall shot: row 4 dies, and only it.
        hit_case{"rows_3_and_4", 1, 40, 70, 110, 0.0f, 25.0f, 0, {}, 2, 4},
        hit_case{"row_4_already_dead", 1, 40, 70, 110, 0.0f, 25.0f, 0, {{2, 4}}, 2, 3},
        // Columns 2 and 3 of row 1 both under a wide shot: the left one dies.
        hit_case{"columns_2_and_3", 40, 1, 70, 60, 0.0f, 25.0f, 0, {}, 2, 1},
        hit_case{"column_2_dead", 40, 1, 70, 60, 0.0f, 25.0f, 0, {{2, 1}}, 3, 1},
        // The outline's edges: transparent border pixels never hit.
        hit_case{"left_border", 1, 1, 63, 60, 0.0f, 25.0f, 0, {}, -1, 0},
        hit_case{"left_edge", 1, 1, 64, 60, 0.0f, 25.0f, 0, {}, 2, 1},
        hit_case{"right_edge", 1, 1, 80, 60, 0.0f, 25.0f, 0, {}, 2, 1},
        hit_case{"right_border", 1, 1, 81, 60, 0.0f, 25.0f, 0, {}, -1, 0},
        // Frame 1 is opaque across the full width: a shot down the whole 5 px gap between
        // columns 2 and 3 hits nothing, one pixel wider on either side hits.
        hit_case{"gap", 5, 125, 85, 25, 0.0f, 25.0f, 1, {}, -1, 0},
        hit_case{"gap_and_column_2", 6, 125, 84, 25, 0.0f, 25.0f, 1, {}, 2, 4},
        hit_case{"gap_and_column_3", 6, 125, 85, 25, 0.0f, 25.0f, 1, {}, 3, 4},
        // The outline follows the animation frame.
        hit_case{"frame_0_body", 1, 1, 70, 40, 0.0f, 25.0f, 0, {}, 2, 0},
        hit_case{"frame_1_below_its_body", 1, 1, 70, 40, 0.0f, 25.0f, 1, {}, -1, 0},
        hit_case{"frame_0_corner", 1, 1, 61, 27, 0.0f, 25.0f, 0, {}, -1, 0},
        hit_case{"frame_1_top", 1, 1, 61, 27, 0.0f, 25.0f, 1, {}, 2, 0},
        // Row 4 is drawn from the all-opaque lower band here, but tested with the upper
        // band's outline.
        hit_case{"lower_band_row", 1, 1, 61, 202, 0.0f, 101.0f, 0, {}, -1, 0},
        // Positions truncate toward zero: x 3.5 puts column 2 at 63 (not 64), x -3.5 puts
        // column 0 at -3 (not -4).
        hit_case{"truncated_right", 1, 1, 67, 60, 3.5f, 25.0f, 0, {}, 2, 1},
        hit_case{"truncated_toward_zero", 1, 1, 0, 60, -3.5f, 25.0f, 0, {}, -1, 0},
        hit_case{"truncated_negative_hit", 1, 1, 1, 60, -3.5f, 25.0f, 0, {}, 0, 1},
        hit_case{"far_away", 10, 10, 380, 280, 0.0f, 25.0f, 0, {}, -1, 0}),
    [](const testing::TestParamInfo<hit_case>& info) { return std::string(info.param.name); });

TEST(fleet_kill_check, points_by_row) {
    const int points[fleet::rows] = {30, 20, 20, 10, 10};
    for (int r = 0; r < fleet::rows; ++r) {
        SCOPED_TRACE(testing::Message() << "row " << r);
        set_up();
        player.score = 100;
        aim(1, 1, 130, 25 + 25 * r + 10);
        invaders.kill_check(player.shot_x, player.shot_y);
        EXPECT_EQ(cell(4, r), 0);
        EXPECT_EQ(player.score, 100 + points[r]);
    }
}

TEST(fleet_kill_check, the_first_hit_speeds_the_formation_up) {
    set_up();
    aim(1, 1, 130, 60);
    invaders.kill_check(player.shot_x, player.shot_y);
    EXPECT_EQ(invaders.alive_count, 54.0f);
    EXPECT_EQ(invaders.speed, 0.94074076f);
    // Computed in single precision the value would end in ...705 instead of ...764.
    EXPECT_NE(invaders.speed, 20.0f / (54.0f / 2.0f) + 0.2f);
}

TEST(fleet_kill_check, one_kill_per_call_and_the_column_flag_goes_with_its_last_invader) {
    set_up();
    aim(1, 125, 130, 25);  // down the middle of column 4
    for (int r = fleet::rows - 1; r >= 0; --r) {
        SCOPED_TRACE(testing::Message() << "row " << r);
        player.shot_active = true;
        invaders.kill_check(player.shot_x, player.shot_y);
        EXPECT_EQ(cell(4, r), 0);
        EXPECT_EQ(live_cells(), 55 - (fleet::rows - r));
        EXPECT_EQ(invaders.column_alive[4], r == 0 ? 0 : 1);
        EXPECT_EQ(invaders.column_alive[3], 1);
        EXPECT_EQ(invaders.column_alive[5], 1);
    }
    player.shot_active = true;
    invaders.kill_check(player.shot_x, player.shot_y);
    EXPECT_TRUE(player.shot_active);
    EXPECT_EQ(live_cells(), 50);
    EXPECT_EQ(invaders.speed, 1.0f);
}

TEST(fleet_kill_check, the_last_invader_leaves_an_empty_formation) {
    set_up();
    kill_all();
    cell(7, 2) = 1;
    invaders.column_alive[7] = 1;
    invaders.alive_count = 1.0f;
    aim(1, 1, 220, 85);
    invaders.kill_check(player.shot_x, player.shot_y);
    EXPECT_EQ(invaders.alive_count, 0.0f);
    EXPECT_EQ(live_cells(), 0);
    for (int c = 0; c < fleet::columns; ++c) {
        EXPECT_EQ(invaders.column_alive[c], 0) << "column " << c;
    }
}

TEST(fleet_kill_check, a_missing_shot_image_hits_nothing) {
    set_up();
    invaders.shot_mask = nullptr;
    player.shot_active = true;
    invaders.kill_check(130, 60);
    EXPECT_EQ(live_cells(), 55);
    EXPECT_TRUE(player.shot_active);
}

TEST(fleet_move, tests_the_shot_after_the_step_against_the_new_frame) {
    set_up();
    // Frame 0 is drawn now; the step about to fall due shows frame 1 at x 8. The shot at
    // (69, 27) lies in frame 1's top rows of column 2 only after the step.
    aim(1, 1, 69, 27);
    invaders.move();
    EXPECT_TRUE(player.shot_active);
    fake_sdl::ticks += 1079;
    invaders.move();
    EXPECT_EQ(invaders.frame, 1);
    EXPECT_EQ(invaders.x, 8.0f);
    EXPECT_FALSE(player.shot_active);
    EXPECT_EQ(cell(2, 0), 0);
}
