// Runs the real executable in a temporary layout (bin/delvor beside data/)
// and checks its whole life cycle from the outside.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/GameProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string output;
    double seconds = 0.0;
};

void WriteFile(const std::string& path, const std::string& text) {
    std::system(("mkdir -p \"$(dirname '" + path + "')\"").c_str());
    std::ofstream(path) << text;
}

class DelvorRun : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Game.IsReady()) << game_process::BuiltGame(); }

    void WriteManifest(const std::string& folder, const std::string& commands) {
        WriteFile(folder + "/properties/application.xml",
                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>\n<Vector id=\"commands\">\n" + commands +
                      "</Vector>\n</root>\n");
    }

    // Starts the game, sends signal once its output holds readyMarker and
    // delayMs have passed since (no signal when 0), and waits at most 20 s
    // for it to end.
    RunResult Run(int signal, int delayMs, const std::string& readyMarker = "Selected working directory") {
        RunResult result;
        const Clock::time_point start = Clock::now();
        const game_process::Child child = game_process::Launch(m_strExecutable, m_Game.UserFolders());
        if (child.pid < 0)
            return result;
        bool signalled = signal == 0;
        double startedAt = -1.0;
        for (;;) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            // Signals go only to a game that has started (its handlers are
            // in), delayMs after it did.
            if (startedAt < 0 && result.output.find(readyMarker) != std::string::npos)
                startedAt = elapsed;
            if (!signalled && startedAt >= 0 && (elapsed - startedAt) * 1000 >= delayMs) {
                kill(child.pid, signal);
                signalled = true;
            }
            if (elapsed > 20) {
                kill(child.pid, SIGKILL);
                break;
            }
            if (!game_process::ReadSome(child, result.output, 10))
                break;
        }
        result.status = game_process::Finish(child, &result.output);
        result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return result;
    }

    static long long FramesRun(const std::string& output) {
        const std::string marker = "Main loop ended after ";
        const size_t at = output.find(marker);
        return at == std::string::npos ? -1 : std::atoll(output.c_str() + at + marker.size());
    }

    game_process::GameCopy m_Game{game_process::BuiltGame()};
    const std::string m_strRoot = m_Game.Root();
    const std::string m_strExecutable = m_Game.Program();
};

const char* const kCommands =
    "<Node name=\"basicproperties\"/>\n"
    "<Node name=\"filearchive\" type=\"file\"/>\n"
    "<Node name=\"datamanager\"><Vector id=\"files\"><Node file=\"properties/constants.xml\"/></Vector></Node>\n"
    "<Node name=\"gamewindow\" onlyeditor=\"true\"/>\n"
    "<Node name=\"taskmanager\" max_fps=\"30\"/>\n";

}  // namespace

TEST_F(DelvorRun, RunsTimedFramesUntilASignalEndsIt) {
    const std::string data = m_strRoot + "/game/data";
    WriteManifest(data, kCommands);
    WriteFile(data + "/properties/constants.xml", "<root><String id=\"GAME_NAME\" value=\"Delvor\"/></root>");

    for (int signal : {SIGTERM, SIGINT}) {
        const RunResult run = Run(signal, 1000);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("Selected working directory: "), std::string::npos) << run.output;
        const long long frames = FramesRun(run.output);
        // 30 frames a second: about 33 ms apart, never faster.
        EXPECT_GE(frames, 5) << run.output;
        EXPECT_LE(frames, static_cast<long long>(run.seconds * 1000 / 33) + 2) << run.output;
    }
}

TEST_F(DelvorRun, OpensItsWindowAndRendererAndQuitsCleanly) {
    const std::string data = m_strRoot + "/game/data";
    WriteManifest(data,
                  "<Node name=\"basicproperties\"/>\n"
                  "<Node name=\"gametree\"/>\n<Node name=\"animtree\"/>\n<Node name=\"lua\"/>\n"
                  "<Node name=\"datamanager\"><Vector id=\"files\"><Node file=\"properties/constants.xml\"/></Vector></Node>\n"
                  "<Node name=\"gamewindow\" width=\"320\" height=\"240\" fullscreen=\"false\"/>\n"
                  "<Node name=\"renderer\" width=\"320\" height=\"240\"/>\n"
                  "<Node name=\"taskmanager\"/>\n");
    WriteFile(data + "/properties/constants.xml", "<root><String id=\"GAME_NAME\" value=\"Delvor\"/></root>");
    // The window and GL context come up slowly on a loaded machine: the
    // signal waits for the first frame.
    const RunResult run = Run(SIGTERM, 0, "Main loop running.");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_GE(FramesRun(run.output), 1) << run.output;
}

TEST_F(DelvorRun, StopsWhenTheWindowComesBeforeTheGameName) {
    WriteManifest(m_strRoot + "/game/data",
                  "<Node name=\"gamewindow\" width=\"320\" height=\"240\"/>\n<Node name=\"basicproperties\"/>\n");
    const RunResult run = Run(0, 0);
    EXPECT_NE(run.status, 0) << run.output;
    EXPECT_EQ(FramesRun(run.output), -1) << run.output;
}

TEST_F(DelvorRun, FindsTheManifestTwoFoldersUp) {
    WriteManifest(m_strRoot + "/data", "<Node name=\"basicproperties\"/>\n<Node name=\"taskmanager\"/>\n");
    const RunResult run = Run(SIGTERM, 300);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Selected working directory: " + m_strRoot + "/data\n"), std::string::npos)
        << run.output;
}

TEST_F(DelvorRun, FailsWithoutAManifest) {
    const RunResult run = Run(0, 0);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("Error: Couldn't find application manifest file properties/application.xml"),
              std::string::npos)
        << run.output;
}

// The game's own manifest: every service starts in the manifest's order, the
// frames run, a quit request ends the run through message 1026, and the
// players, scores and settings are on disk afterwards.
TEST_F(DelvorRun, TheGamesManifestStartsRunsSavesAndEndsInOrder) {
    std::system(("cp -r '" DELVOR_GAME_DATA_DIR "' '" + m_strRoot + "/game/data'").c_str());
    const RunResult run = Run(SIGTERM, 0, "Main loop running.");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_GE(FramesRun(run.output), 1) << run.output;
    const std::string save = m_strRoot + "/home/data/Fablewood/delvor";
    EXPECT_EQ(access((save + "/players/players.plrs.!").c_str(), F_OK), 0) << run.output;
    EXPECT_EQ(access((save + "/players/scores.xml.!").c_str(), F_OK), 0) << run.output;
    std::ifstream preferences(m_strRoot + "/home/config/delvor/preferences");
    std::string text((std::istreambuf_iterator<char>(preferences)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("s  shutdowncorrect true\n"), std::string::npos) << text;

    // The next run reads them back, and ends in order again.
    const RunResult again = Run(SIGTERM, 0, "Main loop running.");
    EXPECT_EQ(again.status, 0) << again.output;
}

TEST_F(DelvorRun, ARendererFailureIsShownAndEndsTheRunWithAnError) {
    WriteManifest(m_strRoot + "/game/data",
                  "<Node name=\"basicproperties\"/>\n<Node name=\"renderer\" width=\"320\" height=\"240\"/>\n"
                  "<Node name=\"taskmanager\"/>\n");
    const RunResult run = Run(0, 0);
    EXPECT_NE(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Graphics initialization failed"), std::string::npos) << run.output;
    EXPECT_EQ(FramesRun(run.output), -1) << run.output;
}
