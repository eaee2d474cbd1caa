// window_scale_test.cpp: the window's scale on sdl12-compat: the factor chosen for a desktop
// and a window, the player's and the library's own variables, and what reaches the library
// while a mode is set. No display: the library's version and desktop are the test's.
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fake_sdl.h"
#include "platform/sdl.h"
#include "platform/window_scale.h"
#include "test_support.h"

using namespace test_support;

namespace {

// Armed, the library reports the version and desktop the test chose, and each mode set
// records SDL12COMPAT_WINDOW_SCALING as the library would read it. Unarmed, the library
// answers as usual.
bool seams_armed = false;
SDL_version fake_version = {1, 2, 60};
SDL_VideoInfo fake_info = {};
int modes_set = 0;
std::string scaling_seen;  // "(unset)" when the variable was not set

template <typename fn>
fn library(const char* name) {
    return reinterpret_cast<fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" const SDL_version* SDL_Linked_Version(void) {
    if (seams_armed) {
        return &fake_version;
    }
    static const auto real = library<const SDL_version* (*)()>("SDL_Linked_Version");
    return real();
}

extern "C" const SDL_VideoInfo* SDL_GetVideoInfo(void) {
    if (seams_armed) {
        return &fake_info;
    }
    static const auto real = library<const SDL_VideoInfo* (*)()>("SDL_GetVideoInfo");
    return real();
}

namespace {

// Stands in for the library's mode set through the shared video-mode seam of fake_sdl.
SDL_Surface* recording_set_video_mode(int w, int h, int bpp, Uint32 flags) {
    if (seams_armed) {
        ++modes_set;
        const char* value = std::getenv("SDL12COMPAT_WINDOW_SCALING");
        scaling_seen = value != nullptr ? value : "(unset)";
    }
    return fake_sdl::library_set_video_mode(w, h, bpp, flags);
}

}  // namespace

namespace {

const char* const scaling_variable = "SDL12COMPAT_WINDOW_SCALING";
const char* const method_variable = "SDL12COMPAT_SCALE_METHOD";
const char* const scale_variable = "VEXLORN_SCALE";

// Sets or removes a variable (null removes it).
void put_variable(const char* name, const char* value) {
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

std::string variable_text(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "(unset)";
}

// Each test starts with none of the three variables set and leaves the environment, the
// seams and the library as it found them.
class window_scale_env : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {scaling_variable, method_variable, scale_variable}) {
            const char* value = std::getenv(name);
            saved.push_back({name, value != nullptr, value != nullptr ? value : ""});
            unsetenv(name);
        }
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        modes_set = 0;
        scaling_seen.clear();
        fake_sdl::set_video_mode = recording_set_video_mode;
    }
    void TearDown() override {
        seams_armed = false;
        fake_sdl::set_video_mode = nullptr;
        SDL_Quit();
        for (const saved_variable& v : saved) {
            put_variable(v.name, v.was_set ? v.value.c_str() : nullptr);
        }
    }
    // The library answers as sdl12-compat (1.2.60) or the classic 1.2.15 would, on a
    // desktop_w x desktop_h desktop.
    void pretend(bool compat, int desktop_w, int desktop_h) {
        fake_version = compat ? SDL_version{1, 2, 60} : SDL_version{1, 2, 15};
        fake_info = SDL_VideoInfo{};
        fake_info.current_w = desktop_w;
        fake_info.current_h = desktop_h;
        seams_armed = true;
    }

    struct saved_variable {
        const char* name;
        bool was_set;
        std::string value;
    };
    std::vector<saved_variable> saved;
};

}  // namespace

struct choice_case {
    const char* name;
    int desktop_w, desktop_h;
    int w, h;
    uint32_t flags;
    const char* vexlorn_scale;    // null: unset
    const char* library_scaling;  // null: unset
    int factor;                   // 0: the library's variable is left alone
};

std::ostream& operator<<(std::ostream& out, const choice_case& c) {
    return out << c.name;
}

