// assets_test.cpp: the staged images, sounds and font open through the game's own library calls and
// have the sizes, cell layout, alpha and levels that the game's drawing and hit tests rely on.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

struct surface_free {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using surface_ptr = std::unique_ptr<SDL_Surface, surface_free>;

surface_ptr load_image(const std::string& path) {
    return surface_ptr(IMG_Load(path.c_str()));
}

Uint8 alpha_at(SDL_Surface* surface, int x, int y) {
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    Uint32 pixel = 0;
    if (surface->format->BytesPerPixel == 4)
        pixel = reinterpret_cast<const Uint32*>(row)[x];
    Uint8 r, g, b, a;
    SDL_GetRGBA(pixel, surface->format, &r, &g, &b, &a);
    return a;
}

Uint32 colour_at(SDL_Surface* surface, int x, int y) {
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    Uint8 r, g, b, a;
    SDL_GetRGBA(reinterpret_cast<const Uint32*>(row)[x], surface->format, &r, &g, &b, &a);
    return static_cast<Uint32>(r) << 24 | static_cast<Uint32>(g) << 16 |
           static_cast<Uint32>(b) << 8 | a;
}

struct box {
    int x, y, w, h;
};

int solid_count(SDL_Surface* surface, box area) {
    int count = 0;
    for (int y = area.y; y < area.y + area.h; ++y)
        for (int x = area.x; x < area.x + area.w; ++x)
            count += alpha_at(surface, x, y) != 0;
    return count;
}

// The solid/clear pattern of a cell, row by row: what the game's pixel tests see.
std::vector<bool> outline(SDL_Surface* surface, box area) {
    std::vector<bool> shape;
    for (int y = area.y; y < area.y + area.h; ++y)
        for (int x = area.x; x < area.x + area.w; ++x)
            shape.push_back(alpha_at(surface, x, y) != 0);
    return shape;
}

std::string file_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

box sprite_cell(int column, int row) {
    return {25 * column, 25 * row, 25, 25};
}

struct image_size {
    const char* path;
    int w, h;
};

const image_size fixed_sizes[] = {
    {"IMG/VX-Sprites.png", 75, 150},   {"IMG/bullet.png", 2, 5},          {"IMG/Bullet.png", 2, 5},
    {"IMG/bullet_explode.png", 15, 7}, {"IMG/Bullet_Explode.png", 15, 7}, {"IMG/base.png", 25, 16},
    {"IMG/VX-Base.png", 75, 16},
};

const char* const all_images[] = {
    "IMG/VX-Sprites.png",     "IMG/bullet.png",         "IMG/Bullet.png",   "IMG/Bullet_mask.png",
    "IMG/bullet_explode.png", "IMG/Bullet_Explode.png", "IMG/exp_mask.png", "IMG/base.png",
    "IMG/VX-Base.png",        "IMG/Shield.png",         "IMG/VX-UFO.png",   "IMG/UFO_Explode.png",
};

TEST(assets_images, every_image_loads_with_an_alpha_channel) {
    for (const char* path : all_images) {
        SCOPED_TRACE(path);
        surface_ptr image = load_image(path);
        ASSERT_NE(image, nullptr) << IMG_GetError();
        EXPECT_NE(image->format->Amask, 0u);
        EXPECT_EQ(image->format->BytesPerPixel, 4);
        EXPECT_GT(solid_count(image.get(), {0, 0, image->w, image->h}), 0);
    }
}

TEST(assets_images, sheets_have_the_sizes_their_cells_are_read_at) {
    for (const image_size& expected : fixed_sizes) {
        SCOPED_TRACE(expected.path);
        surface_ptr image = load_image(expected.path);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->w, expected.w);
        EXPECT_EQ(image->h, expected.h);
    }
}

TEST(assets_images, both_letter_cases_name_the_same_bytes) {
    const char* const pairs[][2] = {{"IMG/bullet.png", "IMG/Bullet.png"},
                                    {"IMG/bullet_explode.png", "IMG/Bullet_Explode.png"}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair[0]);
        std::string lower = file_bytes(pair[0]);
        EXPECT_FALSE(lower.empty());
        EXPECT_EQ(lower, file_bytes(pair[1]));
    }
}

