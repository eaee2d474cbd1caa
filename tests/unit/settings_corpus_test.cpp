// settings_corpus_test.cpp: every settings file of the fuzzing seed corpus, read through the
// settings reader, gives the fields listed for it in settings_expected.txt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sdl.h"

#ifndef VEXLORN_FUZZ_DIR
#define VEXLORN_FUZZ_DIR \
    (std::filesystem::path(__FILE__).parent_path().parent_path() / "fuzz").string()
#endif

namespace {

struct settings_fields {
    int32_t width;
    int32_t height;
    int32_t bpp;
    bool fullscreen;
};

// One expected field: "keep" or a number.
struct expected_value {
    bool keep;
    long long value;
};

struct corpus_case {
    std::string file;
    expected_value width, height, bpp, fullscreen;
};

std::filesystem::path fuzz_dir() {
    return std::filesystem::path(VEXLORN_FUZZ_DIR);
}

expected_value parse_expected(const std::string& word) {
    if (word == "keep") {
        return {true, 0};
    }
    return {false, std::stoll(word)};
}

std::vector<corpus_case> load_cases() {
    std::vector<corpus_case> cases;
    std::ifstream table(fuzz_dir() / "settings_expected.txt");
    std::string line;
    while (std::getline(table, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string file, w, h, b, f;
        if (!(words >> file)) {
            continue;
        }
        words >> w >> h >> b >> f;
        cases.push_back(
            {file, parse_expected(w), parse_expected(h), parse_expected(b), parse_expected(f)});
    }
    return cases;
}

settings_fields read_file_from(const std::filesystem::path& path, settings_fields start) {
    sdl.width = start.width;
    sdl.height = start.height;
    sdl.bpp = start.bpp;
    sdl.fullscreen = start.fullscreen;
    std::ifstream in(path);
    sdl.read_values(in);
    return {sdl.width, sdl.height, sdl.bpp, sdl.fullscreen};
}

long long wanted(const expected_value& e, long long before) {
    return e.keep ? before : e.value;
}

}  // namespace

TEST(settings_corpus, every_file_reads_as_its_table_line_says) {
    const std::vector<corpus_case> cases = load_cases();
    ASSERT_GE(cases.size(), 20u) << "table not found or cut short in " << fuzz_dir();
    // From the start-up state and from one where every field holds something else, so that
    // a field the reader should leave alone cannot pass by being written with zero.
    const settings_fields starts[] = {{0, 0, 0, false}, {-7, -8, -9, true}};
    for (const corpus_case& c : cases) {
        const std::filesystem::path path = fuzz_dir() / "settings_corpus" / c.file;
        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
        for (const settings_fields& start : starts) {
            SCOPED_TRACE(c.file + (start.fullscreen ? " (fields preset)" : " (fields zero)"));
            const settings_fields got = read_file_from(path, start);
            EXPECT_EQ(got.width, wanted(c.width, start.width));
            EXPECT_EQ(got.height, wanted(c.height, start.height));
            EXPECT_EQ(got.bpp, wanted(c.bpp, start.bpp));
            EXPECT_EQ(got.fullscreen, wanted(c.fullscreen, start.fullscreen) != 0);
        }
    }
}

TEST(settings_corpus, every_corpus_file_has_a_table_line) {
    std::map<std::string, int> listed;
    for (const corpus_case& c : load_cases()) {
        ++listed[c.file];
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fuzz_dir() / "settings_corpus")) {
        ++files;
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(listed[name], 1) << name << " needs exactly one line in settings_expected.txt";
    }
    EXPECT_EQ(files, int(listed.size()));
}
