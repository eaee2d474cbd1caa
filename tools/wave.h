// wave.h: a mono sound as floating-point samples, written out as a 16-bit 44100 Hz WAV file.
#pragma once

#include <string>
#include <vector>

constexpr int sample_rate = 44100;

class wave {
public:
    explicit wave(int sample_count);

    int size() const { return static_cast<int>(samples.size()); }
    float& at(int index) { return samples[static_cast<std::size_t>(index)]; }
    float at(int index) const { return samples[static_cast<std::size_t>(index)]; }
    float peak() const;
    // Scales so the loudest sample sits at the given fraction of full scale: the game plays
    // effects at a fifth of full volume, so they are made loud but never clip.
    void normalise(float target_peak);
    bool write_wav(const std::string& path) const;

private:
    std::vector<float> samples;
};
