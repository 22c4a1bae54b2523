// Start-up of the real game on its own data: from the launch of the program
// to its first frame, which shows the splash scene. The main loop says
// "Main loop running." right after that frame.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// A temporary layout of the game (bin/delvor beside data/) with its own
// user folders, made once for all the runs.
class GameCopy {
public:
    GameCopy() {
        char pattern[] = "/tmp/delvor-startup-XXXXXX";
        m_sRoot = mkdtemp(pattern);
        m_sProgram = m_sRoot + "/game/bin/delvor";
        const std::string copy = "mkdir -p '" + m_sRoot + "/game/bin' '" + m_sRoot + "/home/config/delvor' && cp '" +
                                 DELVOR_EXECUTABLE "' '" + m_sProgram + "' && cp -r '" DELVOR_GAME_DATA_DIR "' '" +
                                 m_sRoot + "/game/data'";
        m_bReady = std::system(copy.c_str()) == 0;
        std::ofstream(m_sRoot + "/home/config/delvor/preferences") << "delvor-preferences 1\ns  fullscreen false\n";
    }
    ~GameCopy() { std::system(("rm -rf '" + m_sRoot + "'").c_str()); }
    GameCopy(const GameCopy&) = delete;
    GameCopy& operator=(const GameCopy&) = delete;

    bool IsReady() const { return m_bReady; }

    // Seconds from the launch to the first frame, or a negative number when
    // the game ended or failed to show one within a minute. The game is
    // ended afterwards, outside the measured time.
    double TimeToFirstFrame() const {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return -1.0;
        const Clock::time_point start = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            dup2(pipeFds[1], STDERR_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            setenv("DELVOR_AUDIO_OUTPUT", "capture", 1);
            setenv("XDG_DATA_HOME", (m_sRoot + "/home/data").c_str(), 1);
            setenv("XDG_CONFIG_HOME", (m_sRoot + "/home/config").c_str(), 1);
            execl(m_sProgram.c_str(), m_sProgram.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        std::string output;
        double seconds = -1.0;
        while (std::chrono::duration<double>(Clock::now() - start).count() < 60.0) {
            pollfd fd{pipeFds[0], POLLIN, 0};
            if (poll(&fd, 1, 100) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            output.append(buffer, static_cast<size_t>(n));
            if (output.find("Main loop running.") != std::string::npos) {
                seconds = std::chrono::duration<double>(Clock::now() - start).count();
                break;
            }
        }
        kill(pid, SIGTERM);
        // Drain the output until the game has gone, so that it never blocks on a full pipe.
        char buffer[4096];
        while (read(pipeFds[0], buffer, sizeof buffer) > 0) {
        }
        close(pipeFds[0]);
        waitpid(pid, nullptr, 0);
        return seconds;
    }

private:
    std::string m_sRoot;
    std::string m_sProgram;
    bool m_bReady = false;
};

void BM_StartupToFirstSplashFrame(benchmark::State& state) {
    GameCopy game;
    if (!game.IsReady()) {
        state.SkipWithError("could not copy the game and its data");
        return;
    }
    for (auto _ : state) {
        const double seconds = game.TimeToFirstFrame();
        if (seconds < 0.0) {
            state.SkipWithError("the game showed no frame");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_StartupToFirstSplashFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
