// game_over.h: the screen between two games. The main loop calls it at the end of a frame
// that set player.game_over; it returns once space is pressed or the program is to quit,
// with the play field reset for a new game.
#pragma once

void game_over();
