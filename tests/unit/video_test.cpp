// video_test.cpp: the video set-up's outcomes, the fullscreen mode list and its nodes.
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fake_sdl.h"
#include "platform/sdl.h"
#include "test_support.h"

using namespace test_support;

namespace {

// The dummy driver answers "any size" for fullscreen; a test arms its own list here to see
// the filter and the printed listing. Unarmed, the library answers as usual.
bool fake_modes_armed = false;
SDL_Rect** fake_modes = nullptr;

}  // namespace

extern "C" SDL_Rect** SDL_ListModes(SDL_PixelFormat* format, Uint32 flags) {
    if (fake_modes_armed) {
        return fake_modes;
    }
    using list_modes_fn = SDL_Rect** (*)(SDL_PixelFormat*, Uint32);
    static const list_modes_fn library_list_modes =
        reinterpret_cast<list_modes_fn>(dlsym(RTLD_NEXT, "SDL_ListModes"));
    return library_list_modes(format, flags);
}

namespace {

const char* const infinite_line =
    "DEBUG:  Infinite Potential Fullscreen Resolutions (How Did You Manage That?) \n";
const char* const no_modes_line = "DEBUG:  No Available Fullscreen Resolutions \n";
const char* const title_line = "DEBUG:  Setting Window Title \n";
const char* const default_line =
    "DEBUG:  Attempting to Init SDL Window at 400 x 300, 32 bit depth \n";
const char* const created_line = "DEBUG:  SDL Window Created Sucessfully \n";
const char* const refused_line = "CRITICAL EXISTANCE FAILURE: Unable to Create SDL Window \n";
const char* const no_default_line =
    "SUPER CRITICAL EXISTANCE FAILURE: Unable to Create SDL Window with Default Values \n";
const char* const no_file_line =
    "ERROR:  SDL.ReadConfig -> Unable to Read From File: Video_Settings.cfg - Reverting to "
    "Defaults\n";
const char* const write_error_line =
    "ERROR:  SDL.WriteConfig -> Unable to Write to File: Video_Settings.cfg\n";
const char* const defaults_text = "400\n300\n32\n0\n";

std::string attempt_line(int w, int h, int bpp) {
    return "DEBUG:  Attempting to make SDL Window at " + std::to_string(w) + " x " +
           std::to_string(h) + ", " + std::to_string(bpp) + " bit depth \n";
}

// What stands in the settings file's place.
enum class settings_file { missing, directory, text, fifo, device_link };

// Who answers the first request for a window: the library, or the test in its place, so
// that both answers the libraries give to the same request are seen on either library.
enum class first_answer { library, refused, granted_640x480 };

struct setup_case {
    const char* name;
    const char* driver;
    settings_file file;
    const char* text;
    first_answer answer;
    std::vector<std::string> lines;
    // Expected display surface; width 0 means none.
    int screen_w, screen_h, screen_bpp;
    bool screen_fullscreen;
    const char* file_after;  // nullptr: the file cannot be read back
    bool quit;
};

std::ostream& operator<<(std::ostream& out, const setup_case& c) {
    return out << c.name;
}

std::vector<std::string> refused_lines(int w, int h, int bpp) {
    return {infinite_line, attempt_line(w, h, bpp), refused_line, default_line, title_line};
}

// An empty file leaves all four fields 0; whether a 0 x 0 x 0 window is granted is the
// library's choice (see video_setup_empty_file).
const setup_case empty_file_refused = {"empty_file_asks_for_zeros_refused",
                                       "dummy",
                                       settings_file::text,
                                       "",
                                       first_answer::refused,
                                       refused_lines(0, 0, 0),
                                       400,
                                       300,
                                       32,
                                       false,
                                       defaults_text,
                                       false};
const setup_case empty_file_granted = {
    "empty_file_asks_for_zeros_granted",
    "dummy",
    settings_file::text,
    "",
    first_answer::granted_640x480,
    {infinite_line, attempt_line(0, 0, 0), created_line, title_line},
    640,
    480,
    32,
    false,
    "0\n0\n0\n0\n",
    false};

const setup_case setup_cases[] = {
    {"read_and_accepted",
     "dummy",
     settings_file::text,
     "320\n240\n16\n0\n",
     first_answer::library,
     {infinite_line, attempt_line(320, 240, 16), created_line, title_line},
     320,
     240,
     16,
     false,
     "320\n240\n16\n0\n",
     false},
    {"fullscreen_on_one_line",
     "dummy",
     settings_file::text,
     "1024 768 32 1",
     first_answer::library,
     {infinite_line, attempt_line(1024, 768, 32), created_line, title_line},
     1024,
     768,
     32,
     true,
     "1024\n768\n32\n1\n",
     false},
    {"flag_two_asks_for_a_window",
     "dummy",
     settings_file::text,
     "640\n480\n32\n2\n",
     first_answer::library,
     {infinite_line, attempt_line(640, 480, 32), created_line, title_line},
     640,
     480,
     32,
     false,
     "640\n480\n32\n0\n",
     false},
    {"read_and_refused", "dummy", settings_file::text, "-400\n300\n32\n0\n", first_answer::library,
     refused_lines(-400, 300, 32), 400, 300, 32, false, defaults_text, false},
    // Sizes beyond 16 bits would reach the window system cut short; they are refused.
    {"width_beyond_16_bits", "dummy", settings_file::text, "65536\n10\n32\n0\n",
     first_answer::library, refused_lines(65536, 10, 32), 400, 300, 32, false, defaults_text,
     false},
    {"height_beyond_16_bits", "dummy", settings_file::text, "100 65536 32 0", first_answer::library,
     refused_lines(100, 65536, 32), 400, 300, 32, false, defaults_text, false},
    {"width_far_beyond_16_bits", "dummy", settings_file::text, "131072 300 32 0",
     first_answer::library, refused_lines(131072, 300, 32), 400, 300, 32, false, defaults_text,
     false},
    empty_file_refused,
    empty_file_granted,
    {"file_missing",
     "dummy",
     settings_file::missing,
     nullptr,
     first_answer::library,
     {infinite_line, no_file_line, default_line, title_line},
     400,
     300,
     32,
     false,
     defaults_text,
     false},
    // A folder in the file's place can be neither read nor written.
    {"folder_in_place_of_the_file",
     "dummy",
     settings_file::directory,
     nullptr,
     first_answer::library,
     {infinite_line, no_file_line, default_line, write_error_line, title_line},
     400,
     300,
     32,
     false,
     nullptr,
     false},
    // A FIFO would hold the start in open() for ever; a device holds no settings. Neither is
    // read, and neither is written over.
    {"fifo_in_place_of_the_file",
     "dummy",
     settings_file::fifo,
     nullptr,
     first_answer::library,
     {infinite_line, no_file_line, default_line, write_error_line, title_line},
     400,
     300,
     32,
     false,
     nullptr,
     false},
    {"link_to_a_device",
     "dummy",
     settings_file::device_link,
     nullptr,
     first_answer::library,
     {infinite_line, no_file_line, default_line, write_error_line, title_line},
     400,
     300,
     32,
     false,
     nullptr,
     false},
    {"no_display_file_missing",
     "no-such-driver",
     settings_file::missing,
     nullptr,
     first_answer::library,
     {"CRITICAL EXISTANCE FAILURE: Unable to Init SDL \n", no_modes_line, no_file_line,
      default_line, no_default_line, title_line},
     0,
     0,
     0,
     false,
     defaults_text,
     true},
    {"no_display_file_read",
     "no-such-driver",
     settings_file::text,
     "640 480 32 0",
     first_answer::library,
     {"CRITICAL EXISTANCE FAILURE: Unable to Init SDL \n", no_modes_line,
      attempt_line(640, 480, 32), refused_line, default_line, no_default_line, title_line},
     0,
     0,
     0,
     false,
     defaults_text,
     true},
};

// The test's answers stand in for the first request only; the library answers the rest.
SDL_Surface* refuse_once(int, int, int, Uint32) {
    fake_sdl::set_video_mode = nullptr;
    return nullptr;
}

SDL_Surface* grant_640x480_once(int, int, int, Uint32 flags) {
    fake_sdl::set_video_mode = nullptr;
    return fake_sdl::library_set_video_mode(640, 480, 32, flags);
}

SDL_Surface* refuse_all_but_the_default(int w, int h, int bpp, Uint32 flags) {
    if (w == 400 && h == 300 && bpp == 32 && flags == 0) {
        return fake_sdl::library_set_video_mode(w, h, bpp, flags);
    }
    return nullptr;
}

// Prepares the folder and the driver, runs the set-up and returns what it printed.
std::string run_setup(const setup_case& c) {
    enter_scratch_dir();
    setenv("SDL_VIDEODRIVER", c.driver, 1);
    if (c.file == settings_file::text) {
        std::ofstream(settings_file_name, std::ios::binary) << c.text;
    } else if (c.file == settings_file::directory) {
        EXPECT_EQ(mkdir(settings_file_name, 0755), 0);
    } else if (c.file == settings_file::fifo) {
        EXPECT_EQ(mkfifo(settings_file_name, 0644), 0);
    } else if (c.file == settings_file::device_link) {
        EXPECT_EQ(symlink("/dev/zero", settings_file_name), 0);
    }
    fake_sdl::video_requests.clear();
    fake_sdl::set_video_mode = c.answer == first_answer::refused           ? refuse_once
                               : c.answer == first_answer::granted_640x480 ? grant_640x480_once
                                                                           : nullptr;
    // Should the set-up ever wait on a FIFO again, the test ends here instead of hanging.
    alarm(60);
    std::string printed = capture_stdout([] { sdl.init(SDL_INIT_VIDEO); });
    alarm(0);
    return printed;
}

// The file type of what stands in the settings file's place, links not followed; 0 for none.
mode_t type_in_place() {
    struct stat info;
    return lstat(settings_file_name, &info) == 0 ? info.st_mode & S_IFMT : 0;
}

void expect_outcome(const setup_case& c, const std::string& printed) {
    std::string expected;
    for (const std::string& line : c.lines) {
        expected += line;
    }
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(sdl.quit, c.quit);
    if (c.screen_w == 0) {
        EXPECT_EQ(sdl.screen, nullptr);
    } else {
        ASSERT_NE(sdl.screen, nullptr);
        EXPECT_EQ(sdl.screen->w, c.screen_w);
        EXPECT_EQ(sdl.screen->h, c.screen_h);
        EXPECT_EQ(sdl.screen->format->BitsPerPixel, c.screen_bpp);
        EXPECT_EQ((sdl.screen->flags & SDL_FULLSCREEN) != 0, c.screen_fullscreen);
        EXPECT_EQ(caption(), "Vexlorn");
    }
    if (c.file_after != nullptr) {
        EXPECT_EQ(file_text(settings_file_name), c.file_after);
    }
}

class video_setup : public testing::TestWithParam<setup_case> {};

TEST_P(video_setup, prints_its_lines_in_order_and_leaves_window_and_file) {
    const setup_case& c = GetParam();
    const bool kept_in_place = c.file == settings_file::directory ||
                               c.file == settings_file::fifo ||
                               c.file == settings_file::device_link;
    std::string printed = run_setup(c);
    expect_outcome(c, printed);
    if (kept_in_place) {
        const mode_t expected = c.file == settings_file::directory ? S_IFDIR
                                : c.file == settings_file::fifo    ? S_IFIFO
                                                                   : S_IFLNK;
        EXPECT_EQ(type_in_place(), expected) << "what stood in the file's place is left alone";
    }
    for (const fake_sdl::video_request& r : fake_sdl::video_requests) {
        EXPECT_LE(r.w, 65535) << "a width the library cannot hold reached it";
        EXPECT_LE(r.h, 65535) << "a height the library cannot hold reached it";
    }
}

INSTANTIATE_TEST_SUITE_P(outcomes, video_setup, testing::ValuesIn(setup_cases),
                         [](const testing::TestParamInfo<setup_case>& info) {
                             return std::string(info.param.name);
                         });

// Classic SDL 1.2 refuses a 0 x 0 x 0 window on the dummy driver, sdl12-compat grants one of
// the desktop's size: either way the game takes the path that belongs to the answer.
TEST(video_setup_empty_file, follows_the_librarys_own_answer) {
    setup_case c = empty_file_refused;
    c.answer = first_answer::library;
    std::string printed = run_setup(c);
    ASSERT_FALSE(fake_sdl::video_requests.empty());
    const fake_sdl::video_request first = fake_sdl::video_requests.front();
    EXPECT_EQ(first.w, 0);
    EXPECT_EQ(first.h, 0);
    EXPECT_EQ(first.bpp, 0);
    if (first.granted) {
        SCOPED_TRACE("the library granted 0 x 0");
        c = empty_file_granted;
        ASSERT_NE(sdl.screen, nullptr);
        // The size of a granted 0 x 0 window is the library's to choose.
        c.screen_w = sdl.screen->w;
        c.screen_h = sdl.screen->h;
        c.screen_bpp = sdl.screen->format->BitsPerPixel;
        EXPECT_GT(c.screen_w, 0);
        EXPECT_GT(c.screen_h, 0);
    } else {
        SCOPED_TRACE("the library refused 0 x 0");
    }
    expect_outcome(c, printed);
}

TEST(video_mode, a_size_reaches_the_library_only_when_it_fits_in_16_bits) {
    struct size_case {
        int w, h;
        bool asked;
    };
    const size_case cases[] = {
        {65535, 10, true},      {10, 65535, true},   {65536, 10, false}, {10, 65536, false},
        {131072, 300, false},   {-65536, 300, true},  // negative sizes are the library's to refuse
        {2147483647, 1, false},
    };
    enter_scratch_dir();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    for (const size_case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.w << " x " << k.h);
        fake_sdl::video_requests.clear();
        // Refused in the library's place, so that no huge surface is made.
        fake_sdl::set_video_mode = refuse_all_but_the_default;
        std::string printed = capture_stdout([&] { sdl.set_video(k.w, k.h, 8, 0); });
        EXPECT_EQ(printed, attempt_line(k.w, k.h, 8) + refused_line + default_line);
        ASSERT_EQ(fake_sdl::video_requests.size(), k.asked ? 2u : 1u);
        if (k.asked) {
            EXPECT_EQ(fake_sdl::video_requests[0].w, k.w);
            EXPECT_EQ(fake_sdl::video_requests[0].h, k.h);
        }
        const fake_sdl::video_request defaults = fake_sdl::video_requests.back();
        EXPECT_EQ(defaults.w, 400);
        EXPECT_EQ(defaults.h, 300);
        EXPECT_TRUE(defaults.granted);
        EXPECT_EQ(file_text(settings_file_name), defaults_text);
    }
}

