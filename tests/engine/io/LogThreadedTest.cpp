// Several threads write entries at once: each entry reaches the file whole,
// with its own source, line and context.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/Platform.h"
#include "engine/io/Log.h"
#include "tests/engine/io/SaveFolder.h"

using namespace ZQ2;

TEST(LogThreaded, EntriesOfSeveralThreadsNeverInterleave) {
    if (savefolder::Fresh().empty())
        GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    Log log(LOG_INFO, BitFlags_t<eOutputMethod>(LOG_OUTPUT_FILE), "threads");
    constexpr int kThreads = 4;
    constexpr int kEntries = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kEntries; ++i) {
                log.SetVars("/src/thread/T" + std::to_string(t) + ".cpp", "ctx" + std::to_string(t), i);
                log.Output(LOG_INFO, "thread %d entry %d", t, i);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(Log::GetLogCount(), kThreads * kEntries);

    std::ifstream in(log.GetLogFileName());
    std::string line;
    std::getline(in, line);  // the system line
    int entries = 0;
    std::string header;
    while (std::getline(in, header)) {
        std::string body, blank;
        ASSERT_TRUE(std::getline(in, body) && std::getline(in, blank)) << header;
        int t = -1, i = -1, bt = -2, bi = -2;
        ASSERT_EQ(std::sscanf(header.c_str(), "thread/T%d.cpp:%d: [ctx", &t, &i), 2) << header;
        ASSERT_EQ(std::sscanf(body.c_str(), "\tthread %d entry %d", &bt, &bi), 2) << body;
        EXPECT_EQ(t, bt);
        EXPECT_EQ(i, bi);
        EXPECT_EQ(blank, "");
        ++entries;
    }
    EXPECT_EQ(entries, kThreads * kEntries);
}

// The debug output of any thread reaches the log while entries are written
// and while the log is let go of.
TEST(LogThreaded, DebugOutputOfSeveralThreadsReachesTheLogWhole) {
    if (savefolder::Fresh().empty())
        GTEST_SKIP() << "the save folder was fixed before this test could redirect it";
    constexpr int kThreads = 4;
    constexpr int kMessages = 200;
    std::string file;
    {
        Log log(LOG_INFO, BitFlags_t<eOutputMethod>(LOG_OUTPUT_FILE), "debugthreads");
        log.TakeDebugOutput();
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < kMessages; ++i) {
                    if (t % 2 == 0) {
                        Platform::OutputDebugStringFormat("debug %d %d\n", t, i);
                        continue;
                    }
                    log.SetVars("/src/T.cpp", "ctx", i);
                    log.Output(LOG_INFO, "entry %d %d", t, i);
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(Log::GetLogCount(), kThreads * kMessages);
        file = log.GetLogFileName();
    }
    // The log is gone: output from now on only reaches standard error.
    std::thread late([] { Platform::OutputDebugString("late\n"); });
    late.join();

    std::ifstream in(file);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kMessages; i += 50) {
            const std::string body = (t % 2 == 0 ? "\tdebug " : "\tentry ") + std::to_string(t) + " " + std::to_string(i) + "\n";
            EXPECT_NE(text.find(body), std::string::npos) << body;
        }
    }
    EXPECT_EQ(text.find("late"), std::string::npos);
}
