// program_test.cpp: the event drain, start-up lines, whole frames of the real loop on the
// dummy driver, and shutdown.
#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/fps.h"
#include "app/program.h"
#include "fake_sdl.h"
#include "game/player.h"
#include "platform/sdl.h"
#include "test_support.h"

using namespace test_support;

namespace {

const char* const close_line = "DEBUG:  Close Button Exit Command Received \n";
const char* const escape_line = "DEBUG:  Escape Key Exit Command Received \n";

SDL_Event quit_event() {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_QUIT;
    return e;
}

SDL_Event key_event(Uint8 type, SDLKey key) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    return e;
}

SDL_Event motion_event() {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_MOUSEMOTION;
    return e;
}

// Forced, so that a display or a sound card in the environment never catches these tests.
void use_dummy_drivers() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

void drain_queue() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
}

void push_all(const std::vector<SDL_Event>& events) {
    for (SDL_Event e : events) {
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
}

// A fresh folder that sees the staged assets of the test's working folder, so that the
// settings file written at start-up lands in the scratch folder.
void enter_folder_with_assets() {
    use_dummy_drivers();
    test_support::enter_scratch_dir_with_assets();
}

std::string start_up_lines() {
    return std::string("DEBUG:  Attempting to Init SDL \n") +
           "DEBUG:  Infinite Potential Fullscreen Resolutions (How Did You Manage That?) \n" +
           "ERROR:  SDL.ReadConfig -> Unable to Read From File: Video_Settings.cfg - Reverting "
           "to Defaults\n" +
           "DEBUG:  Attempting to Init SDL Window at 400 x 300, 32 bit depth \n" +
           "DEBUG:  Setting Window Title \n" + "DEBUG:  Attempting to Init SDL_Mixer \n" +
           "DEBUG:  Attemptint to allocate 64 sound channels for use\n" +
           "DEBUG:  64 sound channels allocated\n" +
           "DEBUG:  SDL_Mixer Initialized sucessfully \n" +
           "DEBUG:  Reserved 4 of 4 sound channels requested\n" +
           "DEBUG:  Attempting to Init SDL_TTF \n" + "DEBUG:  SDL_TTF Initialized sucessfully \n" +
           "DEBUG:  SDL Initialized \n";
}

int pixels_of_colour(SDL_Surface* s, Uint32 pixel) {
    int count = 0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            Uint32 value;
            std::memcpy(
                &value,
                static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
                sizeof value);
            count += value == pixel;
        }
    }
    return count;
}

TEST(event_update, reacts_to_close_requests_and_escape_presses_in_queue_order) {
    struct drain_case {
        const char* name;
        std::vector<SDL_Event> events;
        std::string printed;
        bool quit;
    };
    const drain_case cases[] = {
        {"close_then_escape",
         {quit_event(), key_event(SDL_KEYDOWN, SDLK_ESCAPE)},
         std::string(close_line) + escape_line,
         true},
        {"escape_then_close",
         {key_event(SDL_KEYDOWN, SDLK_ESCAPE), quit_event()},
         std::string(escape_line) + close_line,
         true},
        {"escape_released", {key_event(SDL_KEYUP, SDLK_ESCAPE)}, "", false},
        {"other_events",
         {key_event(SDL_KEYDOWN, SDLK_SPACE), motion_event(), key_event(SDL_KEYUP, SDLK_ESCAPE),
          key_event(SDL_KEYDOWN, SDLK_q)},
         "",
         false},
        {"every_request_prints",
         {quit_event(), quit_event(), key_event(SDL_KEYDOWN, SDLK_ESCAPE),
          key_event(SDL_KEYDOWN, SDLK_ESCAPE)},
         std::string(close_line) + close_line + escape_line + escape_line,
         true},
        {"escape_among_others",
         {motion_event(), key_event(SDL_KEYDOWN, SDLK_LEFT), key_event(SDL_KEYDOWN, SDLK_ESCAPE),
          key_event(SDL_KEYUP, SDLK_LEFT)},
         escape_line,
         true},
        {"empty_queue", {}, "", false},
    };
    ASSERT_NE(open_screen(), nullptr);
    for (const drain_case& c : cases) {
        SCOPED_TRACE(c.name);
        drain_queue();
        sdl.quit = false;
        push_all(c.events);
        std::string printed = capture_stdout([] { event_update(); });
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(sdl.quit, c.quit);
        SDL_Event left;
        EXPECT_EQ(SDL_PollEvent(&left), 0) << "the queue is drained";
    }
}

TEST(event_update, a_raised_flag_stays_raised) {
    ASSERT_NE(open_screen(), nullptr);
    drain_queue();
    sdl.quit = true;
    push_all({key_event(SDL_KEYUP, SDLK_ESCAPE)});
    EXPECT_EQ(capture_stdout([] { event_update(); }), "");
    EXPECT_TRUE(sdl.quit);
}

