// replay.cpp: runs whole frames of the real game loop headless, with the test's clock, a
// fixed seed and scripted (or seeded random) input, then prints or checks the end state.
//
//   replay ASSET_DIR SCRIPT [--write GOLDEN | --check GOLDEN]
//   replay ASSET_DIR --soak FRAMES SEED
//   replay ASSET_DIR --record FRAMES SEED SCRIPT   (writes a script played by an aiming bot)
//
// A script holds lines "screen W H", "seed N", "frames N" and "hold FROM_MS TO_MS KEY...":
// the keys are held while the game's clock reads FROM_MS <= t < TO_MS (keys: left, right,
// up, a, d, w, space). The clock starts at 0 and advances only through the frame limiter's
// waits, so a frame lasts 16 or 17 ms of game time.
#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/fps.h"
#include "app/program.h"
#include "fake_sdl.h"
#include "game/fleet.h"
#include "game/fleet_bullet.h"
#include "game/player.h"
#include "game/shields.h"
#include "game/ufo.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

struct hold {
    uint32_t from;
    uint32_t to;
    std::vector<SDLKey> keys;
};

struct script {
    int width = 400;
    int height = 300;
    unsigned seed = 1;
    long frames = 600;
    std::vector<hold> holds;
};

struct run_counts {
    long frames = 0;
    int games_over = 0;
    int waves_cleared = 0;
    long frames_in_game_over = 0;
};

const std::map<std::string, SDLKey> key_names = {
    {"left", SDLK_LEFT}, {"right", SDLK_RIGHT}, {"up", SDLK_UP},      {"a", SDLK_a},
    {"d", SDLK_d},       {"w", SDLK_w},         {"space", SDLK_SPACE}};

bool parse_script(const char* path, script& out) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << "replay: cannot open " << path << "\n";
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string verb;
        if (!(words >> verb) || verb[0] == '#') {
            continue;
        }
        if (verb == "screen") {
            words >> out.width >> out.height;
        } else if (verb == "seed") {
            words >> out.seed;
        } else if (verb == "frames") {
            words >> out.frames;
        } else if (verb == "hold") {
            hold h;
            words >> h.from >> h.to;
            std::string name;
            while (words >> name) {
                auto key = key_names.find(name);
                if (key == key_names.end()) {
                    std::cerr << "replay: unknown key " << name << "\n";
                    return false;
                }
                h.keys.push_back(key->second);
            }
            out.holds.push_back(h);
        } else {
            std::cerr << "replay: unknown line: " << line << "\n";
            return false;
        }
    }
    return true;
}

// A working folder of its own, seeing the staged assets, with the wanted window size.
bool enter_work_dir(const std::string& asset_dir_given, int width, int height) {
    // The links must work from the new folder, so they point at an absolute path.
    char* absolute = realpath(asset_dir_given.c_str(), nullptr);
    if (absolute == nullptr) {
        return false;
    }
    std::string asset_dir = absolute;
    std::free(absolute);
    char pattern[] = "/tmp/vexlorn-replay-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr || chdir(dir) != 0) {
        return false;
    }
    for (const char* name : {"IMG", "SFX", "Aaargh.ttf"}) {
        std::string target = asset_dir + "/" + name;
        if (symlink(target.c_str(), name) != 0) {
            return false;
        }
    }
    std::ofstream settings("Video_Settings.cfg");
    settings << width << "\n" << height << "\n32\n0\n";
    static std::string work_dir = dir;
    std::atexit([] {
        for (const char* name : {"IMG", "SFX", "Aaargh.ttf", "Video_Settings.cfg"}) {
            unlink((work_dir + "/" + name).c_str());
        }
        rmdir(work_dir.c_str());
    });
    return true;
}

const script* active_script;
run_counts counts;

void apply_script_keys() {
    std::fill(std::begin(fake_sdl::keys), std::end(fake_sdl::keys), 0);
    for (const hold& h : active_script->holds) {
        if (fake_sdl::ticks >= h.from && fake_sdl::ticks < h.to) {
            for (SDLKey key : h.keys) {
                fake_sdl::press(key);
            }
        }
    }
}

// A game-over screen that nobody leaves would never hand control back.
void watch_game_over() {
    if (player.game_over == 1 && ++counts.frames_in_game_over > 36000) {
        sdl.quit = true;
    }
}

void script_after_delay() {
    apply_script_keys();
    watch_game_over();
}