const choice_case choice_cases[] = {
    // The largest factor within three quarters of the desktop's width and height.
    {"full_hd_doubles", 1920, 1080, 400, 300, 0, nullptr, nullptr, 2},
    {"quad_hd_triples", 2560, 1440, 400, 300, 0, nullptr, nullptr, 3},
    {"ultra_hd_five_times", 3840, 2160, 400, 300, 0, nullptr, nullptr, 5},
    {"xga_stays_at_one", 1024, 768, 400, 300, 0, nullptr, nullptr, 1},
    {"exactly_three_quarters_fits", 1600, 1200, 400, 300, 0, nullptr, nullptr, 3},
    {"one_pixel_short_of_three_quarters", 1599, 1200, 400, 300, 0, nullptr, nullptr, 2},
    {"the_height_decides_on_a_wide_desktop", 3840, 1080, 400, 300, 0, nullptr, nullptr, 2},
    {"a_larger_window_from_the_settings", 1920, 1080, 640, 480, 0, nullptr, nullptr, 1},
    {"a_window_beyond_the_share_stays_at_one", 1920, 1080, 1920, 1080, 0, nullptr, nullptr, 1},
    {"unknown_desktop_stays_at_one", 0, 0, 400, 300, 0, nullptr, nullptr, 1},
    {"window_of_desktop_size_stays_at_one", 1920, 1080, 0, 0, 0, nullptr, nullptr, 1},
    {"negative_window_stays_at_one", 1920, 1080, -400, 300, 0, nullptr, nullptr, 1},
    // The player's own whole number wins over the fit, up to what the library can make.
    {"player_asks_one", 1920, 1080, 400, 300, 0, "1", nullptr, 1},
    {"player_asks_three_beyond_the_share", 1920, 1080, 400, 300, 0, "3", nullptr, 3},
    {"player_asks_four_on_a_small_desktop", 1024, 768, 400, 300, 0, "4", nullptr, 4},
    {"leading_zeros_are_a_whole_number", 1920, 1080, 400, 300, 0, "03", nullptr, 3},
    {"player_factor_kept_within_16384_pixels", 1920, 1080, 400, 300, 0, "100", nullptr, 40},
    {"player_factor_for_a_huge_window_is_one", 1920, 1080, 20000, 300, 0, "2", nullptr, 1},
    {"player_factor_for_a_desktop_size_window", 1920, 1080, 0, 0, 0, "3", nullptr, 1},
    // Anything else is ignored: the fit decides.
    {"zero_is_ignored", 1920, 1080, 400, 300, 0, "0", nullptr, 2},
    {"negative_is_ignored", 1920, 1080, 400, 300, 0, "-3", nullptr, 2},
    {"plus_sign_is_ignored", 1920, 1080, 400, 300, 0, "+3", nullptr, 2},
    {"fraction_is_ignored", 1920, 1080, 400, 300, 0, "2.5", nullptr, 2},
    {"blank_is_ignored", 1920, 1080, 400, 300, 0, " 3", nullptr, 2},
    {"word_is_ignored", 1920, 1080, 400, 300, 0, "three", nullptr, 2},
    {"trailing_letter_is_ignored", 1920, 1080, 400, 300, 0, "3x", nullptr, 2},
    {"number_too_long_is_ignored", 1920, 1080, 400, 300, 0, "1234567890", nullptr, 2},
    {"empty_counts_as_unset", 1920, 1080, 400, 300, 0, "", nullptr, 2},
    // The library's own variable, set by the player, wins over both.
    {"library_variable_wins_over_the_fit", 1920, 1080, 400, 300, 0, nullptr, "1", 0},
    {"library_variable_wins_over_vexlorn_scale", 1920, 1080, 400, 300, 0, "3", "2", 0},
    // Fullscreen is scaled to the screen by the library itself.
    {"fullscreen_is_left_to_the_library", 1920, 1080, 400, 300, SDL_FULLSCREEN, nullptr, nullptr,
     0},
    {"fullscreen_ignores_vexlorn_scale", 1920, 1080, 400, 300, SDL_FULLSCREEN, "3", nullptr, 0},
};

