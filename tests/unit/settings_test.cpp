// settings_test.cpp: reading and writing the four values of Video_Settings.cfg.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/sdl.h"
#include "test_support.h"

using namespace test_support;

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

}  // namespace