uint64_t fnv1a(uint64_t hash, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        hash ^= (value >> (8 * i)) & 0xFF;
        hash *= 1099511628211ULL;
    }
    return hash;
}

uint64_t pixel_hash(SDL_Surface* s) {
    uint64_t hash = 14695981039346656037ULL;
    if (s == nullptr) {
        return 0;
    }
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            // By colour, not by memory layout, so the hash does not depend on the pixel
            // format a surface happens to be kept in.
            Uint8 r, g, b, a;
            SDL_GetRGBA(surface.get_pixel(s, x, y), s->format, &r, &g, &b, &a);
            hash = fnv1a(hash, uint32_t(r) << 24 | uint32_t(g) << 16 | uint32_t(b) << 8 | a);
        }
    }
    return hash;
}

std::string end_state() {
    std::ostringstream out;
    out << "frames " << counts.frames << "\n";
    out << "clock " << fake_sdl::ticks << "\n";
    out << "games_over " << counts.games_over << "\n";
    out << "waves_cleared " << counts.waves_cleared << "\n";
    out << "score " << player.score << "\n";
    out << "lives " << player.lives << "\n";
    out << "game_over " << int(player.game_over) << "\n";
    out << "player " << player.x << " " << player.alive << " shot " << int(player.shot_active)
        << " " << player.shot_x << " " << player.shot_y << " bonus " << int(player.bonus_given)
        << "\n";
    char fleet_line[160];
    std::snprintf(fleet_line, sizeof fleet_line,
                  "fleet %.3f %.3f dir %d frame %d speed %.8g alive %g\n", double(invaders.x),
                  double(invaders.y), invaders.direction, invaders.frame, double(invaders.speed),
                  double(invaders.alive_count));
    out << fleet_line;
    out << "cells ";
    for (uint8_t cell : invaders.cell) {
        out << int(cell);
    }
    out << "\n";
    for (int i = 0; i < shields::count; ++i) {
        out << "bunker " << i << " " << std::hex << pixel_hash(shields.bunker[i]) << std::dec
            << "\n";
    }
    out << "ground " << std::hex << pixel_hash(shields.ground) << std::dec << "\n";
    int bullets = 0;
    for (bullet* b = fleet_bullet.head; b != nullptr; b = b->next) {
        ++bullets;
    }
    out << "bullets " << bullets;
    for (bullet* b = fleet_bullet.head; b != nullptr; b = b->next) {
        out << " (" << b->x << "," << b->y << ")";
    }
    out << "\n";
    out << "ufo " << int(ufo.active) << " " << ufo.x << " wait " << ufo.wait << "\n";
    return out.str();
}

// One frame of the real loop, with the bookkeeping the end state reports.
void play_frame() {
    float alive_before = invaders.alive_count;
    counts.frames_in_game_over = 0;
    run_frame();
    ++counts.frames;
    if (counts.frames_in_game_over > 0) {
        ++counts.games_over;
    } else if (invaders.alive_count > alive_before) {
        ++counts.waves_cleared;
    }
}

void start_game(const std::string& asset_dir, const script& s) {
    fake_sdl::reset(0);
    if (!enter_work_dir(asset_dir, s.width, s.height)) {
        std::cerr << "replay: cannot make a working folder\n";
        std::exit(2);
    }
    // The game's own start-up lines would drown the end state.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::exit(2);
    }
    program_init();
    std::srand(s.seed);
}

// The game runs in a folder of its own, so paths given relative to the caller's folder are
// made absolute first.
std::string from_caller_dir(const char* path) {
    if (path == nullptr || path[0] == '/') {
        return path == nullptr ? "" : path;
    }
    char* here = getcwd(nullptr, 0);
    std::string absolute = std::string(here) + "/" + path;
    std::free(here);
    return absolute;
}

int run_script(const std::string& asset_dir, const char* path, const std::string& mode,
               const char* golden_given) {
    const std::string golden = from_caller_dir(golden_given);
    script s;
    if (!parse_script(path, s)) {
        return 2;
    }
    active_script = &s;
    start_game(asset_dir, s);
    fake_sdl::after_delay = script_after_delay;
    apply_script_keys();
    while (counts.frames < s.frames && !sdl.quit) {
        play_frame();
    }
    std::string state = end_state();
    if (mode == "--write") {
        std::ofstream(golden) << state;
        std::cerr << state;
        return 0;
    }
    if (mode == "--check") {
        std::ifstream in(golden);
        std::stringstream expected;
        expected << in.rdbuf();
        if (expected.str() != state) {
            std::cerr << "replay: end state differs from " << golden << "\n--- expected\n"
                      << expected.str() << "--- got\n"
                      << state;
            return 1;
        }
        std::cerr << "replay: end state matches " << golden << "\n";
        return 0;
    }
    std::cerr << state;
    return 0;
}

