#pragma once
// Figures that describe this machine: kernel, processors, memory and the
// main display's depth, from uname, sysconf, /proc/cpuinfo and SDL.
#include <cstdint>
#include <string>

namespace platform {

class MachineInfo {
public:
    // The kernel's name and release, such as "Linux" and "6.1.0-18-amd64".
    static std::string KernelName();
    static std::string KernelRelease();
    // The processors online, at least 1.
    static int ProcessorCount();
    // The first processor's clock in MHz, and its family number; 0 unknown.
    static int ProcessorMHz();
    static int ProcessorFamily();
    // Physical memory in bytes; 0 unknown.
    static int64_t PhysicalMemory();
    // The main display's current mode: bits per pixel, width and height; 0
    // unless SDL's video is already running. These never start SDL, so any
    // thread may ask.
    static int DisplayBitsPerPixel();
    static int DisplayWidth();
    static int DisplayHeight();

    // The number after "key :" on the first line of cpuinfo text that starts
    // with key, or 0.
    static double CpuInfoNumber(const std::string& cpuinfo, const std::string& key);
};

}  // namespace platform
