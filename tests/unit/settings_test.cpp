// settings_test.cpp: reading and writing the four values of Video_Settings.cfg.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/sdl.h"
#include "test_support.h"

using namespace test_support;

namespace {

// While set, renaming fails as it does across file systems; otherwise the library renames.
bool rename_fails = false;

}  // namespace

extern "C" int rename(const char* from, const char* to) noexcept {
    if (rename_fails) {
        errno = EXDEV;
        return -1;
    }
    using rename_fn = int (*)(const char*, const char*);
    static const rename_fn library = reinterpret_cast<rename_fn>(dlsym(RTLD_NEXT, "rename"));
    return library(from, to);
}

namespace {

struct settings_values {
    int32_t width;
    int32_t height;
    int32_t bpp;
    bool fullscreen;
};

std::ostream& operator<<(std::ostream& out, const settings_values& v) {
    return out << v.width << "/" << v.height << "/" << v.bpp << "/" << v.fullscreen;
}

bool operator==(const settings_values& a, const settings_values& b) {
    return a.width == b.width && a.height == b.height && a.bpp == b.bpp &&
           a.fullscreen == b.fullscreen;
}

settings_values current() {
    return {sdl.width, sdl.height, sdl.bpp, sdl.fullscreen};
}

void set_current(const settings_values& v) {
    sdl.width = v.width;
    sdl.height = v.height;
    sdl.bpp = v.bpp;
    sdl.fullscreen = v.fullscreen;
}

void put_file(const char* name, const std::string& text) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << text;
}

struct read_case {
    const char* name;
    std::string text;
    settings_values before;
    settings_values after;
};

std::ostream& operator<<(std::ostream& out, const read_case& c) {
    return out << c.name;
}

// Prior values differ from everything the texts hold, so a field that is wrongly
// overwritten or wrongly kept shows.
constexpr settings_values prior_off = {11, 22, 33, false};
constexpr settings_values prior_on = {11, 22, 33, true};

const read_case read_cases[] = {
    {"four_lines", "640\n480\n16\n1\n", prior_off, {640, 480, 16, true}},
    {"one_line", "640 480 16 1", prior_off, {640, 480, 16, true}},
    {"blanks_and_tabs", " \t800\t\t600 \n\n \t24\t 0 \n", prior_on, {800, 600, 24, false}},
    {"crlf", "1024\r\n768\r\n32\r\n1\r\n", prior_off, {1024, 768, 32, true}},
    {"plus_one_is_on", "1 2 3 +1", prior_off, {1, 2, 3, true}},
    {"double_zero_is_off", "1 2 3 00", prior_on, {1, 2, 3, false}},
    {"two_is_no_flag", "1 2 3 2", prior_off, {1, 2, 3, false}},
    {"two_keeps_on", "1 2 3 2", prior_on, {1, 2, 3, true}},
    {"minus_one_is_no_flag", "1 2 3 -1", prior_off, {1, 2, 3, false}},
    {"word_true_is_no_flag", "1 2 3 true", prior_off, {1, 2, 3, false}},
    {"missing_flag", "1 2 3\n", prior_on, {1, 2, 3, true}},
    {"number_then_letter", "800x600 32 1", prior_on, {800, 22, 33, true}},
    {"flag_then_letter", "1 2 3 1x", prior_off, {1, 2, 3, true}},
    {"too_big_for_32_bits", "4294967296 300 32 0", prior_on, {11, 22, 33, true}},
    {"too_small_for_32_bits", "400 -2147483649 32 0", prior_on, {400, 22, 33, true}},
    {"just_fits_32_bits",
     "2147483647 -2147483648 -32 0",
     prior_on,
     {INT32_MAX, INT32_MIN, -32, false}},
    {"signs", "+400 -300 -0 0", prior_on, {400, -300, 0, false}},
    {"empty_file", "", prior_on, {11, 22, 33, true}},
    {"only_white_space", " \r\n\t\n", prior_on, {11, 22, 33, true}},
    {"starts_with_a_word", "wide 300 32 1", prior_off, {11, 22, 33, false}},
    {"two_values", "640 480", prior_on, {640, 480, 33, true}},
    {"rest_ignored", "640 480 16 1 999 junk\n", prior_off, {640, 480, 16, true}},
    {"decimal_point", "640.5 480 16 1", prior_off, {640, 22, 33, false}},
    {"leading_zeros_are_decimal", "0800 0600 016 01", prior_off, {800, 600, 16, true}},
    {"no_hexadecimal", "0x20 300 32 1", prior_on, {0, 22, 33, true}},
};

class settings_reading : public testing::TestWithParam<read_case> {};

TEST_P(settings_reading, from_a_stream) {
    const read_case& c = GetParam();
    set_current(c.before);
    std::istringstream in(c.text);
    std::string printed = capture_stdout([&] { sdl.read_values(in); });
    EXPECT_EQ(current(), c.after);
    EXPECT_EQ(printed, "");
}

