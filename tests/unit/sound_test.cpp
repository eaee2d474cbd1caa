// sound_test.cpp: the sound service with the device closed and open on the dummy driver:
// its lines, the reserved channels, looping and a full mixer.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "platform/mixer_base.h"
#include "test_support.h"

using namespace test_support;

namespace {

void real_sleep_ms(int ms) {
    timespec span{0, long(ms) * 1000000L};
    nanosleep(&span, nullptr);
}

int playing_among(int first, int last) {
    int count = 0;
    for (int channel = first; channel <= last; ++channel) {
        count += Mix_Playing(channel) != 0;
    }
    return count;
}

TEST(sound_closed, plays_nothing_and_says_nothing) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Mix_Chunk* chunk = nullptr;
    // With the device open, a null chunk would print the play failure; closed, nothing may.
    std::string printed = capture_stdout([&] {
        mixer.sfx_play(chunk, -1);
        mixer.sfx_play(chunk, 0);
        mixer.sfx_loop(chunk, 1, -1);
        mixer.sfx_loop(chunk, -1, 3);
    });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(mixer.sfx_volume, 0);
    EXPECT_EQ(mixer.channels, 0);
}

TEST(sound_closed, a_device_that_cannot_open_costs_only_the_sound) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::string printed = capture_stdout([] { mixer.init(); });
    EXPECT_EQ(printed, std::string("DEBUG:  Attempting to Init SDL_Mixer \n") +
                           "CRITICAL EXISTANCE FAILURE: Error initializing SDL_Mixer: " +
                           SDL_GetError() + "\n");
    EXPECT_EQ(mixer.channels, 0);
    EXPECT_EQ(mixer.sfx_volume, 0);
    EXPECT_EQ(mixer.music_volume, 0);
    printed = capture_stdout([] {
        mixer.sfx_play(nullptr, -1);
        mixer.sfx_loop(nullptr, 1, -1);
        mixer.load_sfx("SFX/Missing.wav");
    });
    EXPECT_EQ(printed, "");
}

TEST(sound_closed, the_volume_guard_alone_silences_an_open_device) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    capture_stdout([] { mixer.init(); });
    mixer.sfx_volume = 0;
    std::string printed = capture_stdout([] {
        mixer.sfx_play(nullptr, -1);
        mixer.sfx_loop(nullptr, 1, -1);
    });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(Mix_Playing(-1), 0);
    mixer.cleanup();
}

class sound_open : public testing::Test {
protected:
    std::string init_printed;
    // The samples stay with the fixture; the chunks only point at them.
    std::vector<std::vector<Uint8>> buffers;
    std::vector<Mix_Chunk*> chunks;

    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        init_printed = capture_stdout([] { mixer.init(); });
        ASSERT_GT(mixer.sfx_volume, 0) << init_printed;
    }
    void TearDown() override {
        // Freeing a chunk halts the channels that play it, so it goes while the device is open.
        for (Mix_Chunk* chunk : chunks) {
            Mix_FreeChunk(chunk);
        }
        mixer.cleanup();
        SDL_Quit();
    }

    // A chunk of silence lasting `ms` at the opened rate, built in the test.
    Mix_Chunk* make_chunk(int ms) {
        buffers.emplace_back(size_t(44100) * 4 * size_t(ms) / 1000, Uint8(0));
        chunks.push_back(Mix_QuickLoad_RAW(buffers.back().data(), Uint32(buffers.back().size())));
        return chunks.back();
    }
};

TEST_F(sound_open, init_opens_sixty_four_channels_at_the_game_volumes) {
    EXPECT_EQ(init_printed,
              "DEBUG:  Attempting to Init SDL_Mixer \n"
              "DEBUG:  Attemptint to allocate 64 sound channels for use\n"
              "DEBUG:  64 sound channels allocated\n"
              "DEBUG:  SDL_Mixer Initialized sucessfully \n");
    EXPECT_EQ(mixer.channels, 64);
    EXPECT_EQ(Mix_AllocateChannels(-1), 64);
    EXPECT_EQ(mixer.sfx_volume, 25);
    EXPECT_EQ(mixer.music_volume, 100);
    EXPECT_EQ(Mix_Volume(0, -1), 25);
    EXPECT_EQ(Mix_Volume(63, -1), 25);
    EXPECT_EQ(Mix_VolumeMusic(-1), 100);
    int frequency = 0;
    Uint16 format = 0;
    int output_channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &output_channels), 1);
    EXPECT_EQ(frequency, 44100);
    EXPECT_EQ(format, 0x8010);
    EXPECT_EQ(output_channels, 2);
}

