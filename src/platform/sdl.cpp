// sdl.cpp: the window, the fullscreen mode list and the settings file.
#include "platform/sdl.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <sstream>
#include <string>

#include "platform/window_scale.h"

const char* const settings_file_name = "Video_Settings.cfg";

namespace {

constexpr int default_width = 400;
constexpr int default_height = 300;
constexpr int default_bpp = 32;
constexpr int smallest_listed_width = 800;

// SDL 1.2 keeps window sizes in 16 bits. A larger size reaches the X server cut short, which
// rejects the window and ends the process before the game could fall back; so such a size
// is refused here and takes the same way back to the default mode as any refused mode.
constexpr int largest_size = 65535;

bool library_holds_size(int w, int h) {
    return w <= largest_size && h <= largest_size;
}

// The four values stand at the start of the file; a file larger than this is read no
// further, so that no settings file can exhaust the memory.
constexpr size_t most_bytes_read = 1 << 20;

// As many links as the kernel itself follows before it gives up.
constexpr int most_links = 40;

// Temporary names tried beside the settings file before the write is given up.
constexpr int most_temporary_names = 100;

// Opens the settings file only when it is a regular file or a link to one: a FIFO would hold
// the start in open() for ever, and a device or a folder holds no settings. The type is
// checked before opening, so that no device is ever opened, and again on the opened file,
// which cannot be swapped in between; the open itself never waits. -1 when not readable.
int open_regular_for_reading(const char* name) {
    struct stat info;
    if (stat(name, &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string read_start(int fd) {
    std::string text;
    char chunk[4096];
    while (text.size() < most_bytes_read) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        text.append(chunk, size_t(got));
    }
    return text;
}

// The folder part of a path, with its final slash; empty for a bare name.
std::string folder_of(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The path a name finally stands for when every link on the way is followed, relative
// links from their own folder. Players keep settings in dotfile repositories through a link;
// replacing the link with a file would quietly cut it. Empty when a link cannot be read.
std::string final_target(std::string path) {
    for (int hops = 0; hops <= most_links; ++hops) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        char target[PATH_MAX];
        ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || size_t(length) >= sizeof target) {
            return std::string();
        }
        std::string next(target, size_t(length));
        path = next[0] == '/' ? next : folder_of(path) + next;
    }
    return std::string();
}

// Each value on its line with a flush after it; true only when every step succeeded and the
// data reached the disk. Closes fd in every case.
bool write_values(int fd, const int32_t (&values)[4]) {
    std::FILE* out = fdopen(fd, "w");
    if (out == nullptr) {
        close(fd);
        return false;
    }
    bool written = true;
    for (int32_t value : values) {
        written = written && std::fprintf(out, "%d\n", value) >= 0 && std::fflush(out) == 0;
    }
    written = written && fsync(fileno(out)) == 0;
    return std::fclose(out) == 0 && written;
}

// Tries to make a temporary file beside the target, as the file would be made in its place:
// mode 0666 less the process's umask. Names are the target's, hidden, with this process's id
// and a counter; an existing file is never opened. -1 when no file could be made.
int create_beside(const std::string& target, std::string& temporary) {
    const std::string folder = folder_of(target);
    const std::string stem =
        folder + "." + target.substr(folder.size()) + "." + std::to_string(getpid()) + ".";
    for (int attempt = 0; attempt < most_temporary_names; ++attempt) {
        temporary = stem + std::to_string(attempt);
        int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Writes the values in full to a new file beside the target and renames it over the target,
// so that a full disk or any other failure leaves the old file exactly as it was. Only a
// regular file (or a link to one) is replaced, and a new one is made where none is.
bool replace_settings(const char* name, const int32_t (&values)[4]) {
    const std::string target = final_target(name);
    if (target.empty()) {
        return false;
    }
    struct stat info;
    const bool exists = lstat(target.c_str(), &info) == 0;
    if (exists ? !S_ISREG(info.st_mode) : errno != ENOENT) {
        return false;
    }
    std::string temporary;
    int fd = create_beside(target, temporary);
    if (fd < 0) {
        return false;
    }
    // A replaced file keeps its own permissions, which the umask may not allow a new one.
    if (exists && fchmod(fd, info.st_mode & 07777) != 0) {
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    if (!write_values(fd, values) || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

void sdl::init(uint32_t flags) {
    window_scale::prepare_library();
    if (SDL_Init(flags) < 0) {
        std::printf("CRITICAL EXISTANCE FAILURE: Unable to Init SDL \n");
    }
    fullscreen_check();
    if (read_config()) {
        set_video(width, height, bpp, fullscreen ? SDL_FULLSCREEN : 0);
    }
    std::printf("DEBUG:  Setting Window Title \n");
    SDL_WM_SetCaption("Vexlorn", nullptr);
}

void sdl::fullscreen_check() {
    // Without a video driver the library would dereference its missing driver here.
    SDL_Rect** modes =
        SDL_WasInit(SDL_INIT_VIDEO) != 0 ? SDL_ListModes(nullptr, SDL_FULLSCREEN) : nullptr;
    if (modes == nullptr) {
        std::printf("DEBUG:  No Available Fullscreen Resolutions \n");
        return;
    }
    if (modes == reinterpret_cast<SDL_Rect**>(-1)) {
        std::printf(
            "DEBUG:  Infinite Potential Fullscreen Resolutions (How Did You Manage That?) \n");
        return;
    }
    std::printf("DEBUG:  Available Fullscreen Video Modes: \n");
    int count = 0;
    for (int i = 0; modes[i] != nullptr; ++i) {
        int w = modes[i]->w;
        int h = modes[i]->h;
        // Only landscape modes wide enough to be worth offering.
        if (w >= smallest_listed_width && double(h) / double(w) <= 1.0) {
            ++count;
            std::printf("        %d x %d\n", w, h);
            resolution_add(w, h);
        }
    }
    std::printf("DEBUG:  Fullscreen Resolutions Available: %i \n", count);
}

void sdl::resolution_add(int w, int h) {
    resolution* node = new resolution{};
    node->w = w;
    node->h = h;
    std::snprintf(node->label, sizeof node->label, "%i x %i", w, h);
    node->next = nullptr;
    if (modes_head != nullptr) {
        modes_tail->next = node;
    } else {
        modes_head = node;
    }
    modes_tail = node;
}

bool sdl::read_config() {
    int fd = open_regular_for_reading(settings_file_name);
    if (fd < 0) {
        std::printf(
            "ERROR:  SDL.ReadConfig -> Unable to Read From File: %s - Reverting to Defaults\n",
            settings_file_name);
        revert_defaults();
        return false;
    }
    std::istringstream in(read_start(fd));
    close(fd);
    read_values(in);
    return true;
}

// Reads the four values in order and stops at the first one that cannot be read; that field
// and those after it keep what they held. Values go through temporaries because a failed
// extraction would otherwise overwrite the field with 0 or a clamped number.
void sdl::read_values(std::istream& in) {
    int32_t value = 0;
    if (!(in >> value)) {
        return;
    }
    width = value;
    if (!(in >> value)) {
        return;
    }
    height = value;
    if (!(in >> value)) {
        return;
    }
    bpp = value;
    // Reads an integer and accepts exactly 0 or 1, so "+1" and "00" pass and "2" fails.
    bool flag = false;
    if (in >> flag) {
        fullscreen = flag;
    }
}

void sdl::write_config() {
    const int32_t values[4] = {width, height, bpp, fullscreen ? 1 : 0};
    if (!replace_settings(settings_file_name, values)) {
        std::printf("ERROR:  SDL.WriteConfig -> Unable to Write to File: %s\n", settings_file_name);
    }
}

void sdl::set_video(int w, int h, int depth, uint32_t flags) {
    std::printf("DEBUG:  Attempting to make SDL Window at %i x %i, %i bit depth \n", w, h, depth);
    screen = library_holds_size(w, h) ? window_scale::set_video_mode(w, h, depth, flags) : nullptr;
    if (screen == nullptr) {
        std::printf("CRITICAL EXISTANCE FAILURE: Unable to Create SDL Window \n");
        revert_defaults();
        return;
    }
    std::printf("DEBUG:  SDL Window Created Sucessfully \n");
    write_config();
}

void sdl::revert_defaults() {
    width = default_width;
    height = default_height;
    bpp = default_bpp;
    fullscreen = false;
    std::printf("DEBUG:  Attempting to Init SDL Window at %i x %i, %i bit depth \n", default_width,
                default_height, default_bpp);
    screen = window_scale::set_video_mode(default_width, default_height, default_bpp, 0);
    if (screen == nullptr) {
        std::printf(
            "SUPER CRITICAL EXISTANCE FAILURE: Unable to Create SDL Window with Default Values \n");
        quit = true;
    }
    write_config();
}