TEST(program_init, starts_the_services_in_order_then_the_limiter) {
    use_dummy_drivers();
    enter_scratch_dir();
    fake_sdl::reset(4242);
    std::string printed = capture_stdout([] { program_init(); });
    ASSERT_EQ(printed.substr(0, start_up_lines().size()), start_up_lines()) << printed;
    ASSERT_NE(sdl.screen, nullptr);
    EXPECT_EQ(sdl.screen->w, 400);
    EXPECT_EQ(sdl.screen->h, 300);
    EXPECT_FALSE(sdl.quit);

    uint32_t bits;
    std::memcpy(&bits, &fps.frame_ms, sizeof bits);
    EXPECT_EQ(bits, 0x4185555Bu) << "the limiter was started";
    EXPECT_EQ(fps.second_start, 4242u);
    EXPECT_EQ(fps.min_ms, 1000u);

    // The generator was seeded last, with the clock.
    int next = std::rand();
    std::srand(4242);
    EXPECT_EQ(next, std::rand());
    program_cleanup();
}

TEST(program_init, without_a_display_the_loop_runs_no_frame) {
    use_dummy_drivers();
    enter_scratch_dir();
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    fake_sdl::reset(1000);
    std::string printed = capture_stdout([] { program_init(); });
    EXPECT_NE(printed.find("SUPER CRITICAL EXISTANCE FAILURE: Unable to Create SDL Window with "
                           "Default Values \n"),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("DEBUG:  SDL Initialized \n"), std::string::npos) << "start-up goes on";
    EXPECT_TRUE(sdl.quit);
    EXPECT_EQ(sdl.screen, nullptr);

    printed = capture_stdout([] {
        main_loop();
        program_cleanup();
    });
    EXPECT_EQ(fps.frames, 0);
    EXPECT_EQ(fake_sdl::delay_calls, 0);
    EXPECT_EQ(printed, "DEBUG:  Libraries Cleaned Up, Exiting Program \n");
}

class whole_frames : public testing::Test {
protected:
    std::string init_printed;

    void SetUp() override {
        enter_folder_with_assets();
        fake_sdl::reset(1000);
        init_printed = capture_stdout([] { program_init(); });
        ASSERT_NE(sdl.screen, nullptr) << init_printed;
        drain_queue();
    }
};

TEST_F(whole_frames, a_frame_clears_draws_flips_and_waits_for_its_deadline) {
    ASSERT_EQ(init_printed.substr(0, start_up_lines().size()), start_up_lines());
    const Uint32 marker = SDL_MapRGB(sdl.screen->format, 0x12, 0x34, 0x56);
    SDL_FillRect(sdl.screen, nullptr, marker);
    ASSERT_EQ(pixels_of_colour(sdl.screen, marker), 400 * 300);

    run_frame();

    EXPECT_EQ(pixels_of_colour(sdl.screen, marker), 0) << "the screen was cleared";
    EXPECT_GT(pixels_of_colour(sdl.screen, 0), 0);
    EXPECT_EQ(fps.frames, 1);
    EXPECT_EQ(fake_sdl::delay_calls, 1);
    EXPECT_EQ(fake_sdl::last_delay_ms, 16u) << "the first deadline of the window";
    EXPECT_EQ(fake_sdl::ticks, 1016u);
    EXPECT_FALSE(sdl.quit);
}

TEST_F(whole_frames, escape_ends_the_loop_after_finishing_its_frame) {
    push_all({key_event(SDL_KEYDOWN, SDLK_ESCAPE)});
    std::string printed = capture_stdout([] { main_loop(); });
    EXPECT_EQ(printed.find(escape_line), 0u) << printed;
    EXPECT_TRUE(sdl.quit);
    EXPECT_EQ(fps.frames, 1) << "exactly one frame ran";
    EXPECT_EQ(fake_sdl::delay_calls, 1) << "and it was paced";

    printed = capture_stdout([] { program_cleanup(); });
    EXPECT_EQ(printed, "DEBUG:  Libraries Cleaned Up, Exiting Program \n");
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
    EXPECT_EQ(TTF_WasInit(), 0);
}

TEST_F(whole_frames, a_frame_that_ends_the_game_opens_the_screen_even_when_quitting) {
    player.score = 1230;
    player.lives = 0;
    player.game_over = 1;
    push_all({quit_event()});
    std::string printed = capture_stdout([] { main_loop(); });
    EXPECT_EQ(printed.find(close_line), 0u) << printed;
    EXPECT_TRUE(sdl.quit);
    EXPECT_EQ(fps.frames, 1) << "the screen showed no frame of its own";
    EXPECT_EQ(player.lives, 3) << "the game was reset on the way out";
    EXPECT_EQ(player.score, 0);
}

TEST_F(whole_frames, a_second_of_frames_puts_the_statistics_in_the_caption) {
    fake_sdl::ticks_per_read = 0;
    for (int n = 0; n < 60; ++n) {
        run_frame();
        ASSERT_FALSE(sdl.quit);
    }
    EXPECT_EQ(fake_sdl::ticks, 2000u);
    EXPECT_EQ(fps_data.frames, 60);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    ASSERT_NE(title, nullptr);
    // The first window counts the start-up from the clock's zero as the first frame's work.
    EXPECT_STREQ(title, "Vexlorn - 60/60 fps - 0ms 1000ms 16.666667ms");
}

}  // namespace
