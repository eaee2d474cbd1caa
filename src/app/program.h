// program.h: start-up, one pass of the main loop, the event drain and shutdown.
// main() runs them; tests and benchmarks drive run_frame directly.
#pragma once

void program_init();
void program_cleanup();
void event_update();

// One pass of the main loop: events, moves, draws, flip, pacing, and the game-over screen
// when the frame ended the game.
void run_frame();

// The part of a pass between the event drain and the flip: the clear, every move and every
// draw. Benchmarks time it alone, without the flip and the pacing.
void frame_work();

// Frames until the quit flag is raised.
void main_loop();