class assets_invader_sheet : public ::testing::Test {
protected:
    void SetUp() override {
        sheet = load_image("IMG/VX-Sprites.png");
        ASSERT_NE(sheet, nullptr);
        ASSERT_EQ(sheet->h, 150);
    }
    surface_ptr sheet;
};

TEST_F(assets_invader_sheet, every_invader_cell_is_drawn_with_clear_top_and_bottom_rows) {
    // Rows of the formation touch, so a solid edge row would glue two invaders together.
    for (int row = 0; row < 6; ++row)
        for (int frame = 0; frame < 2; ++frame) {
            SCOPED_TRACE("row " + std::to_string(row) + " frame " + std::to_string(frame));
            box cell = sprite_cell(frame, row);
            EXPECT_GT(solid_count(sheet.get(), cell), 40);
            EXPECT_EQ(solid_count(sheet.get(), {cell.x, cell.y, 25, 1}), 0);
            EXPECT_EQ(solid_count(sheet.get(), {cell.x, cell.y + 24, 25, 1}), 0);
        }
}

TEST_F(assets_invader_sheet, bursts_are_drawn_and_unused_cells_stay_clear) {
    EXPECT_GT(solid_count(sheet.get(), sprite_cell(2, 0)), 40);
    EXPECT_GT(solid_count(sheet.get(), sprite_cell(2, 3)), 40);
    for (int row : {1, 2, 4, 5}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(solid_count(sheet.get(), sprite_cell(2, row)), 0);
    }
}

TEST_F(assets_invader_sheet, lower_band_has_the_upper_outlines_in_other_colours) {
    // The hit test and the bunker erosion read the upper band while the screen shows the lower,
    // so what is seen below y 200 must be exactly what is hit.
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            SCOPED_TRACE("row " + std::to_string(row) + " column " + std::to_string(column));
            box upper = sprite_cell(column, row);
            box lower = sprite_cell(column, row + 3);
            EXPECT_EQ(outline(sheet.get(), upper), outline(sheet.get(), lower));
            if (solid_count(sheet.get(), upper) == 0)
                continue;
            int recoloured = 0;
            for (int y = 0; y < 25; ++y)
                for (int x = 0; x < 25; ++x)
                    recoloured += colour_at(sheet.get(), upper.x + x, upper.y + y) !=
                                  colour_at(sheet.get(), lower.x + x, lower.y + y);
            EXPECT_GT(recoloured, 0);
        }
}

TEST_F(assets_invader_sheet, kinds_differ_and_each_kind_animates) {
    std::vector<std::vector<bool>> shapes;
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        std::vector<bool> first = outline(sheet.get(), sprite_cell(0, kind));
        EXPECT_NE(first, outline(sheet.get(), sprite_cell(1, kind)));
        shapes.push_back(first);
    }
    EXPECT_NE(shapes[0], shapes[1]);
    EXPECT_NE(shapes[1], shapes[2]);
    EXPECT_NE(shapes[0], shapes[2]);
}

TEST(assets_images, shot_cells_are_solid_and_coloured_by_band) {
    surface_ptr shot = load_image("IMG/bullet.png");
    surface_ptr mask = load_image("IMG/Bullet_mask.png");
    ASSERT_NE(shot, nullptr);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(solid_count(shot.get(), {0, 0, 2, 5}), 10);
    EXPECT_NE(colour_at(shot.get(), 0, 2), colour_at(shot.get(), 1, 2));
    EXPECT_EQ(solid_count(mask.get(), {0, 0, mask->w, mask->h}), mask->w * mask->h);
    EXPECT_LE(mask->w, 3);
    EXPECT_EQ(mask->h, 5);
}

TEST(assets_images, bursts_and_the_erosion_mask_are_ragged) {
    surface_ptr bursts = load_image("IMG/bullet_explode.png");
    surface_ptr mask = load_image("IMG/exp_mask.png");
    ASSERT_NE(bursts, nullptr);
    ASSERT_NE(mask, nullptr);
    for (int band = 0; band < 3; ++band) {
        SCOPED_TRACE(band);
        int solid = solid_count(bursts.get(), {5 * band, 0, 5, 7});
        EXPECT_GT(solid, 8);
        EXPECT_LT(solid, 35);
    }
    int eaten = solid_count(mask.get(), {0, 0, mask->w, mask->h});
    EXPECT_GE(mask->w, 3);
    EXPECT_GT(eaten, mask->w * mask->h / 2);
    EXPECT_LT(eaten, mask->w * mask->h);
}

