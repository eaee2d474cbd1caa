// globals.cpp: the program's twelve objects, defined here in one place so that they are
// laid out in the order the rest of the program relies on.
#include "app/fps.h"
#include "game/fleet.h"
#include "game/fleet_bullet.h"
#include "game/player.h"
#include "game/shields.h"
#include "game/ufo.h"
#include "platform/base_collision.h"
#include "platform/base_ttf.h"
#include "platform/mixer_base.h"
#include "platform/sdl.h"
#include "platform/surface.h"

class sdl sdl;
frame_statistics fps_data;
class fps fps;
class surface surface;
base_ttf ttf;
base_collision collision;
mixer_base mixer;
class shields shields;
class player player;
class fleet_bullet fleet_bullet;
fleet invaders;
class ufo ufo;
