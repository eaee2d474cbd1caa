// mixer_base.cpp: the audio device and the game's sound effects.
#include "platform/mixer_base.h"

#include <cstdio>
#include <set>
#include <string>

namespace {

constexpr int requested_channels = 64;
constexpr int effect_volume = 25;
constexpr int background_volume = 100;

}  // namespace

void mixer_base::init() {
    std::printf("DEBUG:  Attempting to Init SDL_Mixer \n");
    if (Mix_OpenAudio(44100, 0x8010, 2, 4096) < 0) {
        std::printf("CRITICAL EXISTANCE FAILURE: Error initializing SDL_Mixer: %s\n",
                    SDL_GetError());
        return;
    }
    std::printf("DEBUG:  Attemptint to allocate %i sound channels for use\n", requested_channels);
    channels = Mix_AllocateChannels(requested_channels);
    std::printf("DEBUG:  %i sound channels allocated\n", channels);
    sfx_volume = effect_volume;
    Mix_Volume(-1, sfx_volume);
    music_volume = background_volume;
    Mix_VolumeMusic(music_volume);
    std::printf("DEBUG:  SDL_Mixer Initialized sucessfully \n");
}

void mixer_base::reserve_channels(int count) {
    int reserved = Mix_ReserveChannels(count);
    std::printf("DEBUG:  Reserved %i of %i sound channels requested\n", reserved, count);
}

void mixer_base::cleanup() {
    Mix_CloseAudio();
}

void mixer_base::sfx_play(Mix_Chunk* chunk, int channel) {
    sfx_loop(chunk, channel, 0);
}

void mixer_base::sfx_loop(Mix_Chunk* chunk, int channel, int loops) {
    if (sfx_volume <= 0) {
        return;
    }
    if (Mix_PlayChannelTimed(channel, chunk, loops, -1) < 0) {
        std::printf("DEBUG:  Unable to play sound: %s \n", Mix_GetError());
    }
}

Mix_Chunk* mixer_base::load_sfx(const char* path) {
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1);
    // With no audio device every load fails; init has already said why.
    if (chunk == nullptr && sfx_volume > 0) {
        static std::set<std::string> reported;
        if (reported.insert(path).second) {
            std::printf("WARNING: Unable to load sound %s - playing on without it: %s\n", path,
                        Mix_GetError());
        }
    }
    return chunk;
}
