// sounds.cpp: deterministic synthesis of the march notes, bursts, the shot and the ship's sounds.
#include "sounds.h"

#include <cmath>

#include "noise.h"

namespace {

constexpr double two_pi = 6.283185307179586;

int samples_for(double seconds) {
    return static_cast<int>(std::lround(seconds * sample_rate));
}

double seconds_at(int index) {
    return static_cast<double>(index) / sample_rate;
}

// A rounded square wave: fuller than a sine, without the harsh edges of a true square.
double soft_square(double phase) {
    return std::tanh(3.0 * std::sin(phase)) / std::tanh(3.0);
}

// Linear ramps at both ends keep every one-shot effect from clicking on and off.
void fade_ends(wave& sound, double attack_seconds, double release_seconds) {
    int attack = samples_for(attack_seconds);
    int release = samples_for(release_seconds);
    for (int i = 0; i < attack && i < sound.size(); ++i)
        sound.at(i) *= static_cast<float>(i) / attack;
    for (int i = 0; i < release && i < sound.size(); ++i)
        sound.at(sound.size() - 1 - i) *= static_cast<float>(i) / release;
}

wave finished(wave sound, double attack_seconds, double release_seconds) {
    fade_ends(sound, attack_seconds, release_seconds);
    sound.normalise(effect_peak);
    return sound;
}

// Noise through a one-pole low-pass whose cut-off falls with time: a burst that darkens.
wave falling_noise(double seconds, std::uint32_t seed, double bright, double dark,
                   double decay_seconds) {
    noise random(seed);
    wave sound(samples_for(seconds));
    double filtered = 0.0;
    for (int i = 0; i < sound.size(); ++i) {
        double t = seconds_at(i);
        double coefficient = dark + (bright - dark) * std::exp(-t / (seconds * 0.3));
        filtered += coefficient * (random.signed_unit() - filtered);
        sound.at(i) = static_cast<float>(filtered * std::exp(-t / decay_seconds));
    }
    return sound;
}

}  // namespace

wave make_march_note(int step) {
    // A falling four-note figure, G, F, E flat, D, low enough to thud.
    const double pitches[4] = {98.00, 87.31, 77.78, 73.42};
    double pitch = pitches[step & 3];
    wave sound(samples_for(0.12));
    double phase = 0.0;
    for (int i = 0; i < sound.size(); ++i) {
        double t = seconds_at(i);
        // A brief upward kick at the onset makes the note land like a footstep.
        double frequency = pitch * (1.0 + 0.15 * std::exp(-t / 0.01));
        sound.at(i) = static_cast<float>(soft_square(phase) * std::exp(-t / 0.06));
        phase += two_pi * frequency / sample_rate;
    }
    return finished(sound, 0.002, 0.01);
}

wave make_invader_burst_sound() {
    wave sound = falling_noise(0.4, 0xb1a57u, 0.6, 0.04, 0.1);
    // A low thump under the hiss gives the burst weight.
    double phase = 0.0;
    for (int i = 0; i < sound.size(); ++i) {
        double t = seconds_at(i);
        sound.at(i) += static_cast<float>(0.5 * std::sin(phase) * std::exp(-t / 0.05));
        phase += two_pi * (140.0 * std::exp(-t / 0.08) + 40.0) / sample_rate;
    }
    return finished(sound, 0.001, 0.02);
}

wave make_shot_sound() {
    wave sound(samples_for(0.22));
    noise random(0x5407u);
    double phase = 0.0;
    for (int i = 0; i < sound.size(); ++i) {
        double t = seconds_at(i);
        double frequency = 250.0 + 1150.0 * std::exp(-t / 0.05);
        double tone = soft_square(phase) * std::exp(-t / 0.09);
        double hiss = 0.3 * random.signed_unit() * std::exp(-t / 0.015);
        sound.at(i) = static_cast<float>(tone + hiss);
        phase += two_pi * frequency / sample_rate;
    }
    return finished(sound, 0.001, 0.02);
}

wave make_ship_flight() {
    const double depth_hz = 150.0;
    wave sound(flight_samples);
    for (int i = 0; i < sound.size(); ++i) {
        // Phase in closed form, the integral of carrier + depth * sin(warble): after whole numbers
        // of both periods it is back at exactly zero, so the last sample leads into the first.
        double carrier_turns = std::fmod(flight_carrier_hz * i, sample_rate) / sample_rate;
        double warble = two_pi * std::fmod(flight_warble_hz * i, sample_rate) / sample_rate;
        double phase =
            two_pi * carrier_turns + depth_hz / flight_warble_hz * (1.0 - std::cos(warble));
        sound.at(i) = static_cast<float>(0.75 * std::sin(phase) + 0.25 * soft_square(phase));
    }
    sound.normalise(effect_peak);
    return sound;
}

wave make_ship_hit() {
    wave sound(samples_for(0.7));
    wave crackle = falling_noise(0.7, 0x0f0u, 0.5, 0.08, 0.12);
    double phase = 0.0;
    for (int i = 0; i < sound.size(); ++i) {
        double t = seconds_at(i);
        double sweep = 150.0 + 850.0 * std::exp(-t / 0.25);
        double frequency = sweep * (1.0 + 0.25 * std::sin(two_pi * 24.0 * t));
        double tone = soft_square(phase) * std::exp(-t / 0.3);
        sound.at(i) = static_cast<float>(0.7 * tone) + 0.6f * crackle.at(i);
        phase += two_pi * frequency / sample_rate;
    }
    return finished(sound, 0.001, 0.03);
}
