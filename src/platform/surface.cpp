// surface.cpp: blits, scratch surfaces and pixel access in every pixel size SDL uses.
#include "platform/surface.h"

#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

SDL_Rect rect_at(int x, int y) {
    SDL_Rect r;
    r.x = Sint16(x);
    r.y = Sint16(y);
    r.w = 0;
    r.h = 0;
    return r;
}

Uint8* pixel_address(SDL_Surface* s, int x, int y) {
    return static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
}

void store_pixel(SDL_Surface* s, int x, int y, uint32_t pixel) {
    Uint8* p = pixel_address(s, x, y);
    switch (s->format->BytesPerPixel) {
        case 1:
            *p = Uint8(pixel);
            break;
        case 2: {
            std::printf("WARNING: Using a 16-bit image - surface->set_pixel\n");
            Uint16 value = Uint16(pixel);
            std::memcpy(p, &value, sizeof value);
            break;
        }
        case 3:
            std::printf("WARNING: Using a 24-bit image - surface->set_pixel\n");
            p[0] = Uint8(pixel);
            p[1] = Uint8(pixel >> 8);
            p[2] = Uint8(pixel >> 16);
            break;
        case 4:
            std::memcpy(p, &pixel, sizeof pixel);
            break;
        default:
            std::printf("ERROR: Surface.SetPixel -> Nonstandard pixel format\n");
            break;
    }
}

}  // namespace

void surface::draw(SDL_Surface* src, SDL_Surface* dst, int x, int y) {
    SDL_Rect to = rect_at(x, y);
    if (SDL_UpperBlit(src, nullptr, dst, &to) != 0) {
        std::printf("ERROR: Surface.Draw -> Unable to blit surface \n");
    }
}

void surface::draw_partial(SDL_Surface* src, int w, int h, int src_x, int src_y, SDL_Surface* dst,
                           int x, int y) {
    SDL_Rect from;
    from.x = Sint16(src_x);
    from.y = Sint16(src_y);
    from.w = Uint16(w);
    from.h = Uint16(h);
    SDL_Rect to = rect_at(x, y);
    if (SDL_UpperBlit(src, &from, dst, &to) != 0) {
        std::printf("ERROR: Surface.DrawPartial -> Unable to blit surface \n");
    }
}

SDL_Surface* surface::create_transparent(int w, int h) {
    return SDL_CreateRGBSurface(0, w, h, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
}

uint32_t surface::get_pixel(SDL_Surface* s, int x, int y) {
    Uint8* p = pixel_address(s, x, y);
    switch (s->format->BytesPerPixel) {
        case 1:
            return *p;
        case 2: {
            std::printf("WARNING: Using a 16-bit image - surface->get_pixel\n");
            Uint16 value;
            std::memcpy(&value, p, sizeof value);
            return value;
        }
        case 3:
            std::printf("WARNING: Using a 24-bit image - surface->get_pixel\n");
            return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        case 4: {
            Uint32 value;
            std::memcpy(&value, p, sizeof value);
            return value;
        }
        default:
            std::printf("ERROR: Surface.GetPixel -> Nonstandard pixel format\n");
            return 0;
    }
}

// Locked for the write, as SDL asks of code that writes pixels: where a surface's picture is
// kept apart from its memory (a browser's canvas), the unlock is what makes the write show.
void surface::set_pixel(SDL_Surface* s, int x, int y, uint32_t pixel) {
    SDL_LockSurface(s);
    store_pixel(s, x, y, pixel);
    SDL_UnlockSurface(s);
}

uint8_t surface::get_alpha_any_format(SDL_Surface* s, int x, int y) {
    SDL_PixelFormat* f = s->format;
    if (f->BytesPerPixel == 4 && f->palette == nullptr && f->Amask == 0) {
        return SDL_ALPHA_OPAQUE;
    }
    Uint8 r, g, b, a;
    SDL_GetRGBA(get_pixel(s, x, y), f, &r, &g, &b, &a);
    return a;
}

SDL_Surface* surface::load_image(const char* path) {
    SDL_Surface* image = IMG_Load(path);
    if (image == nullptr) {
        // Bunkers are reloaded for every wave; one line per missing file is enough.
        static std::set<std::string> reported;
        if (reported.insert(path).second) {
            std::printf("WARNING: Unable to load image %s - playing on without it: %s\n", path,
                        IMG_GetError());
        }
    }
    return image;
}

SDL_Surface* surface::load_sheet(const char* path) {
    SDL_Surface* image = load_image(path);
    if (image == nullptr || SDL_GetVideoSurface() == nullptr || image->format->Amask == 0) {
        return image;
    }
    // Without a converted copy the loaded image still draws, more slowly, and over a brighter
    // screen pixel up to one step lighter per channel.
    SDL_Surface* converted = SDL_DisplayFormatAlpha(image);
    if (converted == nullptr) {
        return image;
    }
    SDL_FreeSurface(image);
    return converted;
}
