// clock_jump_test.cpp: SDL's millisecond clock follows the wall clock, so it jumps when the
// system time is set. After a jump of an hour either way the game keeps its pace and every
// timer runs again within two seconds of game time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "app/fps.h"
#include "app/program.h"
#include "fake_sdl.h"
#include "game/fleet.h"
#include "game/player.h"
#include "game/ufo.h"
#include "platform/sdl.h"
#include "test_support.h"

namespace {

using test_support::capture_stdout;

struct jump_case {
    const char* name;
    int64_t jump_ms;
};

uint32_t longest_wait;

// Longest single wait of the limiter; and nobody is left waiting on a game-over screen.
void watch_frame() {
    longest_wait = std::max(longest_wait, fake_sdl::last_delay_ms);
    fake_sdl::keys[SDLK_SPACE] = player.game_over == 1 ? 1 : 0;
}

void run_frames(int count) {
    for (int i = 0; i < count; ++i) {
        run_frame();
    }
}

class clock_jump : public testing::TestWithParam<jump_case> {
protected:
    void SetUp() override {
        test_support::enter_scratch_dir_with_assets();
        fake_sdl::reset(10'000'000);
        std::string printed = capture_stdout([] { program_init(); });
        ASSERT_NE(sdl.screen, nullptr) << printed;
        fake_sdl::after_delay = watch_frame;
        // Five seconds of play, so every timer is somewhere in its cycle.
        capture_stdout([] { run_frames(300); });
    }
};

TEST_P(clock_jump, the_game_keeps_its_pace_and_every_timer_recovers) {
    player.kill();
    invaders.explosion_ticks = SDL_GetTicks();
    const int32_t sound_before = invaders.sound_index;
    const int32_t lives_before = player.lives;

    fake_sdl::ticks = uint32_t(int64_t(fake_sdl::ticks) + GetParam().jump_ms);
    const uint32_t after_jump = fake_sdl::ticks;
    longest_wait = 0;
    capture_stdout([] { run_frames(120); });

    const uint32_t elapsed = fake_sdl::ticks - after_jump;
    EXPECT_GE(elapsed, 1900u) << "120 frames still take two seconds";
    EXPECT_LE(elapsed, 2100u);
    EXPECT_LE(longest_wait, 17u) << "no wait is ever longer than a frame";
    EXPECT_NE(invaders.sound_index, sound_before) << "the march steps again";
    EXPECT_LT(fake_sdl::ticks - invaders.last_step, 1100u) << "on the new clock";
    EXPECT_LT(fake_sdl::ticks - invaders.last_fire, 1300u) << "the fleet fires again";
    EXPECT_EQ(player.alive, 1) << "the destroyed base came back";
    EXPECT_LE(player.lives, lives_before);
    EXPECT_GT(fake_sdl::ticks - invaders.explosion_ticks, 249u) << "the explosion is gone";
    EXPECT_TRUE(ufo.active || fake_sdl::ticks - ufo.wait_start < 2100u)
        << "the mystery ship's wait runs on the new clock";
}

INSTANTIATE_TEST_SUITE_P(jumps, clock_jump,
                         testing::Values(jump_case{"back_an_hour", -3'600'000},
                                         jump_case{"forward_an_hour", 3'600'000}),
                         [](const testing::TestParamInfo<jump_case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
