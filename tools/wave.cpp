// wave.cpp: sample buffer and its WAV (RIFF, PCM 16-bit mono) writer.
#include "wave.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

wave::wave(int sample_count) : samples(static_cast<std::size_t>(sample_count), 0.0f) {}

float wave::peak() const {
    float highest = 0.0f;
    for (float sample : samples)
        highest = std::fmax(highest, std::fabs(sample));
    return highest;
}

void wave::normalise(float target_peak) {
    float highest = peak();
    if (highest <= 0.0f)
        return;
    float gain = target_peak / highest;
    for (float& sample : samples)
        sample *= gain;
}

namespace {

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void put_u16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put_tag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(tag[i]));
}

std::int16_t to_pcm(float sample) {
    float scaled = std::nearbyint(sample * 32767.0f);
    if (scaled > 32767.0f)
        scaled = 32767.0f;
    if (scaled < -32767.0f)
        scaled = -32767.0f;
    return static_cast<std::int16_t>(scaled);
}

void put_header(std::vector<std::uint8_t>& out, std::uint32_t data_bytes) {
    const std::uint16_t channels = 1;
    const std::uint16_t bits = 16;
    const std::uint16_t block = channels * bits / 8;
    put_tag(out, "RIFF");
    put_u32(out, 36 + data_bytes);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_u32(out, 16);
    put_u16(out, 1);  // PCM
    put_u16(out, channels);
    put_u32(out, sample_rate);
    put_u32(out, sample_rate * block);
    put_u16(out, block);
    put_u16(out, bits);
    put_tag(out, "data");
    put_u32(out, data_bytes);
}

}  // namespace

bool wave::write_wav(const std::string& path) const {
    std::vector<std::uint8_t> bytes;
    put_header(bytes, static_cast<std::uint32_t>(samples.size() * 2));
    for (float sample : samples)
        put_u16(bytes, static_cast<std::uint16_t>(to_pcm(sample)));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
