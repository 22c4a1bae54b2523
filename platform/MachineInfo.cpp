#include "platform/MachineInfo.h"

#include <SDL.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

// /proc/cpuinfo grows with the processor count; the first entry is enough.
constexpr std::streamsize kCpuInfoLimit = 64 * 1024;

std::string ReadCpuInfo() {
    std::ifstream in("/proc/cpuinfo");
    std::string text(static_cast<size_t>(kCpuInfoLimit), '\0');
    in.read(&text[0], kCpuInfoLimit);
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

}  // namespace

std::string MachineInfo::KernelName() {
    struct utsname names;
    return uname(&names) == 0 ? names.sysname : "";
}

std::string MachineInfo::KernelRelease() {
    struct utsname names;
    return uname(&names) == 0 ? names.release : "";
}

int MachineInfo::ProcessorCount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int>(count) : 1;
}

int MachineInfo::ProcessorMHz() { return static_cast<int>(CpuInfoNumber(ReadCpuInfo(), "cpu MHz")); }

int MachineInfo::ProcessorFamily() { return static_cast<int>(CpuInfoNumber(ReadCpuInfo(), "cpu family")); }

int64_t MachineInfo::PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || size <= 0)
        return 0;
    return static_cast<int64_t>(pages) * size;
}

namespace {

bool CurrentMode(SDL_DisplayMode& mode) {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetCurrentDisplayMode(0, &mode) == 0;
}

}  // namespace

int MachineInfo::DisplayBitsPerPixel() {
    SDL_DisplayMode mode;
    return CurrentMode(mode) ? static_cast<int>(SDL_BITSPERPIXEL(mode.format)) : 0;
}

int MachineInfo::DisplayWidth() {
    SDL_DisplayMode mode;
    return CurrentMode(mode) ? mode.w : 0;
}

int MachineInfo::DisplayHeight() {
    SDL_DisplayMode mode;
    return CurrentMode(mode) ? mode.h : 0;
}

double MachineInfo::CpuInfoNumber(const std::string& cpuinfo, const std::string& key) {
    std::istringstream lines(cpuinfo);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        const size_t colon = line.find(':', key.size());
        if (colon == std::string::npos || line.find_first_not_of(" \t", key.size()) != colon)
            continue;
        const double value = std::strtod(line.c_str() + colon + 1, nullptr);
        return value > 0 && value < 1e9 ? value : 0;
    }
    return 0;
}

}  // namespace platform
