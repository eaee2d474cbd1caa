// fps_test.cpp: the frame limiter's deadlines, slow frames and roll-over, and the statistics
// shown in the caption or on standard output.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "app/fps.h"
#include "fake_sdl.h"
#include "platform/sdl.h"
#include "test_support.h"

using namespace test_support;

namespace {

uint32_t longest_delay = 0;

void note_delay() {
    longest_delay = std::max(longest_delay, fake_sdl::last_delay_ms);
}

class limiter : public testing::Test {
protected:
    void start(uint32_t at) {
        fake_sdl::reset(at);
        fake_sdl::after_delay = note_delay;
        longest_delay = 0;
        fps = {};
        fps_data = {};
        fps.init();
    }

    void SetUp() override { start(0); }

    // A frame whose work takes work_ms, then the limiter.
    bool frame(uint32_t work_ms) {
        fake_sdl::ticks += work_ms;
        return fps.limit();
    }

    // Frames with the given work times first, 2 ms each after them, until a window closes;
    // returns how many frames the window held.
    int run_window(const std::vector<uint32_t>& first_frames = {}) {
        int count = 0;
        for (uint32_t work : first_frames) {
            ++count;
            if (frame(work)) {
                return count;
            }
        }
        while (count < 10000) {
            ++count;
            if (frame(2)) {
                return count;
            }
        }
        ADD_FAILURE() << "no window closed";
        return count;
    }

    // A frame's wait is never longer than one frame on a clock that keeps time exactly,
    // whatever jumps it makes; a test whose clock reads short after a wait allows one more.
    uint32_t longest_allowed = 17;
    void TearDown() override { EXPECT_LE(longest_delay, longest_allowed); }
};

TEST_F(limiter, init_starts_a_window_with_the_frame_length_just_above_one_sixtieth) {
    start(777);
    uint32_t bits;
    std::memcpy(&bits, &fps.frame_ms, sizeof bits);
    EXPECT_EQ(bits, 0x4185555Bu);
    EXPECT_EQ(fps.second_start, 777u);
    EXPECT_EQ(fps.frames, 0);
    EXPECT_EQ(fps.min_ms, 1000u);
    EXPECT_EQ(fps.slow_ms, 0u);
    EXPECT_EQ(fps.total_ms, 0.0);
}

TEST_F(limiter, deadlines_fall_at_whole_sixtieths_and_the_sixtieth_closes_the_window) {
    const uint32_t window_start = 123456;
    start(window_start);
    fps.last_tick = window_start;
    std::vector<uint32_t> ends;
    std::vector<uint32_t> waits;
    for (int n = 1; n <= 60; ++n) {
        int delays_before = fake_sdl::delay_calls;
        bool closed = frame(0);
        EXPECT_EQ(closed, n == 60) << "frame " << n;
        ends.push_back(fake_sdl::ticks - window_start);
        waits.push_back(fake_sdl::delay_calls > delays_before ? fake_sdl::last_delay_ms : 0);
    }
    EXPECT_EQ(ends[0], 16u);
    EXPECT_EQ(ends[1], 33u);
    EXPECT_EQ(ends[2], 50u);
    EXPECT_EQ(ends[59], 1000u);
    for (int n = 1; n <= 60; ++n) {
        uint32_t deadline = uint32_t(n * 1000 / 60);
        uint32_t previous = uint32_t((n - 1) * 1000 / 60);
        EXPECT_EQ(ends[n - 1], deadline) << "frame " << n;
        EXPECT_EQ(waits[n - 1], deadline - previous) << "frame " << n;
    }
    EXPECT_EQ(fps_data.frames, 60);
}

TEST_F(limiter, two_ms_frames_make_windows_of_sixty) {
    for (int window = 0; window < 3; ++window) {
        SCOPED_TRACE(window);
        uint32_t window_start = fps.second_start;
        EXPECT_EQ(run_window(), 60);
        EXPECT_EQ(fake_sdl::ticks - window_start, 1000u);
        EXPECT_EQ(fps_data.frames, 60);
        EXPECT_EQ(fps_data.min_ms, 2);
        EXPECT_EQ(fps_data.slow_ms, 0);
        EXPECT_EQ(fps_data.avg_ms, 2.0);
        EXPECT_EQ(fps.frames, 0);
        EXPECT_EQ(fps.min_ms, 1000u);
        EXPECT_EQ(fps.total_ms, 0.0);
    }
}

TEST_F(limiter, slow_frames_reach_the_frame_length_and_the_last_one_counts) {
    struct slow_case {
        std::vector<uint32_t> first_frames;
        int32_t slow;
        int32_t min;
    };
    const slow_case cases[] = {
        {{16}, 0, 2}, {{17}, 17, 2},     {{40, 20}, 20, 2},    {{20, 40}, 40, 2},
        {{0}, 0, 0},  {{17, 16}, 17, 2}, {{30, 1, 18}, 18, 1},
    };
    for (const slow_case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.first_frames));
        start(0);
        EXPECT_EQ(run_window(c.first_frames), 60) << "the fast frames catch up";
        EXPECT_EQ(fake_sdl::ticks, 1000u);
        EXPECT_EQ(fps_data.slow_ms, c.slow);
        EXPECT_EQ(fps_data.min_ms, c.min);
        double total = 2.0 * (60 - double(c.first_frames.size()));
        for (uint32_t work : c.first_frames) {
            total += work;
        }
        EXPECT_DOUBLE_EQ(fps_data.avg_ms, total / 60);
    }
}

