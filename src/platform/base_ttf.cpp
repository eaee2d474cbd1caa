// base_ttf.cpp: the TrueType text service.
#include "platform/base_ttf.h"

#include <cstdarg>
#include <cstdio>

namespace {

constexpr int text_buffer_size = 1024;

}  // namespace

void base_ttf::init() {
    std::printf("DEBUG:  Attempting to Init SDL_TTF \n");
    if (TTF_Init() == -1) {
        std::printf("CRITICAL EXISTANCE FAILURE: TTF did not Init: %s\n", SDL_GetError());
        return;
    }
    std::printf("DEBUG:  SDL_TTF Initialized sucessfully \n");
}

void base_ttf::cleanup() {
    TTF_Quit();
}

void base_ttf::load_font(TTF_Font** font, const char* path, int size) {
    *font = TTF_OpenFont(path, size);
    if (*font == nullptr) {
        std::printf("CRITICAL EXISTANCE FAILURE: TTF Failed to Load: %s\n", path);
    }
}

void base_ttf::text_render(SDL_Surface* dst, int x, int y, TTF_Font* font, int r, int g, int b,
                           int a, const char* format, ...) {
    if (font == nullptr) {
        std::printf("CRITICAL EXISTANCE FAILURE: Attempting to draw NULL font \n");
        return;
    }
    SDL_Color colour;
    colour.r = Uint8(r);
    colour.g = Uint8(g);
    colour.b = Uint8(b);
    colour.unused = Uint8(a);

    // vsnprintf cuts a longer text at the buffer's end instead of writing past it.
    char text[text_buffer_size];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    SDL_Surface* rendered = TTF_RenderText_Solid(font, text, colour);
    if (rendered == nullptr) {
        std::printf("CRITICAL EXISTANCE FAILURE: TTF Failed to Render: %s\n", text);
        return;
    }
    SDL_Rect to;
    to.x = Sint16(x);
    to.y = Sint16(y);
    to.w = 0;
    to.h = 0;
    SDL_UpperBlit(rendered, nullptr, dst, &to);
    SDL_FreeSurface(rendered);
}
