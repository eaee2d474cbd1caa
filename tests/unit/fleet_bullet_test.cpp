// fleet_bullet_test.cpp: the invaders' bullet list, the bullets' fall and what they strike,
// their drawing and their release.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "fake_sdl.h"
#include "game/fleet_bullet.h"
#include "game/player.h"
#include "game/shields.h"
#include "platform/sdl.h"
#include "test_support.h"

// Every allocation of the test executable is counted, so that a test can see whether the
// bullets it made were all given back. The whole family of plain and array forms, throwing
// and nothrow, is replaced: any form left to the library (or to a sanitizer's allocator)
// would hand out memory that the replaced delete then gives to free(). The standard library
// takes its temporary buffers with the nothrow form. These tests are an executable of their
// own so that the other unit tests keep the library's allocator.
namespace {
std::atomic<long> live_allocations{0};

void* counted_allocation(std::size_t size) noexcept {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr) {
        ++live_allocations;
    }
    return p;
}
}  // namespace

void* operator new(std::size_t size) {
    void* p = counted_allocation(size);
    if (p == nullptr) {
        std::abort();
    }
    return p;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return counted_allocation(size);
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return counted_allocation(size);
}

void operator delete(void* p) noexcept {
    if (p != nullptr) {
        --live_allocations;
        std::free(p);
    }
}

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}

