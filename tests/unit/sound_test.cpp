// sound_test.cpp: the sound service with the device closed and open on the dummy driver:
// its lines, the reserved channels, looping and a full mixer.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
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

}  // namespace