TEST_F(sound_open, reserving_four_says_how_many_it_got) {
    EXPECT_EQ(capture_stdout([] { mixer.reserve_channels(4); }),
              "DEBUG:  Reserved 4 of 4 sound channels requested\n");
}

TEST_F(sound_open, any_free_channel_is_one_of_four_to_sixty_three_until_all_are_busy) {
    capture_stdout([] { mixer.reserve_channels(4); });
    // Holding the mixing still keeps every started sound busy for the rest of the test.
    SDL_PauseAudio(1);
    Mix_Chunk* chunk = make_chunk(100);
    ASSERT_NE(chunk, nullptr);
    std::string printed = capture_stdout([&] {
        for (int n = 0; n < 60; ++n) {
            mixer.sfx_play(chunk, -1);
            ASSERT_EQ(playing_among(0, 3), 0) << "after " << n + 1 << " sounds";
        }
    });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(playing_among(4, 63), 60);

    printed = capture_stdout([&] { mixer.sfx_play(chunk, -1); });
    const std::string prefix = "DEBUG:  Unable to play sound: ";
    EXPECT_EQ(printed, prefix + Mix_GetError() + " \n");
    EXPECT_GT(printed.size(), prefix.size() + 2) << "the library's reason is given";
    EXPECT_EQ(playing_among(0, 3), 0);

    EXPECT_EQ(capture_stdout([&] { mixer.sfx_loop(chunk, -1, -1); }), printed);
    EXPECT_EQ(capture_stdout([&] { mixer.sfx_play(chunk, 0); }), "")
        << "a reserved channel is still played when asked for by number";
    EXPECT_EQ(Mix_Playing(0), 1);
}

TEST_F(sound_open, a_sound_on_a_busy_channel_replaces_the_one_there) {
    SDL_PauseAudio(1);
    Mix_Chunk* first = make_chunk(100);
    Mix_Chunk* second = make_chunk(100);
    mixer.sfx_play(first, 0);
    ASSERT_EQ(Mix_GetChunk(0), first);
    mixer.sfx_play(second, 0);
    EXPECT_EQ(Mix_GetChunk(0), second);
    EXPECT_EQ(Mix_Playing(0), 1);
}

TEST_F(sound_open, a_null_chunk_prints_the_play_failure) {
    std::string printed = capture_stdout([] { mixer.sfx_play(nullptr, 5); });
    EXPECT_EQ(printed, std::string("DEBUG:  Unable to play sound: ") + Mix_GetError() + " \n");
}

TEST_F(sound_open, an_endless_loop_plays_until_its_channel_is_halted) {
    capture_stdout([] { mixer.reserve_channels(4); });
    Mix_Chunk* chunk = make_chunk(20);
    mixer.sfx_loop(chunk, 1, -1);
    mixer.sfx_play(chunk, 5);
    mixer.sfx_loop(chunk, 6, 1);
    ASSERT_EQ(Mix_Playing(1), 1);
    // The mixer runs on its own thread in real time; wait for the single plays to end.
    for (int waited = 0; waited < 10000 && (Mix_Playing(5) || Mix_Playing(6)); waited += 5) {
        real_sleep_ms(5);
    }
    ASSERT_EQ(Mix_Playing(5), 0) << "a single play ends";
    ASSERT_EQ(Mix_Playing(6), 0) << "a play repeated once ends";
    EXPECT_EQ(Mix_Playing(1), 1) << "the endless loop goes on";
    Mix_HaltChannel(1);
    EXPECT_EQ(Mix_Playing(1), 0);
}

TEST(sound_load, a_missing_file_gives_a_null_chunk_named_once) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    enter_scratch_dir();
    capture_stdout([] { mixer.init(); });
    ASSERT_GT(mixer.sfx_volume, 0);
    Mix_Chunk* first = reinterpret_cast<Mix_Chunk*>(1);
    Mix_Chunk* second = reinterpret_cast<Mix_Chunk*>(1);
    std::string printed = capture_stdout([&] {
        first = mixer.load_sfx("SFX/Missing.wav");
        second = mixer.load_sfx("SFX/Missing.wav");
    });
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(second, nullptr);
    ASSERT_EQ(printed.rfind("WARNING: ", 0), 0u) << printed;
    EXPECT_NE(printed.find("SFX/Missing.wav"), std::string::npos);
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line: " << printed;
    mixer.cleanup();
}

// ---- the format header ----------------------------------------------------------------------

