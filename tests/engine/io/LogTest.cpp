#include "engine/io/Log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include "engine/core/Platform.h"
#include "engine/io/FileUtils.h"
#include "engine/io/SystemInfo.h"
#include "tests/engine/io/SaveFolder.h"

using namespace ZQ2;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::vector<std::string> g_Screen;
void Capture(const std::string& message) { g_Screen.push_back(message); }

class LogFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (savefolder::Fresh().empty())
            GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
        g_Screen.clear();
        Platform::SetOutputDebugStringCallback(&Capture);
    }
    void TearDown() override { Platform::SetOutputDebugStringCallback(nullptr); }

    static void Entry(Log& log, ePriority priority, const char* text) {
        log.SetVars("/src/engine/io/Thing.cpp", "loader", 42);
        log.Output(priority, "%s", text);
    }
};

}  // namespace

TEST_F(LogFiles, EntriesAreFormattedAfterTheSystemLine) {
    Log log(LOG_INFO, BitFlags_t<eOutputMethod>(LOG_OUTPUT_FILE), "test");
    Entry(log, LOG_WARNING, "first");
    Entry(log, LOG_INFO, "second");
    const std::string file = log.GetLogFileName();
    EXPECT_EQ(file.compare(0, GetTempDirPath().size() + 5, GetTempDirPath() + "/log/"), 0) << file;
    EXPECT_EQ(file.substr(file.size() - 4), ".log");
    const std::string text = ReadAll(file);
    ASSERT_EQ(text.compare(0, 9, "GameName["), 0) << text;
    const size_t system = text.find('\n');
    EXPECT_NE(text.find("]OSName[Linux "), std::string::npos);
    EXPECT_EQ(text.substr(system + 1), "io/Thing.cpp:42: [loader]\n\tfirst\n\nio/Thing.cpp:42: [loader]\n\tsecond\n\n");
    EXPECT_EQ(Log::GetLogCount(), 2);
    EXPECT_TRUE(g_Screen.empty());
}

TEST_F(LogFiles, PrioritiesAndOutputsFilterEntries) {
    Log log(LOG_ERROR, BitFlags_t<eOutputMethod>(LOG_OUTPUT_SCREEN), "screen");
    Entry(log, LOG_WARNING, "below the threshold");
    Entry(log, LOG_NEVER, "never written");
    EXPECT_EQ(Log::GetLogCount(), 0);
    Entry(log, LOG_CRITICAL, "shown");
    EXPECT_EQ(g_Screen, std::vector<std::string>{"shown\n"});
    EXPECT_EQ(Log::GetLogCount(), 1);
    EXPECT_TRUE(log.GetLogFileName().empty());  // screen only: no file

    // Every entry released the lock: another thread can take it.
    bool taken = false;
    std::thread([&] {
        log.SetVars("a/b.cpp", "", 1);
        log.Output(LOG_NEVER, "x");
        taken = true;
    }).join();
    EXPECT_TRUE(taken);
}

TEST_F(LogFiles, TheFileBeginsAgainAfterTenThousandAndOneEntries) {
    Log log(LOG_INFO, BitFlags_t<eOutputMethod>(LOG_OUTPUT_FILE), "restart");
    for (int i = 0; i <= Log::MAX_ENTRIES; ++i)
        Entry(log, LOG_INFO, "entry");
    const std::string file = log.GetLogFileName();
    std::string text = ReadAll(file);
    size_t entries = 0;
    for (size_t at = text.find("\tentry\n"); at != std::string::npos; at = text.find("\tentry\n", at + 1))
        ++entries;
    EXPECT_EQ(entries, 10001u);

    Entry(log, LOG_INFO, "the next one");
    EXPECT_EQ(log.GetLogFileName(), file);  // the same name
    text = ReadAll(file);
    EXPECT_EQ(text.compare(0, 9, "GameName["), 0);
    EXPECT_EQ(text.substr(text.find('\n') + 1), "io/Thing.cpp:42: [loader]\n\tthe next one\n\n");
    EXPECT_EQ(Log::GetLogCount(), 1);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The engine's warnings reach the player's log file, once each, and stop
// reaching it when the log goes.
TEST_F(LogFiles, TheLogKeepsTheEnginesDebugOutputAsWarnings) {
    std::string file;
    {
        Log log(LOG_WARNING, BitFlags_t<eOutputMethod>(LOG_OUTPUT_SCREEN | LOG_OUTPUT_FILE), "debug");
        log.TakeDebugOutput();
        Platform::OutputDebugString("SoundManager: no device\n");
        Entry(log, LOG_WARNING, "an entry of its own");
        file = log.GetLogFileName();
        ASSERT_FALSE(file.empty());
        const std::string text = ReadAll(file);
        EXPECT_EQ(Count(text, "debug output:0: ["), 1u) << text;
        EXPECT_EQ(Count(text, "\tSoundManager: no device\n\n"), 1u) << text;
        EXPECT_EQ(Count(text, "an entry of its own"), 1u) << text;
        EXPECT_EQ(Log::GetLogCount(), 2);
        EXPECT_EQ(g_Screen, (std::vector<std::string>{"SoundManager: no device\n", "an entry of its own\n"}));
    }
    Platform::OutputDebugString("after the log\n");
    EXPECT_EQ(ReadAll(file).find("after the log"), std::string::npos);

    Log strict(LOG_ERROR, BitFlags_t<eOutputMethod>(LOG_OUTPUT_FILE), "strict");
    strict.TakeDebugOutput();
    Platform::OutputDebugString("below the threshold\n");
    EXPECT_EQ(Log::GetLogCount(), 0);
}

TEST(SystemInfo, DescribesThisLinuxMachine) {
    SystemInfo info;
    EXPECT_EQ(info.m_sOSName.compare(0, 6, "Linux "), 0) << info.m_sOSName;
    EXPECT_GE(info.m_iNumberOfCpus, 1);
    EXPECT_GT(info.GetSystemMemory(), 0);
    info.SetOSName("Linux", "6.1.0-18-amd64");
    EXPECT_EQ(info.m_sOSName, "Linux 6.1.0");
    EXPECT_EQ(info.m_iOSBuild, 1);
}
