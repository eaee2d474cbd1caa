// frame_bench.cpp: the cost of one frame of the real loop (the clear, every move and every
// draw; no flip, no pacing) in scenes that stress each hot path, beside the floor: a frame
// that only clears the screen and blits 55 invader-sized sprites. The floor blits them from
// the sheet in the screen's own layout, the cheapest way to put those pixels there;
// floor_loaded, for reference, from the sheet as the file loads.
//
//   frame_bench [--screen=WxH] [--game-dir=DIR] [--frames=N] [benchmark options]
//
// The game runs on SDL's dummy drivers in a scratch folder that links the staged assets, with
// the benchmark's own clock (16 ms a frame) and no key held.
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/program.h"
#include "fake_sdl.h"
#include "game/fleet.h"
#include "game/fleet_bullet.h"
#include "game/player.h"
#include "game/shields.h"
#include "game/ufo.h"
#include "platform/base_collision.h"
#include "platform/sdl.h"
#include "platform/surface.h"

namespace {

constexpr uint32_t frame_ms = 16;
// The game moves on by itself; every this many frames it is put back where the scene
// starts, outside the timing, so that a scene stays the scene it claims to be.
constexpr int frames_per_round = 64;
constexpr int bullets_in_flight = 40;
constexpr int sprite_size = 25;

// ---- the scenes -------------------------------------------------------------------------

// Row 4 of the formation covers y 220 to 245, the bunkers' band, and every bunker lies under
// some column; the formation slides one pixel a frame so that every frame eats fresh pixels.
constexpr float overlap_y = 120.0f;
constexpr float overlap_x = 35.0f;

struct shot_spot {
    int x;
    int y;
};
shot_spot shot_in_gap;

void restore_game() {
    fleet_bullet.reset();
    invaders.reset();
    shields.reset();
    ufo.reset();
    player.lives = 3;
    player.alive = 1;
    player.game_over = 0;
    player.shot_active = false;
    player.x = 25;
}

void no_hold(int) {}

void hold_over_bunkers(int frame) {
    invaders.x = overlap_x + static_cast<float>(frame % 16);
    invaders.y = overlap_y;
    invaders.last_step = SDL_GetTicks();
}

// The shot is put back every frame at a spot inside the formation whose boxes it overlaps
// but whose opaque pixels it misses, so every frame runs the full pixel scans and kills none.
void hold_shot_in_formation(int) {
    invaders.last_step = SDL_GetTicks();
    player.shot_active = true;
    player.shot_x = shot_in_gap.x;
    player.shot_y = shot_in_gap.y;
}

int bullet_count() {
    int n = 0;
    for (bullet* b = fleet_bullet.head; b != nullptr; b = b->next) {
        ++n;
    }
    return n;
}

// Spread over the field's width and the height above and through the bunkers; a bullet that
// struck something is replaced by a fresh one near the top.
void hold_bullets(int frame) {
    for (int k = bullet_count(); k < bullets_in_flight; ++k) {
        int slot = (k * 7 + frame) % bullets_in_flight;
        int top = frame == 0 ? 30 + (slot * 37) % 200 : 30;
        fleet_bullet.add(10 + slot * 9, top);
    }
}

struct scene {
    const char* name;
    void (*hold)(int frame);
};

const scene scenes[] = {
    {"start", no_hold},
    {"bunkers", hold_over_bunkers},
    {"shot", hold_shot_in_formation},
    {"bullets40", hold_bullets},
};

// ---- the shot's spot --------------------------------------------------------------------

// Every row's outline in both animation frames, made once for the whole search.
struct outlines {
    SDL_Surface* shape[2][fleet::rows];
};

// How many invader boxes the shot at (x, y) touches, or -1 when it would hit one in either
// animation frame.
int boxes_touched_without_hit(const outlines& o, int x, int y) {
    int touched = 0;
    for (int frame = 0; frame < 2; ++frame) {
        for (int r = 0; r < fleet::rows; ++r) {
            SDL_Surface* shape = o.shape[frame][r];
            for (int c = 0; c < fleet::columns; ++c) {
                int left = invaders.column_left(c);
                int top = invaders.row_top(r);
                if (collision.per_pixel(invaders.shot_mask, x, y, shape, left, top)) {
                    return -1;
                }
                if (collision.bounding_box(invaders.shot_mask, x, y, shape, left, top)) {
                    ++touched;
                }
            }
        }
    }
    return touched;
}

shot_spot find_shot_spot() {
    restore_game();
    outlines o;
    for (int frame = 0; frame < 2; ++frame) {
        invaders.frame = static_cast<uint8_t>(frame);
        for (int r = 0; r < fleet::rows; ++r) {
            o.shape[frame][r] = invaders.row_shape(r);
        }
    }
    invaders.frame = 0;
    shot_spot best{invaders.column_left(5) + 27, invaders.row_top(2) + 10};
    int most = 0;
    for (int y = invaders.row_top(1); y < invaders.row_top(4); ++y) {
        for (int x = invaders.column_left(4); x < invaders.column_left(7); ++x) {
            int touched = boxes_touched_without_hit(o, x, y);
            if (touched > most) {
                most = touched;
                best = shot_spot{x, y};
            }
        }
    }
    for (auto& of_frame : o.shape) {
        for (SDL_Surface* shape : of_frame) {
            SDL_FreeSurface(shape);
        }
    }
    std::fprintf(stderr, "frame_bench: the shot rests at (%d, %d), touching %d invader boxes\n",
                 best.x, best.y, most);
    return best;
}

// ---- the benchmarks ---------------------------------------------------------------------

void run_scene(benchmark::State& state, const scene& s) {
    int frame = 0;
    int64_t kills = 0;
    restore_game();
    for (auto _ : state) {
        if (frame == frames_per_round) {
            state.PauseTiming();
            restore_game();
            frame = 0;
            state.ResumeTiming();
        }
        fake_sdl::ticks += frame_ms;
        s.hold(frame);
        float alive_before = invaders.alive_count;
        frame_work();
        kills += invaders.alive_count < alive_before ? 1 : 0;
        ++frame;
    }
    state.counters["kills_per_frame"] =
        benchmark::Counter(static_cast<double>(kills), benchmark::Counter::kAvgIterations);
}

// The invader sheet as the file loads, and converted to the screen's layout.
SDL_Surface* sheet_as_loaded;
SDL_Surface* sheet_for_screen;

// The least any frame of the game can cost at this size: the clear and 55 sprite blits. Not
// inlined, so that an instruction count can be limited to it by name.
__attribute__((noinline)) void floor_work(SDL_Surface* sheet) {
    SDL_FillRect(sdl.screen, nullptr, 0);
    for (int r = 0; r < fleet::rows; ++r) {
        for (int c = 0; c < fleet::columns; ++c) {
            surface.draw_partial(sheet, sprite_size, sprite_size, 0, sprite_size * ((r + 1) / 2),
                                 sdl.screen, 30 * c, 25 + 25 * r);
        }
    }
}

void floor_frame(benchmark::State& state, SDL_Surface* sheet) {
    for (auto _ : state) {
        floor_work(sheet);
        benchmark::ClobberMemory();
    }
    // Every row of a table report needs the same counters.
    state.counters["kills_per_frame"] = 0;
}

bool load_floor_sheets() {
    sheet_as_loaded = IMG_Load("IMG/VX-Sprites.png");
    if (sheet_as_loaded == nullptr) {
        return false;
    }
    sheet_for_screen = SDL_DisplayFormatAlpha(sheet_as_loaded);
    return sheet_for_screen != nullptr;
}

double fastest(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

// ---- start-up -----------------------------------------------------------------------------

struct options {
    int width = 400;
    int height = 300;
    std::string game_dir = VEXLORN_GAME_DIR;
    // A fixed number of frames per benchmark, for profiling runs; 0 lets the library choose.
    int frames = 0;
};

// Takes this program's own options out of argv, leaving the benchmark library's.
options take_options(int& argc, char** argv) {
    options o;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::sscanf(argv[i], "--screen=%dx%d", &o.width, &o.height) == 2) {
            continue;
        }
        if (std::sscanf(argv[i], "--frames=%d", &o.frames) == 1) {
            continue;
        }
        if (std::strncmp(argv[i], "--game-dir=", 11) == 0) {
            o.game_dir = argv[i] + 11;
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    return o;
}

const char* const scratch_files[] = {"IMG", "SFX", "Aaargh.ttf", settings_file_name, "startup.log"};
char scratch_path[] = "/tmp/vexlorn-bench-XXXXXX";

bool enter_scratch_folder(const options& o) {
    if (mkdtemp(scratch_path) == nullptr || chdir(scratch_path) != 0) {
        std::perror("frame_bench: scratch folder");
        return false;
    }
    for (const char* asset : {"IMG", "SFX", "Aaargh.ttf"}) {
        std::string target = o.game_dir + "/" + asset;
        if (symlink(target.c_str(), asset) != 0) {
            std::perror(asset);
            return false;
        }
    }
    std::FILE* settings = std::fopen(settings_file_name, "w");
    if (settings == nullptr) {
        return false;
    }
    std::fprintf(settings, "%d\n%d\n32\n0\n", o.width, o.height);
    std::fclose(settings);
    return true;
}

// The game's start-up lines go to a log in the scratch folder, not into the results.
void start_game_quietly() {
    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    if (std::freopen("startup.log", "w", stdout) == nullptr) {
        return;
    }
    program_init();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
}

// The scratch folder holds only the links, the settings file and the start-up log.
void program_cleanup_quietly() {
    std::fflush(stdout);
    if (std::freopen("/dev/null", "w", stdout) != nullptr) {
        program_cleanup();
    }
    for (const char* name : scratch_files) {
        unlink(name);
    }
    if (chdir("/") == 0) {
        rmdir(scratch_path);
    }
}

}  // namespace

int main(int argc, char** argv) {
    options o = take_options(argc, argv);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!enter_scratch_folder(o)) {
        return 1;
    }
    fake_sdl::reset(1000);
    start_game_quietly();
    if (sdl.screen == nullptr || invaders.sprites == nullptr || !load_floor_sheets()) {
        std::fprintf(stderr, "frame_bench: no screen or no sprites; are the assets staged?\n");
        program_cleanup_quietly();
        return 1;
    }
    shot_in_gap = find_shot_spot();
    std::string size = std::to_string(sdl.screen->w) + "x" + std::to_string(sdl.screen->h);
    std::vector<benchmark::internal::Benchmark*> all;
    all.push_back(
        benchmark::RegisterBenchmark(("floor/" + size).c_str(), floor_frame, sheet_for_screen));
    all.push_back(benchmark::RegisterBenchmark(("floor_loaded/" + size).c_str(), floor_frame,
                                               sheet_as_loaded));
    for (const scene& s : scenes) {
        all.push_back(
            benchmark::RegisterBenchmark((std::string("frame/") + s.name + "/" + size).c_str(),
                                         [&s](benchmark::State& st) { run_scene(st, s); }));
    }
    for (benchmark::internal::Benchmark* b : all) {
        b->ComputeStatistics("min", fastest);
        if (o.frames > 0) {
            b->Iterations(o.frames);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_FreeSurface(sheet_for_screen);
    SDL_FreeSurface(sheet_as_loaded);
    program_cleanup_quietly();
    return 0;
}
