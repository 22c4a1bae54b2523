#pragma once
// A description of the machine (name, operating system, processors and
// screen), gathered once when made; the log writes it at the top of a file.
#include <cstdint>
#include <string>

namespace ZQ2 {

class SystemInfo {
public:
    SystemInfo();

    void CollectSystemInformation();
    // Physical memory in bytes, asked anew.
    int64_t GetSystemMemory() const;
    // The processor clock in MHz times 1024, asked anew.
    int DetermineCpuSpeed();

    // "Linux <major>.<minor>.<patch>" and the minor number, from a kernel
    // release text such as "6.1.0-18-amd64".
    void SetOSName(const std::string& kernel, const std::string& release);

    std::string m_sComputerName;
    std::string m_sOSName;
    int m_iOSBuild = 0;
    int m_iCpuType = 0;
    int m_iCpuSpeed = 0;
    int m_iNumberOfCpus = 0;
    int m_iCpuCaps = 0;
    int m_iDirectXVersion = 0;
    int m_iBitsPerPixel = 0;
    int m_iRefreshRate = 0;
    int m_iDisplayWidth = 0;
    int m_iDisplayHeight = 0;
    std::string m_sExtra;

private:
    void SetOSName();
    void SetCurrentComputerName();
};

}  // namespace ZQ2
