// mixer_base.cpp: the audio device and the game's sound effects.
#include "platform/mixer_base.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

constexpr int requested_channels = 64;
constexpr int effect_volume = 25;
constexpr int background_volume = 100;

// What SDL 1.2's converter survives: a rate of 0 to 86 Hz or a format without channels
// sends it through a corrupted function pointer, which crashes the game at start-up.
constexpr int most_channels = 2;
constexpr Uint32 lowest_rate = 8000;
constexpr Uint32 highest_rate = 192000;

// Chunks that may stand before the format chunk are skipped; a file with more is no sound.
constexpr int most_chunks_before_format = 64;

Uint32 little_endian(const Uint8* bytes, int count) {
    Uint32 value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

struct wav_format {
    Uint32 channels;
    Uint32 rate;
};

// Walks the RIFF/WAVE chunks to the format chunk. False when the file is no RIFF/WAVE file or
// ends before the format's channel count and rate.
bool read_wav_format(std::FILE* file, wav_format& format) {
    Uint8 riff[12];
    if (std::fread(riff, sizeof riff, 1, file) != 1 || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return false;
    }
    for (int chunks = 0; chunks <= most_chunks_before_format; ++chunks) {
        Uint8 header[8];
        if (std::fread(header, sizeof header, 1, file) != 1) {
            return false;
        }
        const Uint32 size = little_endian(header + 4, 4);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            // Format tag, channel count, sample rate.
            Uint8 fields[8];
            if (size < sizeof fields || std::fread(fields, sizeof fields, 1, file) != 1) {
                return false;
            }
            format.channels = little_endian(fields + 2, 2);
            format.rate = little_endian(fields + 4, 4);
            return true;
        }
        // Chunks are padded to an even size.
        if (std::fseek(file, long(size) + long(size & 1), SEEK_CUR) != 0) {
            return false;
        }
    }
    return false;
}

// False, with the reason as the library's error, for a WAV format the mixer cannot convert
// safely. A file that cannot be opened, is no WAV file, or holds no whole header is the
// mixer's to judge, as before. The header is read with the C library rather than through
// SDL's file reader, whose browser build has no read or seek of its own to call.
bool playable(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return true;
    }
    wav_format format{};
    const bool found = read_wav_format(file, format);
    std::fclose(file);
    if (found && (format.channels == 0 || format.channels > most_channels ||
                  format.rate < lowest_rate || format.rate > highest_rate)) {
        SDL_SetError("Unplayable WAV format (channels %u, rate %u Hz)", unsigned(format.channels),
                     unsigned(format.rate));
        return false;
    }
    return true;
}

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
    Mix_Chunk* chunk = playable(path) ? Mix_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1) : nullptr;
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