TEST_P(settings_reading, from_the_settings_file) {
    const read_case& c = GetParam();
    enter_scratch_dir();
    put_file("Video_Settings.cfg", c.text);
    set_current(c.before);
    bool read = false;
    std::string printed = capture_stdout([&] { read = sdl.read_config(); });
    EXPECT_TRUE(read);
    EXPECT_EQ(current(), c.after);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(sdl.screen, nullptr) << "reading alone sets no mode";
    EXPECT_EQ(file_text("Video_Settings.cfg"), c.text) << "reading leaves the file alone";
}

INSTANTIATE_TEST_SUITE_P(cases, settings_reading, testing::ValuesIn(read_cases),
                         [](const testing::TestParamInfo<read_case>& info) {
                             return std::string(info.param.name);
                         });

TEST(settings_writing, writes_four_lines_in_decimal) {
    struct write_case {
        settings_values values;
        const char* text;
    };
    const write_case cases[] = {
        {{400, 300, 32, false}, "400\n300\n32\n0\n"},
        {{1024, 768, 16, true}, "1024\n768\n16\n1\n"},
        {{-5, -300, 0, false}, "-5\n-300\n0\n0\n"},
        {{INT32_MIN, INT32_MAX, -1, true}, "-2147483648\n2147483647\n-1\n1\n"},
    };
    enter_scratch_dir();
    for (const write_case& c : cases) {
        SCOPED_TRACE(c.text);
        // A longer old file shows whether the write truncates.
        put_file("Video_Settings.cfg", "99999\n99999\n99999\n1\nleftover line\n");
        set_current(c.values);
        std::string printed = capture_stdout([] { sdl.write_config(); });
        EXPECT_EQ(file_text("Video_Settings.cfg"), c.text);
        EXPECT_EQ(printed, "");
        EXPECT_EQ(current(), c.values) << "writing changes no field";
    }
}

TEST(settings_writing, what_is_written_reads_back_the_same) {
    enter_scratch_dir();
    const settings_values values = {-640, 2147483647, 24, true};
    set_current(values);
    sdl.write_config();
    set_current(prior_off);
    ASSERT_TRUE(sdl.read_config());
    EXPECT_EQ(current(), values);
}

TEST(settings_writing, unwritable_file_prints_one_error_and_changes_nothing) {
    enter_scratch_dir();
    ASSERT_EQ(mkdir("Video_Settings.cfg", 0755), 0);
    set_current({400, 300, 32, false});
    std::string printed = capture_stdout([] { sdl.write_config(); });
    EXPECT_EQ(printed, "ERROR:  SDL.WriteConfig -> Unable to Write to File: Video_Settings.cfg\n");
    EXPECT_EQ(current(), settings_values({400, 300, 32, false}));
}

// ---- replacing the file whole --------------------------------------------------------------

const char* const write_error_line =
    "ERROR:  SDL.WriteConfig -> Unable to Write to File: Video_Settings.cfg\n";

// Every name in a folder, so that a temporary file left behind shows.
std::set<std::string> names_in(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Runs fn with files limited to `bytes`: a write beyond fails as on a full disk. The limit is
// lifted before fn's printing is flushed into the captured output, which is a file too.
void with_file_size_limit(rlim_t bytes, const std::function<void()>& fn) {
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit limited = before;
    limited.rlim_cur = bytes;
    std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    fn();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &before), 0);
}

TEST(settings_writing, a_disk_full_at_any_byte_leaves_the_old_file_as_it_was) {
    const std::string old_text = "640\n480\n16\n0\n";
    const std::string new_text = "1024\n768\n32\n1\n";
    for (bool old_file : {true, false}) {
        for (size_t room = 0; room <= new_text.size(); ++room) {
            SCOPED_TRACE(testing::Message()
                         << (old_file ? "old file, " : "no file, ") << room << " bytes of room");
            enter_scratch_dir();
            if (old_file) {
                put_file("Video_Settings.cfg", old_text);
            }
            set_current({1024, 768, 32, true});
            std::string printed =
                capture_stdout([&] { with_file_size_limit(room, [] { sdl.write_config(); }); });
            const bool fits = room == new_text.size();
            EXPECT_EQ(printed, fits ? "" : write_error_line);
            EXPECT_EQ(file_text("Video_Settings.cfg"), fits ? new_text : old_file ? old_text : "");
            const std::set<std::string> left = fits || old_file
                                                   ? std::set<std::string>{"Video_Settings.cfg"}
                                                   : std::set<std::string>{};
            EXPECT_EQ(names_in("."), left) << "no temporary file is left";
        }
    }
}