TEST(video_mode, accepted_mode_with_unwritable_file_keeps_the_window) {
    enter_scratch_dir();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    ASSERT_EQ(mkdir(settings_file_name, 0755), 0);
    sdl.width = 320;
    sdl.height = 240;
    sdl.bpp = 16;
    std::string printed = capture_stdout([] { sdl.set_video(320, 240, 16, 0); });
    EXPECT_EQ(printed, attempt_line(320, 240, 16) + created_line + write_error_line);
    ASSERT_NE(sdl.screen, nullptr);
    EXPECT_EQ(sdl.screen->w, 320);
    EXPECT_EQ(sdl.width, 320) << "a failed write does not revert to the defaults";
    EXPECT_FALSE(sdl.quit);
}

TEST(video_mode, set_video_writes_the_fields_not_its_arguments) {
    enter_scratch_dir();
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    sdl.width = 1;
    sdl.height = 2;
    sdl.bpp = 3;
    sdl.fullscreen = true;
    capture_stdout([] { sdl.set_video(320, 240, 16, 0); });
    ASSERT_NE(sdl.screen, nullptr);
    EXPECT_EQ(sdl.screen->w, 320);
    EXPECT_EQ(file_text(settings_file_name), "1\n2\n3\n1\n");
}

// Arms a fake mode list for the duration of a test.
class mode_listing : public testing::Test {
protected:
    std::vector<SDL_Rect> rects;
    std::vector<SDL_Rect*> list;

    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    }
    void TearDown() override { fake_modes_armed = false; }

    void offer(const std::vector<std::pair<int, int>>& sizes) {
        rects.clear();
        for (auto [w, h] : sizes) {
            rects.push_back(SDL_Rect{0, 0, Uint16(w), Uint16(h)});
        }
        list.clear();
        for (SDL_Rect& r : rects) {
            list.push_back(&r);
        }
        list.push_back(nullptr);
        fake_modes = list.data();
        fake_modes_armed = true;
    }

    std::vector<std::string> kept_labels() {
        std::vector<std::string> labels;
        for (resolution* node = sdl.modes_head; node != nullptr; node = node->next) {
            labels.push_back(std::string(node->label) + "=" + std::to_string(node->w) + "," +
                             std::to_string(node->h));
        }
        return labels;
    }
};