// The soak's player: its own generator, so that it never disturbs the game's draws.
uint32_t bot_state;
SDLKey bot_move = SDLK_UNKNOWN;
bool bot_fires = false;
long bot_frames_waiting = 0;

uint32_t bot_next() {
    bot_state = bot_state * 1664525u + 1013904223u;
    return bot_state >> 8;
}

void bot_choose_keys() {
    if (counts.frames % 20 == 0) {
        const SDLKey moves[] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UNKNOWN, SDLK_a, SDLK_d};
        bot_move = moves[bot_next() % 5];
        bot_fires = bot_next() % 10 < 7;
    }
    std::fill(std::begin(fake_sdl::keys), std::end(fake_sdl::keys), 0);
    if (bot_move != SDLK_UNKNOWN) {
        fake_sdl::press(bot_move);
    }
    if (bot_fires) {
        fake_sdl::press(bot_next() % 2 ? SDLK_UP : SDLK_SPACE);
    }
}

// On the game-over screen the bot waits half a second, then presses space.
void bot_after_delay() {
    watch_game_over();
    if (player.game_over == 1) {
        std::fill(std::begin(fake_sdl::keys), std::end(fake_sdl::keys), 0);
        if (++bot_frames_waiting > 30) {
            fake_sdl::press(SDLK_SPACE);
            bot_frames_waiting = 0;
        }
    }
}

// The rules every frame must leave intact; returns what is broken, or "".
std::string broken_invariant() {
    int alive = 0;
    for (int c = 0; c < fleet::columns; ++c) {
        bool any = false;
        for (int r = 0; r < fleet::rows; ++r) {
            any = any || invaders.cell[c * fleet::rows + r] == 1;
            alive += invaders.cell[c * fleet::rows + r];
        }
        if (invaders.column_alive[c] != (any ? 1 : 0)) {
            return "column flag " + std::to_string(c) + " does not match its cells";
        }
    }
    if (float(alive) != invaders.alive_count) {
        return "live count " + std::to_string(invaders.alive_count) + " but " +
               std::to_string(alive) + " live cells";
    }
    if (alive < 1) {
        return "no invader alive after the fleet's update";
    }
    if ((fleet_bullet.head == nullptr) != (fleet_bullet.tail == nullptr)) {
        return "bullet list has only one end";
    }
    if (fleet_bullet.head != nullptr && fleet_bullet.head->prev != nullptr) {
        return "bullet list head has a predecessor";
    }
    for (bullet* b = fleet_bullet.head; b != nullptr; b = b->next) {
        if (b->next == nullptr ? fleet_bullet.tail != b : b->next->prev != b) {
            return "bullet list links do not mirror each other";
        }
    }
    if (player.lives < 0 || player.score < 0) {
        return "negative lives or score";
    }
    return "";
}

size_t heap_in_use() {
    return mallinfo2().uordblks;
}

int soak(const std::string& asset_dir, long frames, unsigned seed) {
    static script quiet;
    quiet.seed = seed;
    active_script = &quiet;
    bot_state = seed;
    start_game(asset_dir, quiet);
    fake_sdl::after_delay = bot_after_delay;
    const long settle = frames / 6;  // ten minutes of an hour
    size_t heap_settled = 0;
    while (counts.frames < frames && !sdl.quit) {
        bot_choose_keys();
        play_frame();
        std::string broken = broken_invariant();
        if (!broken.empty()) {
            std::cerr << "soak: frame " << counts.frames << ": " << broken << "\n";
            return 1;
        }
        if (counts.frames == settle) {
            heap_settled = heap_in_use();
        }
    }
    size_t heap_end = heap_in_use();
    std::cerr << "soak: " << counts.frames << " frames, " << fake_sdl::ticks / 1000
              << " s of game time, " << counts.waves_cleared << " waves cleared, "
              << counts.games_over << " games over, final score " << player.score << "\n"
              << "soak: heap in use after " << settle << " frames: " << heap_settled
              << " bytes; at the end: " << heap_end << " bytes\n";
    // Bullets in flight and the glyph cache come and go; anything beyond that is a leak.
    const size_t slack = 64 * 1024;
    if (heap_end > heap_settled + slack) {
        std::cerr << "soak: the heap grew by " << heap_end - heap_settled << " bytes\n";
        return 1;
    }
    return 0;
}