TEST_F(limiter, a_late_frame_gets_no_wait_and_the_next_frames_catch_up) {
    EXPECT_FALSE(frame(40));
    EXPECT_FALSE(frame(2));
    EXPECT_EQ(fake_sdl::delay_calls, 0) << "both frames ended after their deadlines";
    EXPECT_EQ(fake_sdl::ticks, 42u);
    EXPECT_FALSE(frame(2));
    EXPECT_EQ(fake_sdl::delay_calls, 1);
    EXPECT_EQ(fake_sdl::last_delay_ms, 6u);
    EXPECT_EQ(fake_sdl::ticks, 50u) << "back on the schedule of the window's start";
    EXPECT_EQ(run_window() + 3, 60);
    EXPECT_EQ(fake_sdl::ticks, 1000u);
}

TEST_F(limiter, a_stall_closes_its_window_and_the_next_starts_fresh) {
    for (int n = 0; n < 4; ++n) {
        EXPECT_FALSE(frame(2));
    }
    int delays_before = fake_sdl::delay_calls;
    EXPECT_TRUE(frame(3000));
    EXPECT_EQ(fake_sdl::delay_calls, delays_before);
    EXPECT_EQ(fps_data.frames, 5);
    EXPECT_EQ(fps_data.slow_ms, 3000);
    EXPECT_EQ(fps_data.min_ms, 2);
    EXPECT_DOUBLE_EQ(fps_data.avg_ms, (4 * 2 + 3000) / 5.0);
    uint32_t stall_end = fake_sdl::ticks;
    EXPECT_EQ(fps.second_start, stall_end);

    EXPECT_EQ(run_window(), 60) << "no delay is carried into the next window";
    EXPECT_EQ(fake_sdl::ticks - stall_end, 1000u);
    EXPECT_EQ(fps_data.slow_ms, 0);
}

TEST_F(limiter, the_first_window_counts_the_start_up_as_work) {
    start(5000);
    EXPECT_EQ(run_window(), 60);
    EXPECT_EQ(fps_data.slow_ms, 5002);
    EXPECT_EQ(fps_data.min_ms, 2);
    EXPECT_DOUBLE_EQ(fps_data.avg_ms, (5002 + 59 * 2) / 60.0);
}

TEST_F(limiter, roll_over_takes_a_fresh_clock_reading_for_the_new_window) {
    for (int n = 0; n < 59; ++n) {
        frame(2);
    }
    fake_sdl::ticks_per_read = 3;
    EXPECT_TRUE(frame(2));
    fake_sdl::ticks_per_read = 0;
    // The call read the clock once for its work time, once after the wait and once for the
    // new window; only the last reading starts the window.
    EXPECT_EQ(fps.second_start, fake_sdl::ticks - 3);
    EXPECT_EQ(fps.last_tick, fake_sdl::ticks - 6);
}

TEST_F(limiter, a_clock_set_back_an_hour_costs_one_short_wait) {
    start(10000000);
    fps.last_tick = 10000000;
    for (int n = 0; n < 10; ++n) {
        frame(2);
    }
    fake_sdl::ticks -= 3600000;
    uint64_t delayed_before = fake_sdl::delayed_ms;
    EXPECT_TRUE(frame(2)) << "the window's clock has run out of order, so it closes";
    EXPECT_LE(fake_sdl::delayed_ms - delayed_before, 17u);
    EXPECT_EQ(run_window(), 60) << "the next window is on schedule again";
}

TEST_F(limiter, a_wait_a_steady_clock_can_ask_for_is_never_cut) {
    struct wait_case {
        uint32_t asked;
        uint32_t given;
    };
    // Two frame lengths are 33.3 ms: anything longer means the clock went back or wrapped.
    const wait_case cases[] = {{16, 16}, {17, 17}, {18, 18}, {33, 33}, {34, 17}, {3600000, 17}};
    for (const wait_case& c : cases) {
        SCOPED_TRACE(c.asked);
        longest_allowed = c.given;
        start(10000000);
        fps.last_tick = fake_sdl::ticks;
        // The first deadline is 16 ms after the window's start; a clock behind it asks for more.
        fake_sdl::ticks -= c.asked - 16;
        frame(0);
        EXPECT_EQ(fake_sdl::delay_calls, 1);
        EXPECT_EQ(fake_sdl::last_delay_ms, c.given);
    }
}