TEST(assets_images, base_sheet_has_an_intact_base_and_two_different_wrecks) {
    surface_ptr sheet = load_image("IMG/VX-Base.png");
    ASSERT_NE(sheet, nullptr);
    std::vector<bool> cells[3];
    for (int i = 0; i < 3; ++i) {
        cells[i] = outline(sheet.get(), {25 * i, 0, 25, 16});
        EXPECT_GT(solid_count(sheet.get(), {25 * i, 0, 25, 16}), 30);
    }
    EXPECT_NE(cells[0], cells[1]);
    EXPECT_NE(cells[0], cells[2]);
    EXPECT_NE(cells[1], cells[2]);
    // The shot leaves the base at x + 12: the cannon's tip is the only pixel of the top row.
    EXPECT_NE(alpha_at(sheet.get(), 12, 0), 0);
    EXPECT_EQ(solid_count(sheet.get(), {0, 0, 25, 1}), 1);
}

TEST(assets_images, bunker_fits_above_the_invasion_line_and_leaves_room_for_the_base) {
    surface_ptr shield = load_image("IMG/Shield.png");
    ASSERT_NE(shield, nullptr);
    const int top = 220, invasion_line = 255, pitch = 90, base_width = 25;
    EXPECT_LT(top + shield->h - 1, invasion_line);
    EXPECT_GE(pitch - shield->w, base_width + 10);
    EXPECT_GE(shield->w, 16);
    // The arched notch: the bottom row is open in the middle and stands on both outer edges.
    int bottom = shield->h - 1;
    EXPECT_EQ(alpha_at(shield.get(), shield->w / 2, bottom), 0);
    EXPECT_NE(alpha_at(shield.get(), 0, bottom), 0);
    EXPECT_NE(alpha_at(shield.get(), shield->w - 1, bottom), 0);
    EXPECT_NE(alpha_at(shield.get(), shield->w / 2, 1), 0);
}

TEST(assets_images, ship_is_tall_enough_to_be_hit) {
    // The player's shot is last tested against the ship's box at y 14 to 19, depending on the
    // screen height, and bursts at y 9 or less; a shorter box could never be hit.
    surface_ptr ship = load_image("IMG/VX-UFO.png");
    surface_ptr burst = load_image("IMG/UFO_Explode.png");
    ASSERT_NE(ship, nullptr);
    ASSERT_NE(burst, nullptr);
    EXPECT_GE(ship->h, 20);
    EXPECT_GE(ship->w, 16);
    EXPECT_GT(solid_count(ship.get(), {0, 0, ship->w, ship->h}), ship->w * 4);
    EXPECT_GE(burst->w, ship->w / 2);
    EXPECT_GE(burst->h, ship->h / 2);
}

// Sounds are loaded as the game does, so they arrive converted to the opened device's format.
class assets_sounds : public ::testing::Test {
protected:
    void SetUp() override {
        // A unit test must never reach for a real sound card, whatever the caller's environment.
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(44100, 0x8010, 2, 4096), 0) << Mix_GetError();
        int frequency = 0, channel_count = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&frequency, &format, &channel_count);
        ASSERT_EQ(format, AUDIO_S16LSB);
        rate = frequency;
        channels = channel_count;
    }
    void TearDown() override {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    // The first channel of the loaded sound, in fractions of full scale.
    std::vector<double> load(const std::string& path) {
        Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
        std::vector<double> samples;
        if (chunk == nullptr)
            return samples;
        const Sint16* data = reinterpret_cast<const Sint16*>(chunk->abuf);
        int frames = static_cast<int>(chunk->alen / 2 / channels);
        for (int i = 0; i < frames; ++i)
            samples.push_back(data[i * channels] / 32768.0);
        Mix_FreeChunk(chunk);
        return samples;
    }

    int rate = 0;
    int channels = 0;
};

