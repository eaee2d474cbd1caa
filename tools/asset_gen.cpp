// asset_gen.cpp: writes every image and sound of the game into the folder named on the command
// line.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "art.h"
#include "sounds.h"

namespace {

struct image_file {
    const char* name;
    image (*make)();
};

// The game opens some files under two letter cases; on a case-sensitive file system each
// spelling is written, with the same bytes.
const image_file image_files[] = {
    {"VX-Sprites.png", make_invader_sheet},
    {"bullet.png", make_shot_sheet},
    {"Bullet.png", make_shot_sheet},
    {"Bullet_mask.png", make_bullet_mask},
    {"bullet_explode.png", make_shot_bursts},
    {"Bullet_Explode.png", make_shot_bursts},
    {"exp_mask.png", make_explosion_mask},
    {"base.png", make_base_box},
    {"VX-Base.png", make_base_sheet},
    {"Shield.png", make_shield},
    {"VX-UFO.png", make_ship},
    {"UFO_Explode.png", make_ship_burst},
};

struct sound_file {
    const char* name;
    wave (*make)();
};

wave march_1() {
    return make_march_note(0);
}
wave march_2() {
    return make_march_note(1);
}
wave march_3() {
    return make_march_note(2);
}
wave march_4() {
    return make_march_note(3);
}

const sound_file sound_files[] = {
    {"1.wav", march_1},
    {"2.wav", march_2},
    {"3.wav", march_3},
    {"4.wav", march_4},
    {"explode.wav", make_invader_burst_sound},
    {"shoot.wav", make_shot_sound},
    {"Ufo-2.wav", make_ship_flight},
    {"Ufo.wav", make_ship_hit},
};

bool make_folder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        std::printf("asset_gen: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
    return !error;
}

bool report(bool written, const std::filesystem::path& path) {
    if (!written)
        std::printf("asset_gen: cannot write %s\n", path.c_str());
    return written;
}

bool write_images(const std::filesystem::path& folder) {
    bool all_written = make_folder(folder);
    for (const image_file& file : image_files)
        all_written =
            report(file.make().write_png(folder / file.name), folder / file.name) && all_written;
    return all_written;
}

bool write_sounds(const std::filesystem::path& folder) {
    bool all_written = make_folder(folder);
    for (const sound_file& file : sound_files)
        all_written =
            report(file.make().write_wav(folder / file.name), folder / file.name) && all_written;
    return all_written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: asset_gen OUTPUT_FOLDER\n");
        return 2;
    }
    std::filesystem::path root(argv[1]);
    bool images_written = write_images(root / "IMG");
    bool sounds_written = write_sounds(root / "SFX");
    return images_written && sounds_written ? 0 : 1;
}
