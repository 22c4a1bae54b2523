#include "platform/BrowserLauncher.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Puts a stand-in xdg-open first on PATH that records its arguments, so the
// real launch path runs without starting a browser.
class BrowserLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-browser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_Dir = pattern;
        const char* path = std::getenv("PATH");
        m_strOldPath = path ? path : "";
        std::ofstream script(m_Dir / "xdg-open");
        script << "#!/bin/sh\n"
                  "out=\"$(dirname \"$0\")/args\"\n"
                  "printf '%s|' \"$#\" \"$@\" > \"$out.tmp\"\n"
                  "mv \"$out.tmp\" \"$out\"\n";
        script.close();
        ASSERT_EQ(chmod((m_Dir / "xdg-open").c_str(), 0700), 0);
        setenv("PATH", (m_Dir.string() + ":" + m_strOldPath).c_str(), 1);
    }

    void TearDown() override {
        setenv("PATH", m_strOldPath.c_str(), 1);
        fs::remove_all(m_Dir);
    }

    // Makes the stand-in opener a script with this text.
    void WriteOpener(const std::string& text) {
        fs::remove(m_Dir / "xdg-open");
        std::ofstream(m_Dir / "xdg-open") << text;
        ASSERT_EQ(chmod((m_Dir / "xdg-open").c_str(), 0700), 0);
    }

    // The recorded arguments once the detached opener has written them.
    std::string WaitForArguments() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(m_Dir / "args");
            if (in) {
                std::stringstream text;
                text << in.rdbuf();
                return text.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "(opener never ran)";
    }

    fs::path m_Dir;
    std::string m_strOldPath;
};

TEST_F(BrowserLauncherTest, FindsTheOpenerAlongPath) {
    EXPECT_EQ(platform::BrowserLauncher::FindExecutable("xdg-open"), (m_Dir / "xdg-open").string());
    EXPECT_EQ(platform::BrowserLauncher::FindExecutable("no-such-program-anywhere"), "");
}

TEST_F(BrowserLauncherTest, PassesTheAddressAsOneArgumentWithoutAShell) {
    const std::string address = "http://example.com/a b;$(touch x)&c='d'";
    EXPECT_TRUE(platform::BrowserLauncher::Open(address));
    EXPECT_EQ(WaitForArguments(), "1|" + address + "|");
    EXPECT_FALSE(fs::exists("x"));
}

TEST_F(BrowserLauncherTest, FailsWithoutAnOpener) {
    setenv("PATH", m_Dir.string().c_str(), 1);
    fs::remove(m_Dir / "xdg-open");
    EXPECT_FALSE(platform::BrowserLauncher::Open("http://example.com"));
}

// The opener is on PATH and marked executable in every case, so only the
// outcome of its exec tells them apart; no child is left to reap afterwards.
TEST_F(BrowserLauncherTest, ReportsWhetherTheOpenerProgramRan) {
    const struct {
        const char* what;
        const char* script;  // null: a link to a program that runs and ends
        bool runs;
    } cases[] = {
        {"missing interpreter", "#!/no/such/interpreter\n", false},
        {"not an executable format", "no program here\n", false},
        {"a program that runs", nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.script) {
            WriteOpener(c.script);
        } else {
            fs::remove(m_Dir / "xdg-open");
            fs::create_symlink("/bin/true", m_Dir / "xdg-open");
        }
        EXPECT_EQ(platform::BrowserLauncher::Open("http://example.com"), c.runs);
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    }
}

// An opener that stays running (a browser in the foreground) does not hold
// the launch up: it reads its gate, a pipe it inherits, until the test writes
// to it after Open has returned. Should Open wait, the test stops there; the
// gate's writing end closes with the test process, so the opener ends too.
TEST_F(BrowserLauncherTest, DoesNotWaitForTheOpenersRun) {
    int gate[2];
    ASSERT_EQ(pipe2(gate, O_CLOEXEC), 0);
    ASSERT_EQ(fcntl(gate[0], F_SETFD, 0), 0);
    WriteOpener("#!/bin/sh\nread line < \"/dev/fd/$1\"\n");
    EXPECT_TRUE(platform::BrowserLauncher::Open(std::to_string(gate[0])));
    EXPECT_EQ(write(gate[1], "\n", 1), 1);  // our own reader keeps the pipe open
    close(gate[1]);
    close(gate[0]);
}

TEST_F(BrowserLauncherTest, LauncherReplacesTheOpener) {
    std::string seen;
    platform::BrowserLauncher::SetLauncher([&](const std::string& a) {
        seen = a;
        return true;
    });
    EXPECT_TRUE(platform::BrowserLauncher::Open("http://example.com"));
    platform::BrowserLauncher::SetLauncher(nullptr);
    EXPECT_EQ(seen, "http://example.com");
    EXPECT_FALSE(fs::exists(m_Dir / "args"));
}

}  // namespace