class window_scale_choice : public testing::TestWithParam<choice_case> {};

TEST_P(window_scale_choice, gives_the_factor_for_the_library) {
    const choice_case& c = GetParam();
    EXPECT_EQ(window_scale::choose(c.desktop_w, c.desktop_h, c.w, c.h, c.flags, c.vexlorn_scale,
                                   c.library_scaling),
              c.factor);
}

INSTANTIATE_TEST_SUITE_P(cases, window_scale_choice, testing::ValuesIn(choice_cases),
                         [](const testing::TestParamInfo<choice_case>& info) {
                             return std::string(info.param.name);
                         });

TEST(window_scale_request, reads_whole_numbers_of_one_or_more_only) {
    struct request_case {
        const char* text;
        int value;
    };
    const request_case cases[] = {
        {nullptr, 0},
        {"", 0},
        {"1", 1},
        {"2", 2},
        {"12", 12},
        {"007", 7},
        {"0", -1},
        {"00", -1},
        {"-1", -1},
        {"+2", -1},
        {" 2", -1},
        {"2 ", -1},
        {"2.0", -1},
        {"two", -1},
        {"0x2", -1},
        {"2\n", -1},
        {"999999999", 999999999},
        {"1234567890", -1},
    };
    for (const request_case& c : cases) {
        EXPECT_EQ(window_scale::requested(c.text), c.value)
            << (c.text != nullptr ? c.text : "(null)");
    }
}

TEST(window_scale_library, only_versions_after_the_classic_one_scale) {
    EXPECT_FALSE(window_scale::library_scales(SDL_version{1, 2, 15}));
    EXPECT_FALSE(window_scale::library_scales(SDL_version{1, 2, 14}));
    EXPECT_TRUE(window_scale::library_scales(SDL_version{1, 2, 50}));
    EXPECT_TRUE(window_scale::library_scales(SDL_version{1, 2, 60}));
    EXPECT_TRUE(window_scale::library_scales(SDL_version{1, 2, 68}));
}

TEST_F(window_scale_env, compat_reads_the_fitting_factor_while_the_mode_is_set_and_only_then) {
    pretend(true, 1920, 1080);
    SDL_Init(SDL_INIT_VIDEO);
    SDL_Surface* s = window_scale::set_video_mode(400, 300, 32, 0);
    ASSERT_NE(s, nullptr);
    // The game still draws its own size; only the presentation grows.
    EXPECT_EQ(s->w, 400);
    EXPECT_EQ(s->h, 300);
    EXPECT_EQ(modes_set, 1);
    EXPECT_EQ(scaling_seen, "2");
    EXPECT_EQ(variable_text(scaling_variable), "(unset)");

    // The next mode, the defaults after a refusal for instance, is chosen afresh.
    window_scale::set_video_mode(1000, 700, 32, 0);
    EXPECT_EQ(scaling_seen, "1");
    EXPECT_EQ(variable_text(scaling_variable), "(unset)");
}