TEST_F(mode_listing, dummy_driver_offers_any_size) {
    std::string printed = capture_stdout([] { sdl.fullscreen_check(); });
    EXPECT_EQ(printed, infinite_line);
    EXPECT_EQ(sdl.modes_head, nullptr);
}

TEST_F(mode_listing, keeps_wide_landscape_modes_in_the_library_order) {
    offer({{1920, 1080}, {799, 600}, {800, 600}, {800, 801}, {800, 800}, {640, 480}, {1280, 1024}});
    std::string printed = capture_stdout([] { sdl.fullscreen_check(); });
    EXPECT_EQ(printed,
              "DEBUG:  Available Fullscreen Video Modes: \n"
              "        1920 x 1080\n"
              "        800 x 600\n"
              "        800 x 800\n"
              "        1280 x 1024\n"
              "DEBUG:  Fullscreen Resolutions Available: 4 \n");
    EXPECT_EQ(kept_labels(),
              std::vector<std::string>({"1920 x 1080=1920,1080", "800 x 600=800,600",
                                        "800 x 800=800,800", "1280 x 1024=1280,1024"}));
    ASSERT_NE(sdl.modes_tail, nullptr);
    EXPECT_EQ(sdl.modes_tail->next, nullptr);
    EXPECT_EQ(sdl.modes_tail->w, 1280);
}

