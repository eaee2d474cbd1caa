// settings_fuzzer.cpp: arbitrary bytes as a settings file, read by the settings reader and by
// a plain restatement of the reading rules; any difference or memory fault is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/sdl.h"

namespace {

bool is_white_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Skips white space and reads an optionally signed decimal integer that lies within
// [low, high]. Digits go on being consumed past the limit, as a reader must to find the end.
bool read_integer(const std::string& text, size_t& pos, long long low, long long high,
                  long long& out) {
    while (pos < text.size() && is_white_space(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const size_t first_digit = pos;
    const long long cap = 1LL << 40;  // beyond any limit asked for here
    long long magnitude = 0;
    while (pos < text.size() && is_digit(text[pos])) {
        magnitude = magnitude > cap ? magnitude : magnitude * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == first_digit) {
        return false;
    }
    out = negative ? -magnitude : magnitude;
    return out >= low && out <= high;
}

struct fields {
    int32_t width;
    int32_t height;
    int32_t bpp;
    bool fullscreen;
};

fields by_the_rules(const std::string& text, fields start) {
    fields f = start;
    size_t pos = 0;
    long long v = 0;
    if (!read_integer(text, pos, INT32_MIN, INT32_MAX, v)) {
        return f;
    }
    f.width = int32_t(v);
    if (!read_integer(text, pos, INT32_MIN, INT32_MAX, v)) {
        return f;
    }
    f.height = int32_t(v);
    if (!read_integer(text, pos, INT32_MIN, INT32_MAX, v)) {
        return f;
    }
    f.bpp = int32_t(v);
    if (read_integer(text, pos, 0, 1, v)) {
        f.fullscreen = v == 1;
    }
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Preset fields show a reader that writes a field it should have left alone.
    const fields start = {-7, -8, -9, size % 2 == 1};
    sdl.width = start.width;
    sdl.height = start.height;
    sdl.bpp = start.bpp;
    sdl.fullscreen = start.fullscreen;
    std::istringstream in(text);
    sdl.read_values(in);

    const fields want = by_the_rules(text, start);
    if (sdl.width != want.width || sdl.height != want.height || sdl.bpp != want.bpp ||
        sdl.fullscreen != want.fullscreen) {
        std::abort();
    }
    return 0;
}