void operator delete[](void* p) noexcept {
    operator delete(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}

namespace {

using test_support::make_opaque;
using test_support::make_rgba;
using test_support::replace;
using test_support::rgba_at;
using test_support::screen_rgb;

constexpr uint32_t opaque_white = 0xFFFFFFFF;
constexpr uint32_t red = 0xFF0000;
constexpr uint32_t green = 0x00FF00;
constexpr uint32_t blue = 0x0000FF;
constexpr uint32_t black = 0x000000;

constexpr int bunker_w = 22;
constexpr int bunker_h = 16;
constexpr int base_w = 26;
constexpr int base_h = 16;
// A tall, thin erosion mask: it shows exactly which column an explosion eroded.
constexpr int erosion_w = 1;
constexpr int erosion_h = 8;

// A sheet of 1-pixel-wide cells side by side, each filled with its own colour.
SDL_Surface* make_sheet(int cell_w, int h, const std::vector<uint32_t>& colours) {
    SDL_Surface* sheet = make_rgba(cell_w * int(colours.size()), h, 0);
    for (int x = 0; x < sheet->w; ++x) {
        for (int y = 0; y < h; ++y) {
            test_support::put_rgba(sheet, x, y, colours[x / cell_w] << 8 | 0xFF);
        }
    }
    return sheet;
}

using fleet_bullet_t = class fleet_bullet;

class fleet_bullet_test : public ::testing::Test {
protected:
    void SetUp() override {
        fake_sdl::reset(5000);
        test_support::open_screen();
        fleet_bullet.head = nullptr;
        fleet_bullet.tail = nullptr;
        fleet_bullet.explosion_x = 0;
        fleet_bullet.explosion_y = 0;
        fleet_bullet.explosion_ticks = 0;
        replace(fleet_bullet.bullet_image, make_sheet(1, 5, {red, blue}));
        replace(fleet_bullet.bullet_mask, make_rgba(1, 5, opaque_white));
        replace(fleet_bullet.explosion_image, make_sheet(5, 7, {red, green, blue}));
        replace(fleet_bullet.explosion_mask, make_rgba(erosion_w, erosion_h, opaque_white));
        replace(fleet_bullet.base_mask, make_rgba(base_w, base_h, opaque_white));
        fresh_shields();
        // The base stands at the right, clear of the bunkers.
        player.x = 360;
        player.y = 261;
        player.lives = 3;
        player.alive = 1;
    }

    void fresh_shields() {
        for (int i = 0; i < shields::count; ++i) {
            replace(shields.bunker[i], make_rgba(bunker_w, bunker_h, opaque_white));
        }
        replace(shields.ground, make_opaque(400, 2, green));
    }

    void drop_images() {
        SDL_Surface** images[] = {&fleet_bullet.bullet_image, &fleet_bullet.bullet_mask,
                                  &fleet_bullet.explosion_image, &fleet_bullet.explosion_mask,
                                  &fleet_bullet.base_mask};
        for (SDL_Surface** image : images) {
            replace(*image, nullptr);
        }
    }

    void clear_screen() { SDL_FillRect(sdl.screen, nullptr, 0); }
};

// Walks the list from the head, checks that prev mirrors next and that the tail ends it, and
// returns the bullets' x in list order.
std::vector<int> list_xs() {
    std::vector<int> xs;
    bullet* before = nullptr;
    for (bullet* b = fleet_bullet.head; b != nullptr; b = b->next) {
        EXPECT_EQ(b->prev, before) << "at x " << b->x;
        xs.push_back(b->x);
        before = b;
    }
    EXPECT_EQ(fleet_bullet.tail, before);
    return xs;
}

bullet* nth(int n) {
    bullet* b = fleet_bullet.head;
    while (n-- > 0) {
        b = b->next;
    }
    return b;
}

int ground_green_count() {
    int count = 0;
    for (int x = 0; x < 400; ++x) {
        for (int y = 0; y < 2; ++y) {
            count += (rgba_at(shields.ground, x, y) >> 8) == green;
        }
    }
    return count;
}

TEST_F(fleet_bullet_test, add_appends_the_newest_bullet_at_the_tail) {
    EXPECT_EQ(list_xs(), std::vector<int>{});
    fleet_bullet.add(10, 11);
    EXPECT_EQ(list_xs(), std::vector<int>{10});
    fleet_bullet.add(20, 21);
    fleet_bullet.add(30, 31);
    EXPECT_EQ(list_xs(), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(fleet_bullet.head->prev, nullptr);
    EXPECT_EQ(fleet_bullet.tail->next, nullptr);
    EXPECT_EQ(fleet_bullet.tail->y, 31);
    fleet_bullet.reset();
}

TEST_F(fleet_bullet_test, remove_relinks_the_neighbours_and_a_second_remove_changes_nothing) {
    struct removal {
        const char* name;
        int length;
        int index;
        std::vector<int> left;
    };
    const removal cases[] = {
        {"only bullet", 1, 0, {}},
        {"head", 3, 0, {1, 2}},
        {"tail", 3, 2, {0, 1}},
        {"middle", 3, 1, {0, 2}},
    };
    for (const removal& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < c.length; ++i) {
            fleet_bullet.add(i, 0);
        }
        bullet* b = nth(c.index);
        bullet* next = b->next;
        bullet* prev = b->prev;

        fleet_bullet.remove(b);
        EXPECT_EQ(list_xs(), c.left);
        EXPECT_EQ(b->next, next);
        EXPECT_EQ(b->prev, prev);

        fleet_bullet.remove(b);
        EXPECT_EQ(list_xs(), c.left);

        // A removed bullet belongs to whoever removed it.
        delete b;
        fleet_bullet.reset();
    }
}

TEST_F(fleet_bullet_test, reset_empties_the_list_and_frees_every_bullet) {
    long before = live_allocations;
    for (int i = 0; i < 5; ++i) {
        fleet_bullet.add(i, i);
    }
    long with_bullets = live_allocations;
    fleet_bullet.reset();
    long after = live_allocations;

    EXPECT_EQ(with_bullets, before + 5);
    EXPECT_EQ(after, before);
    EXPECT_EQ(fleet_bullet.head, nullptr);
    EXPECT_EQ(fleet_bullet.tail, nullptr);
}

TEST_F(fleet_bullet_test, bullets_in_the_open_fall_two_pixels_a_frame_and_stay_listed) {
    fleet_bullet.add(10, 50);
    fleet_bullet.add(200, 0);
    fleet_bullet.add(399, 100);
    for (int frame = 0; frame < 3; ++frame) {
        fleet_bullet.move();
    }
    EXPECT_EQ(list_xs(), (std::vector<int>{10, 200, 399}));
    EXPECT_EQ(nth(0)->y, 56);
    EXPECT_EQ(nth(1)->y, 6);
    EXPECT_EQ(nth(2)->y, 106);
    EXPECT_EQ(fleet_bullet.explosion_ticks, 0u);
    EXPECT_EQ(player.lives, 3);
    fleet_bullet.reset();
}

// The bullet's bottom row reaches the bunker's top row after its fall; the explosion erodes
// the column under the bullet or the one to its right, as the random draw decides.
TEST_F(fleet_bullet_test, a_bullet_on_a_bunker_explodes_and_erodes_at_its_x_or_one_right) {
    bool seen[2] = {false, false};
    for (unsigned seed = 1; seed <= 24; ++seed) {
        int i = int(seed % shields::count);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", bunker " + std::to_string(i));
        fresh_shields();
        srand(seed);
        int r = rand() % 2;
        seen[r] = true;
        srand(seed);

        int x = bunker_x(i) + 10;
        fleet_bullet.add(x, 214);
        long before = live_allocations;
        fleet_bullet.move();
        long after = live_allocations;

        EXPECT_EQ(after, before - 1);
        EXPECT_EQ(fleet_bullet.head, nullptr);
        EXPECT_EQ(fleet_bullet.explosion_x, x);
        EXPECT_EQ(fleet_bullet.explosion_y, 216);
        EXPECT_EQ(fleet_bullet.explosion_ticks, fake_sdl::ticks);
        int eroded = x - r + 1 - bunker_x(i);
        int spared = r == 1 ? eroded + 1 : eroded - 1;
        for (int row = 0; row < bunker_h; ++row) {
            bool under_mask = row <= 216 + erosion_h - 1 - bunker_y;
            EXPECT_EQ(test_support::alpha_at(shields.bunker[i], eroded, row) == 0, under_mask)
                << "row " << row;
            EXPECT_NE(test_support::alpha_at(shields.bunker[i], spared, row), 0) << "row " << row;
        }
        int whole = bunker_w * bunker_h;
        EXPECT_EQ(test_support::solid_count(shields.bunker[i]), whole - (216 + erosion_h - 220));
        for (int other = 0; other < shields::count; ++other) {
            if (other != i) {
                EXPECT_EQ(test_support::solid_count(shields.bunker[other]), whole);
            }
        }
    }
    EXPECT_TRUE(seen[0] && seen[1]) << "both draws should occur over these seeds";
}

// The ground line is tested by box, edges included: it spans y 280 to 282 in that sense, and
// a 5-pixel bullet at y spans y to y + 5.
TEST_F(fleet_bullet_test, a_bullet_touching_the_ground_line_explodes_and_blackens_it) {
    struct contact {
        int y_after_fall;
        bool hits;
        std::vector<int> eroded_rows;
    };
    const contact cases[] = {
        {274, false, {}},   {275, true, {280, 281}}, {276, true, {280, 281}},
        {281, true, {281}}, {282, true, {}},         {283, false, {}},
    };
    const int x = 100;
    for (const contact& c : cases) {
        SCOPED_TRACE("bullet at y " + std::to_string(c.y_after_fall));
        fresh_shields();
        fleet_bullet.explosion_ticks = 0;
        fleet_bullet.add(x, c.y_after_fall - 2);

        fleet_bullet.move();

        EXPECT_EQ(fleet_bullet.head == nullptr, c.hits);
        if (c.hits) {
            EXPECT_EQ(fleet_bullet.explosion_x, x - 2);
            EXPECT_EQ(fleet_bullet.explosion_y, c.y_after_fall);
            EXPECT_EQ(fleet_bullet.explosion_ticks, fake_sdl::ticks);
        } else {
            EXPECT_EQ(fleet_bullet.explosion_ticks, 0u);
        }
        for (int row = 280; row <= 281; ++row) {
            bool eroded = false;
            for (int r : c.eroded_rows) {
                eroded = eroded || r == row;
            }
            EXPECT_EQ(rgba_at(shields.ground, x, row - 280), eroded ? 0x000000FFu : 0x00FF00FFu)
                << "row " << row;
        }
        int expected_green = 800 - int(c.eroded_rows.size()) * erosion_w;
        EXPECT_EQ(ground_green_count(), expected_green);
        EXPECT_EQ(test_support::solid_count(shields.ground), 800);
        fleet_bullet.reset();
    }
}

// The base's box is closed as well; a base that is already destroyed is hit all the same.
TEST_F(fleet_bullet_test, a_bullet_touching_the_base_costs_a_life) {
    struct contact {
        int x;
        int y_after_fall;
        int alive;
        bool hits;
    };
    const int bx = 360;
    const contact cases[] = {
        {bx - 1, 256, 1, true},           {bx - 2, 256, 1, false}, {bx + base_w, 270, 1, true},
        {bx + base_w + 1, 270, 1, false}, {bx + 5, 255, 1, false}, {bx + 5, 256, 0, true},
    };
    for (const contact& c : cases) {
        SCOPED_TRACE("bullet at " + std::to_string(c.x) + ", " + std::to_string(c.y_after_fall) +
                     ", base alive " + std::to_string(c.alive));
        player.lives = 3;
        player.alive = c.alive;
        fleet_bullet.add(c.x, c.y_after_fall - 2);
        long before = live_allocations;
        fleet_bullet.move();
        long after = live_allocations;

        EXPECT_EQ(player.lives, c.hits ? 2 : 3);
        EXPECT_EQ(fleet_bullet.head == nullptr, c.hits);
        EXPECT_EQ(after, c.hits ? before - 1 : before);
        if (c.hits) {
            EXPECT_EQ(player.alive, 0);
        }
        fleet_bullet.reset();
    }
}

TEST_F(fleet_bullet_test, a_bullet_meeting_ground_and_base_at_once_takes_both_and_leaves_once) {
    // The base's box reaches y 277 and the ground line's starts at 280: a bullet at 276
    // touches both.
    const int x = player.x + 4;
    fleet_bullet.add(10, 100);
    fleet_bullet.add(x, 274);
    fleet_bullet.add(30, 120);
    long before = live_allocations;

    fleet_bullet.move();
    long after = live_allocations;

    EXPECT_EQ(list_xs(), (std::vector<int>{10, 30}));
    EXPECT_EQ(after, before - 1);
    EXPECT_EQ(player.lives, 2);
    EXPECT_EQ(fleet_bullet.explosion_x, x - 2);
    EXPECT_EQ(fleet_bullet.explosion_y, 276);
    EXPECT_EQ(rgba_at(shields.ground, x, 0), 0x000000FFu);
    EXPECT_EQ(rgba_at(shields.ground, x, 1), 0x000000FFu);
    EXPECT_EQ(ground_green_count(), 798);
    fleet_bullet.reset();
}

// A bullet clear of the ground line, the bunkers and the base is freed once its top is below
// the screen and below the lowest row any of them could still touch by box.
TEST_F(fleet_bullet_test, a_bullet_that_missed_everything_is_freed_below_the_screen) {
    struct fall {
        const char* name;
        int screen_h;
        int base_mask_h;
        int start_y;
        int freed_at_y;
    };
    const fall cases[] = {
        {"tall screen, even rows", 768, base_h, 700, 768},
        {"tall screen, odd rows", 768, base_h, 701, 769},
        {"short screen, ground line reaches lowest", 240, base_h, 200, 284},
        {"short screen, odd rows past the ground line", 240, base_h, 201, 283},
        {"short screen, tall base reaches lowest", 240, 30, 200, 292},
    };
    for (const fall& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::open_screen(1024, c.screen_h);
        replace(fleet_bullet.base_mask, make_rgba(base_w, c.base_mask_h, opaque_white));
        // Beyond the ground line's 400 pixels, the bunkers and the base.
        const int x = 600;
        fleet_bullet.add(x, c.start_y);
        long before = live_allocations;

        int last_listed_y = c.start_y;
        for (int frame = 0; frame < 1000 && fleet_bullet.head != nullptr; ++frame) {
            last_listed_y = fleet_bullet.head->y;
            fleet_bullet.move();
        }
        long after = live_allocations;

        EXPECT_EQ(fleet_bullet.head, nullptr);
        EXPECT_EQ(fleet_bullet.tail, nullptr);
        EXPECT_EQ(last_listed_y + 2, c.freed_at_y);
        EXPECT_EQ(after, before - 1);
        EXPECT_EQ(fleet_bullet.explosion_ticks, 0u);
        EXPECT_EQ(player.lives, 3);
        EXPECT_EQ(ground_green_count(), 800);
    }
}

TEST_F(fleet_bullet_test, bullets_take_their_cell_from_the_band_of_their_y) {
    clear_screen();
    fleet_bullet.add(50, 195);
    fleet_bullet.add(60, 199);
    fleet_bullet.add(70, 200);
    fleet_bullet.add(80, 250);

    fleet_bullet.draw();

    struct drawn {
        int x;
        int y;
        uint32_t colour;
    };
    const drawn cases[] = {{50, 195, blue}, {60, 199, blue}, {70, 200, red}, {80, 250, red}};
    for (const drawn& c : cases) {
        SCOPED_TRACE("bullet at y " + std::to_string(c.y));
        for (int row = 0; row < 5; ++row) {
            EXPECT_EQ(screen_rgb(c.x, c.y + row), c.colour) << "row " << row;
        }
        EXPECT_EQ(screen_rgb(c.x + 1, c.y), black);
        EXPECT_EQ(screen_rgb(c.x, c.y + 5), black);
    }
    fleet_bullet.reset();
}

TEST_F(fleet_bullet_test, the_explosion_shows_for_150_ms_three_pixels_right_of_its_record) {
    struct moment {
        uint32_t exploded;
        uint32_t now;
        bool shown;
    };
    const moment cases[] = {
        {1000, 1000, true},        {1000, 1149, true}, {1000, 1150, false},
        {0xFFFFFFF0u, 0x50, true}, {1000, 999, false},
    };
    fleet_bullet.explosion_x = 100;
    fleet_bullet.explosion_y = 100;
    for (const moment& c : cases) {
        SCOPED_TRACE("exploded " + std::to_string(c.exploded) + ", now " + std::to_string(c.now));
        clear_screen();
        fleet_bullet.explosion_ticks = c.exploded;
        fake_sdl::ticks = c.now;

        fleet_bullet.draw();

        EXPECT_EQ(screen_rgb(103, 100), c.shown ? green : black);
        EXPECT_EQ(screen_rgb(107, 106), c.shown ? green : black);
        EXPECT_EQ(screen_rgb(102, 100), black);
        EXPECT_EQ(screen_rgb(108, 100), black);
    }
}

TEST_F(fleet_bullet_test, the_explosion_takes_its_cell_from_the_band_of_its_y) {
    struct band {
        int y;
        uint32_t colour;
    };
    const band cases[] = {{0, blue}, {19, blue}, {20, green}, {199, green}, {200, red}, {280, red}};
    fleet_bullet.explosion_x = 40;
    fleet_bullet.explosion_ticks = fake_sdl::ticks;
    for (const band& c : cases) {
        SCOPED_TRACE("explosion at y " + std::to_string(c.y));
        clear_screen();
        fleet_bullet.explosion_y = c.y;

        fleet_bullet.draw();

        EXPECT_EQ(screen_rgb(43, c.y), c.colour);
        EXPECT_EQ(screen_rgb(47, c.y + 6), c.colour);
    }
}

// Fixture files of distinct sizes under the five names show which file went into which field.
TEST_F(fleet_bullet_test, init_starts_an_empty_list_and_loads_the_five_images) {
    struct image_file {
        const char* path;
        decltype(&fleet_bullet_t::bullet_image) field;
        int w;
        int h;
    };
    const image_file files[] = {
        {"IMG/Bullet.png", &fleet_bullet_t::bullet_image, 2, 5},
        {"IMG/Bullet_mask.png", &fleet_bullet_t::bullet_mask, 1, 5},
        {"IMG/Bullet_Explode.png", &fleet_bullet_t::explosion_image, 15, 7},
        {"IMG/exp_mask.png", &fleet_bullet_t::explosion_mask, 3, 4},
        {"IMG/base.png", &fleet_bullet_t::base_mask, 26, 16},
    };
    test_support::enter_scratch_dir();
    ASSERT_EQ(mkdir("IMG", 0755), 0);
    for (const image_file& f : files) {
        SDL_Surface* image = make_opaque(f.w, f.h, red);
        ASSERT_EQ(SDL_SaveBMP(image, f.path), 0) << f.path;
        SDL_FreeSurface(image);
    }
    bullet stale{1, 2, nullptr, nullptr};
    fleet_bullet.head = &stale;
    fleet_bullet.tail = &stale;
    drop_images();

    fleet_bullet.init();

    EXPECT_EQ(fleet_bullet.head, nullptr);
    EXPECT_EQ(fleet_bullet.tail, nullptr);
    for (const image_file& f : files) {
        SCOPED_TRACE(f.path);
        SDL_Surface* loaded = fleet_bullet.*f.field;
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->w, f.w);
        EXPECT_EQ(loaded->h, f.h);
    }
}

