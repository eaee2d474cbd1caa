// game_over_test.cpp: the screen between two games, how it ends, what it shows, and what
// the reset for the next game changes and keeps.
#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <string>

#include "app/fps.h"
#include "app/game_over.h"
#include "fake_sdl.h"
#include "game/fleet.h"
#include "game/fleet_bullet.h"
#include "game/player.h"
#include "game/shields.h"
#include "game/ufo.h"
#include "platform/base_ttf.h"
#include "platform/mixer_base.h"
#include "platform/sdl.h"
#include "test_support.h"

using namespace test_support;

namespace {

constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t red = 0xFF0000;

// A game that has just ended with 1230 points, on a red screen so that the test sees
// whether a frame was drawn.
void end_a_game() {
    fake_sdl::reset(100000);
    ASSERT_NE(open_screen(), nullptr);
    SDL_FillRect(sdl.screen, nullptr, SDL_MapRGB(sdl.screen->format, 255, 0, 0));
    ASSERT_EQ(TTF_Init(), 0);
    fps.init();
    player.score = 1230;
    player.lives = 0;
    player.game_over = 1;
    replace(shields.ground, make_opaque(400, 2, 0));
}

struct white_pixels {
    int inside_panel = 0;
    int outside_panel = 0;
    int first_line = 0;   // rows 100 to 119
    int second_line = 0;  // rows 120 to 139
};

white_pixels count_white_on_screen() {
    white_pixels seen;
    for (int y = 0; y < sdl.screen->h; ++y) {
        for (int x = 0; x < sdl.screen->w; ++x) {
            if (rgb_at(sdl.screen, x, y) != white) {
                continue;
            }
            const bool inside = x >= 50 && x < 350 && y >= 100 && y < 300;
            seen.inside_panel += inside;
            seen.outside_panel += !inside;
            seen.first_line += inside && y < 120;
            seen.second_line += inside && y >= 120 && y < 140;
        }
    }
    return seen;
}

}  // namespace