void put_le(std::string& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes += char(value >> (8 * i) & 0xFF);
    }
}

void put_chunk(std::string& bytes, const char* id, const std::string& body) {
    bytes += id;
    put_le(bytes, uint32_t(body.size()), 4);
    bytes += body;
    if (body.size() % 2 == 1) {
        bytes += '\0';
    }
}

// A 16-bit PCM WAV file with the given channel count and rate, and a short tone; `before`
// chunks stand between the RIFF header and the format chunk.
std::string wav_bytes(uint32_t channels, uint32_t rate, const std::string& before = "") {
    std::string format;
    put_le(format, 1, 2);  // PCM
    put_le(format, channels, 2);
    put_le(format, rate, 4);
    put_le(format, rate * channels * 2, 4);
    put_le(format, channels * 2, 2);
    put_le(format, 16, 2);
    std::string samples;
    for (int i = 0; i < 400; ++i) {
        put_le(samples, i % 20 < 10 ? 0x2000 : 0xE000, 2);
    }
    std::string body = "WAVE" + before;
    put_chunk(body, "fmt ", format);
    put_chunk(body, "data", samples);
    std::string file = "RIFF";
    put_le(file, uint32_t(body.size()), 4);
    return file + body;
}

// A chunk of `size` bytes before the format chunk; an odd size is padded to an even one.
std::string list_chunk(size_t size) {
    std::string list;
    put_chunk(list, "LIST", std::string("INFOISFT") + std::string(size - 8, 'a'));
    return list;
}

struct format_case {
    const char* name;
    std::string bytes;
    bool loads;
    const char* reason;  // part of the warning's reason; nullptr: the mixer's own
};

std::ostream& operator<<(std::ostream& out, const format_case& c) {
    return out << c.name;
}

const char* const unplayable = "Unplayable WAV format";

const format_case format_cases[] = {
    {"mono_44100", wav_bytes(1, 44100), true, nullptr},
    {"stereo_22050", wav_bytes(2, 22050), true, nullptr},
    {"lowest_rate", wav_bytes(1, 8000), true, nullptr},
    {"highest_rate", wav_bytes(2, 192000), true, nullptr},
    {"format_after_a_list_chunk", wav_bytes(1, 11025, list_chunk(16)), true, nullptr},
    {"no_channels", wav_bytes(0, 44100), false, unplayable},
    {"three_channels", wav_bytes(3, 44100), false, unplayable},
    {"rate_zero", wav_bytes(1, 0), false, unplayable},
    {"rate_86", wav_bytes(2, 86), false, unplayable},
    {"rate_7999", wav_bytes(1, 7999), false, unplayable},
    {"rate_192001", wav_bytes(1, 192001), false, unplayable},
    {"rate_zero_after_an_odd_sized_chunk", wav_bytes(1, 0, list_chunk(13)), false, unplayable},
    {"rate_far_beyond", wav_bytes(1, 0xFFFFFFFFu), false, unplayable},
    {"not_a_wav_file", "This is a text file, not what the game expects.\n", false, nullptr},
};

class sound_format : public testing::TestWithParam<format_case> {};

TEST_P(sound_format, a_format_the_mixer_cannot_convert_counts_as_not_loaded) {
    const format_case& c = GetParam();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    enter_scratch_dir();
    std::ofstream("sound.wav", std::ios::binary) << c.bytes;
    capture_stdout([] { mixer.init(); });
    ASSERT_GT(mixer.sfx_volume, 0);
    Mix_Chunk* chunk = nullptr;
    std::string printed = capture_stdout([&] { chunk = mixer.load_sfx("sound.wav"); });
    if (c.loads) {
        EXPECT_NE(chunk, nullptr) << printed;
        EXPECT_EQ(printed, "");
        Mix_FreeChunk(chunk);
    } else {
        EXPECT_EQ(chunk, nullptr);
        const std::string warning =
            "WARNING: Unable to load sound sound.wav - playing on without it: ";
        ASSERT_EQ(printed.rfind(warning, 0), 0u) << printed;
        EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line: " << printed;
        if (c.reason != nullptr) {
            EXPECT_NE(printed.find(c.reason), std::string::npos) << printed;
        } else {
            EXPECT_EQ(printed.find(unplayable), std::string::npos)
                << "a file that is no WAV file is the mixer's to judge: " << printed;
        }
    }
    mixer.cleanup();
}

INSTANTIATE_TEST_SUITE_P(headers, sound_format, testing::ValuesIn(format_cases),
                         [](const testing::TestParamInfo<format_case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