TEST(settings_writing, a_failed_rename_leaves_the_old_file_and_no_temporary_one) {
    enter_scratch_dir();
    put_file("Video_Settings.cfg", "640\n480\n16\n0\n");
    set_current({1024, 768, 32, true});
    rename_fails = true;
    std::string printed = capture_stdout([] { sdl.write_config(); });
    rename_fails = false;
    EXPECT_EQ(printed, write_error_line);
    EXPECT_EQ(file_text("Video_Settings.cfg"), "640\n480\n16\n0\n");
    EXPECT_EQ(names_in("."), std::set<std::string>({"Video_Settings.cfg"}));
}

TEST(settings_writing, keeps_the_permissions_of_the_file_it_replaces) {
    enter_scratch_dir();
    put_file("Video_Settings.cfg", "640\n480\n16\n0\n");
    ASSERT_EQ(chmod("Video_Settings.cfg", 0604), 0);
    set_current({400, 300, 32, false});
    sdl.write_config();
    struct stat info;
    ASSERT_EQ(stat("Video_Settings.cfg", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);

    // A new file gets what the process's file mask allows, as an ordinary new file does.
    ASSERT_EQ(unlink("Video_Settings.cfg"), 0);
    const mode_t mask = umask(027);
    sdl.write_config();
    umask(mask);
    ASSERT_EQ(stat("Video_Settings.cfg", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(file_text("Video_Settings.cfg"), "400\n300\n32\n0\n");
}

struct link_case {
    const char* name;
    // Links to make, in order: where, and what it points to.
    std::vector<std::pair<std::string, std::string>> links;
    const char* target;  // the file that finally holds the settings
    bool target_exists;
};

std::ostream& operator<<(std::ostream& out, const link_case& c) {
    return out << c.name;
}

class settings_link : public testing::TestWithParam<link_case> {};

// Players keep their settings in a dotfile repository behind a link; the link must stay.
TEST_P(settings_link, stays_a_link_and_its_target_is_replaced) {
    const link_case& c = GetParam();
    const std::string folder = enter_scratch_dir();
    ASSERT_EQ(mkdir("dotfiles", 0755), 0);
    ASSERT_EQ(mkdir("links", 0755), 0);
    if (c.target_exists) {
        put_file(c.target, "640\n480\n16\n0\n");
    }
    for (const auto& [where, to] : c.links) {
        std::string pointed = to;
        if (pointed.rfind("ABS/", 0) == 0) {
            pointed = folder + "/" + pointed.substr(4);
        }
        ASSERT_EQ(symlink(pointed.c_str(), where.c_str()), 0) << where;
    }
    const auto names_before = names_in(".");
    const auto links_before = names_in("links");
    set_current({1024, 768, 32, true});
    std::string printed = capture_stdout([] { sdl.write_config(); });
    EXPECT_EQ(printed, "");
    for (const auto& [where, to] : c.links) {
        struct stat info;
        ASSERT_EQ(lstat(where.c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << where << " is still a link";
    }
    EXPECT_EQ(file_text(c.target), "1024\n768\n32\n1\n");
    EXPECT_EQ(file_text("Video_Settings.cfg"), "1024\n768\n32\n1\n");
    EXPECT_EQ(names_in("."), names_before);
    EXPECT_EQ(names_in("links"), links_before);
    EXPECT_EQ(names_in("dotfiles"), std::set<std::string>({"vexlorn.cfg"}))
        << "the target, and no temporary file beside it";
}

INSTANTIATE_TEST_SUITE_P(
    kinds, settings_link,
    testing::Values(link_case{"relative",
                              {{"Video_Settings.cfg", "dotfiles/vexlorn.cfg"}},
                              "dotfiles/vexlorn.cfg",
                              true},
                    link_case{"absolute",
                              {{"Video_Settings.cfg", "ABS/dotfiles/vexlorn.cfg"}},
                              "dotfiles/vexlorn.cfg",
                              true},
                    // The second link's target is relative to its own folder, not to the game's.
                    link_case{"chain",
                              {{"links/second", "../dotfiles/vexlorn.cfg"},
                               {"Video_Settings.cfg", "links/second"}},
                              "dotfiles/vexlorn.cfg",
                              true},
                    link_case{"to_a_file_not_yet_made",
                              {{"Video_Settings.cfg", "dotfiles/vexlorn.cfg"}},
                              "dotfiles/vexlorn.cfg",
                              false}),
    [](const testing::TestParamInfo<link_case>& info) { return std::string(info.param.name); });

TEST(settings_writing, a_loop_of_links_is_not_written) {
    enter_scratch_dir();
    ASSERT_EQ(symlink("other", "Video_Settings.cfg"), 0);
    ASSERT_EQ(symlink("Video_Settings.cfg", "other"), 0);
    std::string printed = capture_stdout([] { sdl.write_config(); });
    EXPECT_EQ(printed, write_error_line);
    EXPECT_EQ(names_in("."), std::set<std::string>({"Video_Settings.cfg", "other"}));
}

}  // namespace
