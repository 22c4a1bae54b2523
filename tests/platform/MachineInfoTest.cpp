#include "platform/MachineInfo.h"

#include <gtest/gtest.h>

using platform::MachineInfo;

TEST(MachineInfo, ReadsNumbersFromCpuInfoText) {
    const std::string text =
        "processor\t: 0\ncpu family\t: 6\nmodel name\t: Some CPU @ 2.00GHz\ncpu MHz\t\t: 2000.000\n"
        "processor\t: 1\ncpu MHz\t\t: 3000.000\n";
    EXPECT_EQ(MachineInfo::CpuInfoNumber(text, "cpu MHz"), 2000.0);
    EXPECT_EQ(MachineInfo::CpuInfoNumber(text, "cpu family"), 6.0);
    EXPECT_EQ(MachineInfo::CpuInfoNumber(text, "cpu"), 0.0);  // only a whole key counts
    EXPECT_EQ(MachineInfo::CpuInfoNumber("cpu MHz : nonsense\n", "cpu MHz"), 0.0);
    EXPECT_EQ(MachineInfo::CpuInfoNumber("", "cpu MHz"), 0.0);
}

// Memory above 2 GiB must not wrap around.
TEST(MachineInfo, MemoryAndProcessorsOfThisMachine) {
    EXPECT_GT(MachineInfo::PhysicalMemory(), 0);
    EXPECT_GE(MachineInfo::ProcessorCount(), 1);
    EXPECT_EQ(MachineInfo::KernelName(), "Linux");
}
