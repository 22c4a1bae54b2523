// Start-up of the real game on its own data: from the launch of the program
// to its first frame, which shows the splash scene. The main loop says
// "Main loop running." right after that frame.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <chrono>
#include <string>

#include "tests/GameProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seconds from the launch to the first frame, or a negative number when the
// game ended or failed to show one within a minute. The game is ended
// afterwards, outside the measured time.
double TimeToFirstFrame(const game_process::GameCopy& game) {
    game_process::Environment environment = game.UserFolders();
    environment.insert(environment.end(),
                       {{"SDL_VIDEODRIVER", "offscreen"}, {"SDL_AUDIODRIVER", "dummy"}, {"DELVOR_AUDIO_OUTPUT", "capture"}});
    const Clock::time_point start = Clock::now();
    const game_process::Child child = game_process::Launch(game.Program(), environment);
    if (child.pid < 0)
        return -1.0;
    std::string output;
    double seconds = -1.0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < 60.0 &&
           game_process::ReadSome(child, output, 100)) {
        if (output.find("Main loop running.") != std::string::npos) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            break;
        }
    }
    kill(child.pid, SIGTERM);
    game_process::Finish(child);
    return seconds;
}

void BM_StartupToFirstSplashFrame(benchmark::State& state) {
    const game_process::GameCopy game(DELVOR_EXECUTABLE, DELVOR_GAME_DATA_DIR);
    if (!game.IsReady()) {
        state.SkipWithError("could not copy the game and its data");
        return;
    }
    for (auto _ : state) {
        const double seconds = TimeToFirstFrame(game);
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
