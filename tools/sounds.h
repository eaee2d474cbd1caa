// sounds.h: the makers of every sound the game loads; each returns the finished, normalised wave.
#pragma once

#include "wave.h"

// The loudest sample of every effect: loud, since the game plays effects at volume 25 of 128,
// yet clear of full scale.
constexpr float effect_peak = 0.8f;

// step 0 to 3: the four march notes, each lower than the one before.
wave make_march_note(int step);
wave make_invader_burst_sound();
wave make_shot_sound();
// The ship's flight: loops without end, so it is a whole number of carrier and warble periods.
wave make_ship_flight();
wave make_ship_hit();

// Frequencies of the flight loop, exposed so the loop's length can be checked against them.
constexpr double flight_carrier_hz = 600.0;
constexpr double flight_warble_hz = 8.0;
constexpr int flight_samples = sample_rate / 4;
