// art.h: the makers of every image the game loads; each returns the finished picture.
#pragma once

#include "image.h"

// Three invader kinds, two frames each, and the burst, over an upper and a lower colour band.
image make_invader_sheet();
// The burst shown for 250 ms where an invader was shot.
image make_invader_burst();

// The player's shot and the invaders' bullet: x 1 for the upper field, x 0 for the bottom band.
image make_shot_sheet();
image make_bullet_mask();
// Three small bursts: x 0 bottom band, 5 middle band, 10 top band.
image make_shot_bursts();
// What a burst eats out of a bunker or the ground line.
image make_explosion_mask();
// Only its size counts: the base's collision box.
image make_base_box();
// The intact base, then two destroyed variants.
image make_base_sheet();
image make_shield();

image make_ship();
image make_ship_burst();
