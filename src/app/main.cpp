// main.cpp: the process's entry point.
#include <cstdio>

#include "app/program.h"

int main(int, char**) {
    // Line-buffered so that a console or a log shows each diagnostic line as it happens.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    program_init();
    main_loop();
    program_cleanup();
    return 0;
}