double peak_of(const std::vector<double>& samples) {
    double peak = 0.0;
    for (double sample : samples)
        peak = std::fmax(peak, std::fabs(sample));
    return peak;
}

// Mean time between rising zero crossings after the first skip seconds, interpolated between
// samples so that notes a semitone apart are told apart.
double mean_period(const std::vector<double>& samples, int rate, double skip) {
    std::vector<double> crossings;
    for (std::size_t i = 1; i < samples.size(); ++i)
        if (samples[i - 1] < 0.0 && samples[i] >= 0.0 && i >= skip * rate)
            crossings.push_back(i - 1 + -samples[i - 1] / (samples[i] - samples[i - 1]));
    if (crossings.size() < 3)
        return 0.0;
    return (crossings.back() - crossings.front()) / (crossings.size() - 1) / rate;
}

TEST_F(assets_sounds, every_sound_loads_loud_and_unclipped) {
    const char* const paths[] = {"SFX/1.wav",     "SFX/2.wav",       "SFX/3.wav",
                                 "SFX/4.wav",     "SFX/explode.wav", "SFX/shoot.wav",
                                 "SFX/Ufo-2.wav", "SFX/Ufo.wav"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        std::vector<double> samples = load(path);
        ASSERT_FALSE(samples.empty()) << Mix_GetError();
        double peak = peak_of(samples);
        // The game plays effects at 25 of 128, so a quiet file would be lost; full scale clips.
        EXPECT_GT(peak, 0.6);
        EXPECT_LT(peak, 0.95);
        EXPECT_LT(samples.size(), static_cast<std::size_t>(rate));
    }
}

TEST_F(assets_sounds, march_notes_each_fall_in_pitch) {
    double previous = 0.0;
    for (int note = 1; note <= 4; ++note) {
        SCOPED_TRACE(note);
        std::vector<double> samples = load("SFX/" + std::to_string(note) + ".wav");
        ASSERT_FALSE(samples.empty());
        EXPECT_LT(samples.size(), static_cast<std::size_t>(rate / 4));
        double period = mean_period(samples, rate, 0.03);
        ASSERT_GT(period, 0.0);
        EXPECT_GT(period, previous * 1.03);
        previous = period;
    }
}

TEST_F(assets_sounds, ship_flight_loops_without_a_click) {
    std::vector<double> samples = load("SFX/Ufo-2.wav");
    ASSERT_GT(samples.size(), 100u);
    double widest_step = 0.0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        widest_step = std::fmax(widest_step, std::fabs(samples[i] - samples[i - 1]));
    // Played in a loop, the last sample is followed by the first: that step must be no larger
    // than the steps inside the wave, and the loop starts at rest.
    EXPECT_LE(std::fabs(samples.front() - samples.back()), widest_step);
    EXPECT_LT(std::fabs(samples.front()), 0.01);
    EXPECT_GT(mean_period(samples, rate, 0.0), 0.0);
}

TEST(assets_font, font_opens_at_both_sizes_and_the_score_fits_its_box) {
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    for (int size : {12, 18}) {
        SCOPED_TRACE(size);
        TTF_Font* font = TTF_OpenFont("Aaargh.ttf", size);
        ASSERT_NE(font, nullptr) << TTF_GetError();
        SDL_Color white = {255, 255, 255, 0};
        surface_ptr text(TTF_RenderText_Solid(font, "SCORE: 1500", white));
        ASSERT_NE(text, nullptr) << TTF_GetError();
        // Solid rendering gives an 8-bit surface whose index 0 is the background.
        ASSERT_EQ(text->format->BytesPerPixel, 1);
        int inked = 0;
        for (int y = 0; y < text->h; ++y)
            for (int x = 0; x < text->w; ++x)
                inked += static_cast<const Uint8*>(text->pixels)[y * text->pitch + x] != 0;
        EXPECT_GT(inked, 20);
        // The score is rendered into an 80 x 30 surface.
        if (size == 12) {
            EXPECT_LE(text->w, 80);
            EXPECT_LE(text->h, 30);
        }
        TTF_CloseFont(font);
    }
    TTF_Quit();
}

}  // namespace
