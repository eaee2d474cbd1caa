// shields.h: the four bunkers and the green ground line under the base, drawn once a frame
// and eroded pixel by pixel by anything that explodes on them or marches through them.
#pragma once

#include <SDL.h>

class shields {
public:
    static constexpr int count = 4;

    SDL_Surface* bunker[count];
    SDL_Surface* ground;

    void init();
    void draw();
    void reset();
    void destroy(SDL_Surface* mask, int mask_x, int mask_y, SDL_Surface* target, int target_x,
                 int target_y);
};

extern class shields shields;

// Where bunker i stands on the screen.
inline int bunker_x(int i) {
    return 45 + 90 * i;
}
constexpr int bunker_y = 220;
constexpr int ground_x = 0;
constexpr int ground_y = 280;