TEST(game_over_screen, ends_on_space_or_quit_and_resets_either_way) {
    const struct {
        const char* how;
        bool space_held;
        bool quit_before;
        bool close_request;
        int frames_shown;
        uint8_t flag_after;
    } cases[] = {
        {"space already held", true, false, false, 1, 0},
        {"quit raised in the ending frame", false, true, false, 0, 1},
        {"close button while the screen is up", false, false, true, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        end_a_game();
        sdl.quit = c.quit_before;
        fake_sdl::keys[SDLK_SPACE] = c.space_held;
        if (c.close_request) {
            SDL_Event quit_event{};
            quit_event.type = SDL_QUIT;
            ASSERT_EQ(SDL_PushEvent(&quit_event), 0);
        }
        const std::string out = capture_stdout(game_over);
        EXPECT_EQ(fps.frames, c.frames_shown);
        EXPECT_EQ(player.game_over, c.flag_after);
        EXPECT_EQ(sdl.quit, c.quit_before || c.close_request);
        EXPECT_EQ(count_lines(out, "DEBUG:  Close Button Exit Command Received \n"),
                  c.close_request ? 1 : 0);
        EXPECT_EQ(player.lives, 3);
        EXPECT_EQ(player.score, 0);
        EXPECT_EQ(invaders.y, 25.0f);
        // A frame paints the screen black; without one it stays as the game left it.
        EXPECT_EQ(rgb_at(sdl.screen, 0, 0), c.frames_shown > 0 ? 0u : red);
    }
}

TEST(game_over_screen, shows_the_two_lines_on_a_panel_at_50_100_on_black) {
    end_a_game();
    fake_sdl::press(SDLK_SPACE);
    capture_stdout(game_over);
    const white_pixels seen = count_white_on_screen();
    EXPECT_GT(seen.first_line, 20);
    EXPECT_GT(seen.second_line, 20);
    EXPECT_EQ(seen.outside_panel, 0);
    int neither = 0;
    for (int y = 0; y < sdl.screen->h; ++y) {
        for (int x = 0; x < sdl.screen->w; ++x) {
            const uint32_t c = rgb_at(sdl.screen, x, y);
            neither += c != 0 && c != white;
        }
    }
    EXPECT_EQ(neither, 0) << "something else than the panel is on the screen";
}

TEST(game_over_screen, missing_font_still_replays_on_space) {
    end_a_game();
    enter_scratch_dir();  // no font here
    player.font = nullptr;
    fake_sdl::press(SDLK_SPACE);
    const std::string out = capture_stdout(game_over);
    EXPECT_EQ(count_lines(out, "CRITICAL EXISTANCE FAILURE: TTF Failed to Load: Aaargh.ttf\n"), 1);
    // Two panel lines, then the redrawn score.
    EXPECT_EQ(count_lines(out, "CRITICAL EXISTANCE FAILURE: Attempting to draw NULL font \n"), 3);
    EXPECT_EQ(player.game_over, 0);
    EXPECT_EQ(player.lives, 3);
    EXPECT_EQ(count_white_on_screen().inside_panel, 0);
    EXPECT_EQ(rgb_at(sdl.screen, 0, 0), 0u);
}

TEST(game_over_screen, halts_only_the_shot_and_flight_channels) {
    end_a_game();
    capture_stdout([] {
        mixer.init();
        mixer.reserve_channels(4);
    });
    ASSERT_GT(mixer.sfx_volume, 0) << "no audio device on the dummy driver";
    static Uint8 silence[4096];
    Mix_Chunk* loop = Mix_QuickLoad_RAW(silence, sizeof silence);
    for (int channel : {0, 1, 5}) {
        ASSERT_EQ(Mix_PlayChannel(channel, loop, -1), channel);
    }
    fake_sdl::press(SDLK_SPACE);
    capture_stdout(game_over);
    EXPECT_EQ(Mix_Playing(0), 0);
    EXPECT_EQ(Mix_Playing(1), 0);
    EXPECT_NE(Mix_Playing(5), 0);
    Mix_FreeChunk(loop);
}

TEST(game_over_reset, refreshes_the_field_and_carries_the_rest_over) {
    end_a_game();
    fake_sdl::ticks_per_read = 1;  // so that the order of the clock readings shows
    ttf.load_font(&player.font, "Aaargh.ttf", 12);
    ASSERT_NE(player.font, nullptr);
    player.score_surface = SDL_CreateRGBSurface(0, 80, 30, 32, 0, 0, 0, 0);
    SDL_FillRect(player.score_surface, nullptr,
                 SDL_MapRGB(player.score_surface->format, 255, 0, 0));
    player.x = 123;
    player.alive = 0;
    player.death_ticks = 99500;
    player.shot_active = true;
    player.shot_x = 135;
    player.shot_y = 77;
    player.explosion_ticks = 99900;
    player.bonus_given = true;
    static bullet falling{60, 150, nullptr, nullptr};
    fleet_bullet.head = fleet_bullet.tail = &falling;
    invaders.x = 200;
    invaders.y = 180;
    invaders.frame = 1;
    invaders.sound_index = 2;
    invaders.alive_count = 3;
    shields.bunker[2] = make_rgba(44, 32, 0);  // eroded away
    ufo.active = true;
    ufo.x = 300;
    ufo.wait = 8000;
    ufo.wait_start = 1;

    fake_sdl::press(SDLK_SPACE);
    capture_stdout(game_over);

    EXPECT_EQ(player.lives, 3);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(player.game_over, 0);
    int red_left = 0, white_seen = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            red_left += rgb_at(player.score_surface, x, y) == red;
            white_seen += rgb_at(player.score_surface, x, y) == white;
        }
    }
    EXPECT_EQ(red_left, 0) << "score text not redrawn";
    EXPECT_GT(white_seen, 20);

    EXPECT_EQ(invaders.x, 0.0f);
    EXPECT_EQ(invaders.y, 25.0f);
    EXPECT_EQ(invaders.alive_count, 55.0f);
    ASSERT_NE(shields.bunker[2], nullptr) << "the staged bunker image did not load";
    EXPECT_GT(solid_count(shields.bunker[2]), 0) << "the eroded bunker was not replaced";
    EXPECT_EQ(rgb_at(shields.ground, 399, 1), 0x00FF00u);
    EXPECT_EQ(ufo.x, 0);
    EXPECT_TRUE(ufo.active);
    EXPECT_EQ(ufo.wait, 8000u);
    EXPECT_LT(invaders.last_step, ufo.wait_start) << "the fleet is reset before the ship";
    EXPECT_GT(invaders.last_step, 100000u);

    EXPECT_EQ(fleet_bullet.head, &falling);
    EXPECT_EQ(falling.y, 150);
    EXPECT_EQ(player.x, 123);
    EXPECT_EQ(player.alive, 0);
    EXPECT_EQ(player.death_ticks, 99500u);
    EXPECT_TRUE(player.shot_active);
    EXPECT_EQ(player.shot_y, 77);
    EXPECT_EQ(player.explosion_ticks, 99900u);
    EXPECT_TRUE(player.bonus_given);
    EXPECT_EQ(invaders.frame, 1);
    EXPECT_EQ(invaders.sound_index, 2);
}

TEST(game_over_reset, a_bonus_life_given_before_is_not_given_again) {
    end_a_game();
    player.bonus_given = true;
    fake_sdl::press(SDLK_SPACE);
    capture_stdout(game_over);
    fake_sdl::release(SDLK_SPACE);
    player.alive = 1;
    player.score = 2000;
    player.move();
    EXPECT_EQ(player.lives, 3);
}