// SDL's clock is read right after a wait; now and then it comes up one tick short of where
// the wait ended, so the next frame asks for 18 ms to reach its deadline.
void every_other_wait_reads_short() {
    note_delay();
    if (fake_sdl::delay_calls % 2 == 1) {
        fake_sdl::ticks -= 1;
    }
}

TEST_F(limiter, a_clock_that_reads_short_after_a_wait_keeps_every_deadline) {
    longest_allowed = 18;
    const uint32_t window_start = 5000;
    start(window_start);
    fps.last_tick = window_start;
    fake_sdl::after_delay = every_other_wait_reads_short;
    uint32_t previous_end = 0;
    int eighteens = 0;
    for (int n = 1; n < 60; ++n) {
        SCOPED_TRACE(n);
        const int delays_before = fake_sdl::delay_calls;
        EXPECT_FALSE(frame(0));
        ASSERT_EQ(fake_sdl::delay_calls, delays_before + 1);
        const uint32_t deadline = uint32_t(n * 1000 / 60);
        const uint32_t end = fake_sdl::ticks - window_start;
        EXPECT_EQ(fake_sdl::last_delay_ms, deadline - previous_end) << "the whole wait asked for";
        EXPECT_EQ(end, deadline - (fake_sdl::delay_calls % 2 == 1 ? 1 : 0));
        eighteens += fake_sdl::last_delay_ms == 18;
        previous_end = end;
    }
    EXPECT_GT(eighteens, 0) << "the case worth testing must occur";
    fake_sdl::after_delay = note_delay;
    EXPECT_TRUE(frame(0)) << "the sixtieth frame closes the window";
    EXPECT_EQ(fake_sdl::ticks - window_start, 1000u);
    EXPECT_EQ(fps_data.frames, 60);
}

struct statistics_case {
    const char* name;
    bool fullscreen;
    frame_statistics data;
    const char* printed;
    const char* caption;
};

TEST(fps_update, shows_the_statistics_in_the_caption_or_on_standard_output) {
    const statistics_case cases[] = {
        {"windowed", false, {2, 0, 2.0, 60}, "", "Vexlorn - 60/60 fps - 2ms 0ms 2.000000ms"},
        {"windowed_slow",
         false,
         {1, 45, 3.25, 57},
         "",
         "Vexlorn - 57/60 fps - 1ms 45ms 3.250000ms"},
        {"windowed_extremes",
         false,
         {INT_MIN, INT_MIN, 4294967295.0, INT_MIN},
         "",
         "Vexlorn - -2147483648/60 fps - -2147483648ms -2147483648ms 4294967295.000000ms"},
        {"fullscreen", true, {2, 0, 2.0, 60}, "FPS:60/60 fps - 2ms 0ms 2.000000ms \n", "Vexlorn"},
        {"fullscreen_slow",
         true,
         {0, 3000, 601.6, 5},
         "FPS:5/60 fps - 0ms 3000ms 601.600000ms \n",
         "Vexlorn"},
    };
    ASSERT_NE(open_screen(), nullptr);
    SDL_Surface* windowed = sdl.screen;
    SDL_Surface* full = SDL_CreateRGBSurface(0, 4, 4, 32, 0, 0, 0, 0);
    full->flags |= SDL_FULLSCREEN;
    for (const statistics_case& c : cases) {
        SCOPED_TRACE(c.name);
        SDL_WM_SetCaption("Vexlorn", nullptr);
        sdl.screen = c.fullscreen ? full : windowed;
        fps_data = c.data;
        EXPECT_EQ(capture_stdout([] { fps_update(); }), c.printed);
        EXPECT_EQ(caption(), c.caption);
    }
    sdl.screen = windowed;
    SDL_FreeSurface(full);
}

TEST_F(limiter, a_window_of_two_ms_frames_reaches_the_caption_and_the_console) {
    ASSERT_NE(open_screen(), nullptr);
    SDL_WM_SetCaption("Vexlorn", nullptr);
    start(0);
    ASSERT_EQ(run_window(), 60);
    EXPECT_EQ(capture_stdout([] { fps_update(); }), "");
    EXPECT_EQ(caption(), "Vexlorn - 60/60 fps - 2ms 0ms 2.000000ms");

    SDL_WM_SetCaption("Vexlorn", nullptr);
    sdl.screen->flags |= SDL_FULLSCREEN;
    ASSERT_EQ(run_window(), 60);
    EXPECT_EQ(capture_stdout([] { fps_update(); }), "FPS:60/60 fps - 2ms 0ms 2.000000ms \n");
    EXPECT_EQ(caption(), "Vexlorn");
}

}  // namespace