TEST_F(window_scale_env, what_the_library_reads_for_each_start) {
    struct start_case {
        const char* name;
        bool compat;
        uint32_t flags;
        const char* vexlorn_scale;
        const char* library_scaling;
        const char* seen;  // SDL12COMPAT_WINDOW_SCALING during the mode set
    };
    const start_case cases[] = {
        {"compat_fits", true, 0, nullptr, nullptr, "2"},
        {"compat_player_scale", true, 0, "3", nullptr, "3"},
        {"compat_player_scale_one", true, 0, "1", nullptr, "1"},
        {"compat_bad_player_scale", true, 0, "huge", nullptr, "2"},
        {"compat_library_variable_kept", true, 0, "3", "4", "4"},
        {"compat_fullscreen", true, SDL_FULLSCREEN, nullptr, nullptr, "(unset)"},
        {"classic_untouched", false, 0, "3", nullptr, "(unset)"},
        {"classic_library_variable_kept", false, 0, nullptr, "4", "4"},
    };
    for (const start_case& c : cases) {
        SCOPED_TRACE(c.name);
        put_variable(scale_variable, c.vexlorn_scale);
        put_variable(scaling_variable, c.library_scaling);
        pretend(c.compat, 1920, 1080);
        SDL_Init(SDL_INIT_VIDEO);
        EXPECT_NE(window_scale::set_video_mode(400, 300, 32, c.flags), nullptr);
        EXPECT_EQ(scaling_seen, c.seen);
        // Whatever the player set is still there, and nothing of ours is left behind.
        EXPECT_EQ(variable_text(scaling_variable),
                  c.library_scaling != nullptr ? c.library_scaling : "(unset)");
        SDL_Quit();
    }
}

TEST_F(window_scale_env, compat_gets_crisp_pixels_unless_the_player_chose_a_method) {
    struct method_case {
        const char* name;
        bool compat;
        const char* player_method;
        const char* method_after;
    };
    const method_case cases[] = {
        {"compat_nearest", true, nullptr, "nearest"},
        {"compat_player_linear_kept", true, "linear", "linear"},
        {"compat_empty_counts_as_unset", true, "", "nearest"},
        {"classic_untouched", false, nullptr, "(unset)"},
    };
    for (const method_case& c : cases) {
        SCOPED_TRACE(c.name);
        put_variable(method_variable, c.player_method);
        pretend(c.compat, 1920, 1080);
        window_scale::prepare_library();
        EXPECT_EQ(variable_text(method_variable), c.method_after);
    }
}

TEST_F(window_scale_env, an_unusable_vexlorn_scale_gives_one_line_on_standard_error_only) {
    struct warning_case {
        const char* value;
        bool compat;
        int lines;
    };
    const warning_case cases[] = {
        {"2x", true, 1}, {"0", true, 1},     {"-1", false, 1}, {"2", true, 0},
        {"", true, 0},   {nullptr, true, 0}, {"3", false, 0},
    };
    for (const warning_case& c : cases) {
        SCOPED_TRACE(c.value != nullptr ? c.value : "(unset)");
        put_variable(scale_variable, c.value);
        pretend(c.compat, 1920, 1080);
        testing::internal::CaptureStderr();
        std::string out = capture_stdout([] { window_scale::prepare_library(); });
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(out, "");
        EXPECT_EQ(count_lines(err, "\n"), c.lines) << err;
        if (c.lines > 0) {
            EXPECT_NE(err.find("VEXLORN_SCALE"), std::string::npos) << err;
        }
    }
}

TEST_F(window_scale_env, the_video_set_up_scales_its_windows_and_prints_the_same_lines) {
    struct setup_case {
        const char* name;
        const char* settings;  // null: no settings file
        int modes;             // mode sets, the defaults after a refusal included
        const char* last_seen;
    };
    const setup_case cases[] = {
        {"first_start", nullptr, 1, "2"},
        {"settings_read", "640 480 32 0", 1, "1"},
        // The refused mode asks for 1, and the defaults that follow are chosen afresh.
        {"settings_refused", "-400 300 32 0", 2, "2"},
    };
    for (const setup_case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string printed[2];
        for (bool compat : {false, true}) {
            enter_scratch_dir();
            if (c.settings != nullptr) {
                std::ofstream(settings_file_name) << c.settings;
            }
            sdl = {};
            modes_set = 0;
            pretend(compat, 1920, 1080);
            printed[compat] = capture_stdout([] { sdl.init(SDL_INIT_VIDEO); });
            EXPECT_EQ(modes_set, c.modes);
            EXPECT_EQ(scaling_seen, compat ? c.last_seen : "(unset)");
            SDL_Quit();
        }
        EXPECT_EQ(printed[true], printed[false]);
    }
}
