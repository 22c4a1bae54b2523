#include "engine/io/SystemInfo.h"

#include <cstdio>

#include "platform/MachineInfo.h"
#include "platform/SystemIdentity.h"

namespace ZQ2 {

SystemInfo::SystemInfo() { CollectSystemInformation(); }

void SystemInfo::CollectSystemInformation() {
    m_iCpuSpeed = DetermineCpuSpeed();
    m_iCpuType = platform::MachineInfo::ProcessorFamily();
    m_iNumberOfCpus = platform::MachineInfo::ProcessorCount();
    SetOSName();
    SetCurrentComputerName();
    m_iBitsPerPixel = platform::MachineInfo::DisplayBitsPerPixel();
    // Not through the platform's display queries, which start SDL's video
    // when it is down: the log gathers this on whichever thread it runs.
    m_iDisplayWidth = platform::MachineInfo::DisplayWidth();
    m_iDisplayHeight = platform::MachineInfo::DisplayHeight();
}

int64_t SystemInfo::GetSystemMemory() const { return platform::MachineInfo::PhysicalMemory(); }

int SystemInfo::DetermineCpuSpeed() { return platform::MachineInfo::ProcessorMHz() * 1024; }

void SystemInfo::SetOSName() {
    SetOSName(platform::MachineInfo::KernelName(), platform::MachineInfo::KernelRelease());
}

void SystemInfo::SetOSName(const std::string& kernel, const std::string& release) {
    int major = 0;
    int minor = 0;
    int patch = 0;
    std::sscanf(release.c_str(), "%d.%d.%d", &major, &minor, &patch);
    m_sOSName = (kernel.empty() ? std::string("Linux") : kernel) + " " + std::to_string(major) + "." +
                std::to_string(minor) + "." + std::to_string(patch);
    m_iOSBuild = minor;
}

void SystemInfo::SetCurrentComputerName() { m_sComputerName = platform::SystemIdentity::ComputerName(); }

}  // namespace ZQ2