// The recorder's player dodges falling bullets and otherwise lines up under the nearest live
// column and fires; what it presses is written out as a script, so the replay itself stays
// plain recorded input.
bool under_a_bunker(int x) {
    for (int i = 0; i < shields::count; ++i) {
        if (x >= bunker_x(i) - 1 && x <= bunker_x(i) + 37) {
            return true;
        }
    }
    return false;
}

std::vector<SDLKey> aiming_keys() {
    const int centre = player.x + 12;
    for (bullet* b = fleet_bullet.head; b != nullptr; b = b->next) {
        if (b->y > 150 && b->y < 278 && b->x >= player.x - 6 && b->x <= player.x + 31) {
            bool go_left = b->x >= centre;
            if (go_left && player.x <= 4) {
                go_left = false;
            }
            if (!go_left && player.x + 29 >= 400) {
                go_left = true;
            }
            return {go_left ? SDLK_LEFT : SDLK_RIGHT};
        }
    }
    int target = -1;
    int best_distance = 1 << 30;
    for (int c = 0; c < fleet::columns; ++c) {
        int column_centre = int(invaders.x + float(30 * c)) + 12;
        if (invaders.column_alive[c] == 1 && !under_a_bunker(column_centre) && column_centre > 4 &&
            column_centre < 390 && std::abs(column_centre - centre) < best_distance) {
            target = column_centre;
            best_distance = std::abs(column_centre - centre);
        }
    }
    std::vector<SDLKey> keys;
    if (target >= 0 && target < centre - 2) {
        keys.push_back(SDLK_LEFT);
    } else if (target >= 0 && target > centre + 2) {
        keys.push_back(SDLK_RIGHT);
    }
    if (!under_a_bunker(centre)) {
        keys.push_back(SDLK_SPACE);
    }
    return keys;
}

std::string key_list(const std::vector<SDLKey>& keys) {
    std::string text;
    for (SDLKey key : keys) {
        for (const auto& named : key_names) {
            if (named.second == key) {
                text += " " + named.first;
            }
        }
    }
    return text;
}

int record(const std::string& asset_dir, long frames, unsigned seed, const char* out_given) {
    const std::string out_path = from_caller_dir(out_given);
    static script recorded;
    recorded.seed = seed;
    active_script = &recorded;
    start_game(asset_dir, recorded);
    // A recording ends with the game, or a little after the first cleared wave.
    fake_sdl::after_delay = [] {
        if (player.game_over == 1) {
            sdl.quit = true;
        }
    };
    long stop_at = frames;
    std::ofstream out(out_path);
    out << "# Recorded by the replay driver's aiming player.\nseed " << seed << "\n";
    std::string held;
    uint32_t held_since = 0;
    while (counts.frames < stop_at && !sdl.quit) {
        if (counts.waves_cleared > 0 && stop_at == frames) {
            stop_at = counts.frames + 300;
        }
        std::vector<SDLKey> keys = aiming_keys();
        std::string now_held = key_list(keys);
        if (now_held != held) {
            if (!held.empty()) {
                out << "hold " << held_since << " " << fake_sdl::ticks << held << "\n";
            }
            held = now_held;
            held_since = fake_sdl::ticks;
        }
        std::fill(std::begin(fake_sdl::keys), std::end(fake_sdl::keys), 0);
        for (SDLKey key : keys) {
            fake_sdl::press(key);
        }
        play_frame();
    }
    if (!held.empty()) {
        out << "hold " << held_since << " " << fake_sdl::ticks << held << "\n";
    }
    out << "frames " << counts.frames << "\n";
    std::cerr << end_state();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (argc == 5 && std::string(argv[2]) == "--soak") {
        return soak(argv[1], std::atol(argv[3]), unsigned(std::atol(argv[4])));
    }
    if (argc == 6 && std::string(argv[2]) == "--record") {
        return record(argv[1], std::atol(argv[3]), unsigned(std::atol(argv[4])), argv[5]);
    }
    if (argc == 3) {
        return run_script(argv[1], argv[2], "", nullptr);
    }
    if (argc == 5) {
        return run_script(argv[1], argv[2], argv[3], argv[4]);
    }
    std::cerr << "usage: replay ASSET_DIR SCRIPT [--write|--check GOLDEN]\n"
                 "       replay ASSET_DIR --soak FRAMES SEED\n";
    return 2;
}