TEST_F(mode_listing, an_empty_list_and_no_list) {
    offer({});
    EXPECT_EQ(capture_stdout([] { sdl.fullscreen_check(); }),
              "DEBUG:  Available Fullscreen Video Modes: \n"
              "DEBUG:  Fullscreen Resolutions Available: 0 \n");
    fake_modes = nullptr;
    EXPECT_EQ(capture_stdout([] { sdl.fullscreen_check(); }), no_modes_line);
    EXPECT_EQ(sdl.modes_head, nullptr);
}

TEST(resolution_add, appends_nodes_with_their_labels) {
    sdl.resolution_add(800, 600);
    sdl.resolution_add(65535, 65535);
    sdl.resolution_add(1024, 768);
    ASSERT_NE(sdl.modes_head, nullptr);
    const resolution* first = sdl.modes_head;
    const resolution* second = first->next;
    ASSERT_NE(second, nullptr);
    const resolution* third = second->next;
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->next, nullptr);
    EXPECT_EQ(sdl.modes_tail, third);
    EXPECT_STREQ(first->label, "800 x 600");
    EXPECT_EQ(first->w, 800);
    EXPECT_EQ(first->h, 600);
    EXPECT_STREQ(second->label, "65535 x 65535");
    EXPECT_STREQ(third->label, "1024 x 768");
    EXPECT_EQ(third->w, 1024);
    EXPECT_EQ(third->h, 768);
}

TEST(resolution_add, a_label_never_outgrows_its_sixteen_characters) {
    sdl.resolution_add(-2147483647, -2147483647);
    ASSERT_NE(sdl.modes_head, nullptr);
    const char* label = sdl.modes_head->label;
    ASSERT_NE(std::memchr(label, '\0', sizeof sdl.modes_head->label), nullptr);
    EXPECT_EQ(std::string("-2147483647 x -2147483647").rfind(label, 0), 0u)
        << "the label is the start of the text: " << label;
    EXPECT_EQ(sdl.modes_head->w, -2147483647);
}

}  // namespace
