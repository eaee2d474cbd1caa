// mixer_base.h: the audio device and the game's sound effects.
// Channel plan: 0 the player's shot, 1 the mystery ship's flight loop, 2 and 3 unused,
// -1 (any free channel, 4 to 63) for everything else.
#pragma once

#include <SDL_mixer.h>

#include <cstdint>

class mixer_base {
public:
    int32_t channels;
    int32_t sfx_volume;
    int32_t music_volume;

    void init();
    void reserve_channels(int count);
    void cleanup();
    void sfx_play(Mix_Chunk* chunk, int channel);
    void sfx_loop(Mix_Chunk* chunk, int channel, int loops);

    // Opens the WAV file in mode "rb" and loads it; names a file it could not load, once. A
    // format the mixer cannot convert safely (no channels, more than two, a rate outside
    // 8,000 to 192,000 Hz) is read from the header first and counts as not loaded.
    Mix_Chunk* load_sfx(const char* path);
};

extern mixer_base mixer;