// Without their images the bullets still fall and are drawn as failed blits; nothing reads
// a missing surface.
TEST_F(fleet_bullet_test, missing_images_leave_bullets_falling_without_effects) {
    test_support::enter_scratch_dir();
    drop_images();
    std::string loading = test_support::capture_stdout([] { fleet_bullet.init(); });
    for (int i = 0; i < shields::count; ++i) {
        replace(shields.bunker[i], nullptr);
    }
    EXPECT_NE(loading.find("IMG/Bullet_mask.png"), std::string::npos);
    EXPECT_NE(loading.find("IMG/exp_mask.png"), std::string::npos);

    fleet_bullet.add(100, 270);
    fleet_bullet.add(bunker_x(1) + 5, 214);
    fleet_bullet.add(player.x + 5, 256);
    fleet_bullet.explosion_ticks = fake_sdl::ticks;
    std::string drawing = test_support::capture_stdout([] {
        for (int frame = 0; frame < 10; ++frame) {
            fleet_bullet.move();
        }
        fleet_bullet.draw();
    });

    EXPECT_EQ(list_xs(), (std::vector<int>{100, bunker_x(1) + 5, player.x + 5}));
    EXPECT_EQ(nth(0)->y, 290);
    EXPECT_EQ(player.lives, 3);
    EXPECT_EQ(ground_green_count(), 800);
    EXPECT_NE(drawing.find("ERROR: Surface.DrawPartial -> Unable to blit surface \n"),
              std::string::npos);
    fleet_bullet.reset();
}

}  // namespace
