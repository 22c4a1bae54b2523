// The real game on its own data, from the outside: splash, loading with the
// menu music, at least ten seconds later the main menu, and the end through
// the quit question's yes. The run's test hooks log the scenes with their
// game time, picture each settled scene and save the sound captured so far.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "aulos/format_bytes.h"
#include "tests/GameProcess.h"
#include "tests/ReferenceImage.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kRate = 44100;

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string output;
};

// Starts the program with the extra environment and reads its output until
// it ends; a run that outlives limitSeconds is killed.
RunResult RunToEnd(const std::string& program, const game_process::Environment& environment, double limitSeconds) {
    RunResult run;
    const game_process::Child child = game_process::Launch(program, environment);
    if (child.pid < 0)
        return run;
    const Clock::time_point start = Clock::now();
    while (game_process::ReadSome(child, run.output, 100)) {
        if (std::chrono::duration<double>(Clock::now() - start).count() > limitSeconds) {
            kill(child.pid, SIGKILL);
            break;
        }
    }
    run.status = game_process::Finish(child, &run.output);
    return run;
}

// The game time of a hook line "Test hooks: scene <name> <event> at <ms> ms", or -1.
long long SceneTime(const std::string& output, const std::string& scene, const std::string& event) {
    const std::string marker = "Test hooks: scene " + scene + " " + event + " at ";
    const size_t at = output.find(marker);
    return at == std::string::npos ? -1 : std::atoll(output.c_str() + at + marker.size());
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The mono samples of a 16-bit PCM WAV file (the capture's own format).
std::vector<float> ReadWavMono(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadAll(path);
    std::vector<float> mono;
    if (bytes.size() < 44 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF")
        return mono;
    const int channels = aulos_format::LE16(bytes.data() + 22);
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = aulos_format::LE32(bytes.data() + at + 4);
        if (std::string(bytes.begin() + at, bytes.begin() + at + 4) != "data") {
            at += 8 + size + (size & 1);
            continue;
        }
        const size_t end = std::min(bytes.size(), at + 8 + size);
        for (size_t p = at + 8; channels > 0 && p + 2 * channels <= end; p += 2 * channels) {
            float sum = 0.0f;
            for (int c = 0; c < channels; ++c)
                sum += static_cast<int16_t>(aulos_format::LE16(bytes.data() + p + 2 * c));
            mono.push_back(sum / channels / 32768.0f);
        }
        break;
    }
    return mono;
}

// The mono samples of an Ogg Vorbis file.
std::vector<float> ReadOggMono(const std::string& path) {
    std::vector<float> mono;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0)
        return mono;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(&file, &pcm, 4096, &section);
        if (frames <= 0)
            break;
        const int channels = ov_info(&file, section)->channels;
        for (long i = 0; i < frames; ++i) {
            float sum = 0.0f;
            for (int c = 0; c < channels; ++c)
                sum += pcm[c][i];
            mono.push_back(sum / channels);
        }
    }
    ov_clear(&file);
    return mono;
}

float Rms(const std::vector<float>& samples, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += samples[i] * samples[i];
    return to > from ? static_cast<float>(std::sqrt(sum / static_cast<double>(to - from))) : 0.0f;
}

// The signal's power at semitones from 110 Hz to about 3.5 kHz (Goertzel
// filters), on a log scale and normalised: a fingerprint of what plays,
// whatever its level.
std::vector<double> Fingerprint(const std::vector<float>& samples, size_t from, size_t to) {
    std::vector<double> print;
    double norm = 0.0;
    for (int note = 0; note < 60; ++note) {
        const double frequency = 110.0 * std::pow(2.0, note / 12.0);
        const double coefficient = 2.0 * std::cos(2.0 * M_PI * frequency / kRate);
        // Blocks of 4096 samples, their powers averaged.
        double power = 0.0;
        int blocks = 0;
        for (size_t block = from; block + 4096 <= to; block += 4096, ++blocks) {
            double s1 = 0.0;
            double s2 = 0.0;
            for (size_t i = block; i < block + 4096; ++i) {
                const double s0 = samples[i] + coefficient * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            power += s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        }
        print.push_back(std::log10(1e-9 + (blocks ? power / blocks : 0.0)));
    }
    double mean = 0.0;
    for (double p : print)
        mean += p / static_cast<double>(print.size());
    for (double& p : print) {
        p -= mean;
        norm += p * p;
    }
    for (double& p : print)
        p /= std::sqrt(norm > 0.0 ? norm : 1.0);
    return print;
}

double Similarity(const std::vector<double>& a, const std::vector<double>& b) {
    double dot = 0.0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        dot += a[i] * b[i];
    return dot;
}

class FirstRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Game.IsReady()) << game_process::BuiltGame();
        ASSERT_EQ(mkdir((m_sRoot + "/out").c_str(), 0755), 0);
    }

    // The references follow the art of data/: after a change of the art,
    // DELVOR_UPDATE_REFERENCE=1 writes them anew from a run.
    void ExpectPicture(const std::string& scene) {
        SCOPED_TRACE(scene);
        std::vector<uint32_t> pixels;
        ASSERT_TRUE(reference_image::ReadPng(m_sRoot + "/out/" + scene + ".png", kWidth, kHeight, pixels)) << scene;
        reference_image::ExpectMatchesReference(reference_image::TestDataPath("game/" + scene + ".png"), kWidth,
                                                kHeight, pixels);
    }

    game_process::GameCopy m_Game{game_process::BuiltGame(), DELVOR_GAME_DATA_DIR};
    const std::string m_sRoot = m_Game.Root();
    const std::string m_sProgram = m_Game.Program();
};

}  // namespace

TEST_F(FirstRun, SplashLoadingMusicMainMenuAndQuitOnYes) {
    const RunResult run = RunToEnd(m_sProgram,
                             {{"XDG_DATA_HOME", m_sRoot + "/home/data"},
                              {"XDG_CONFIG_HOME", m_sRoot + "/home/config"},
                              {"SDL_VIDEODRIVER", "offscreen"},
                              {"DELVOR_AUDIO_OUTPUT", "capture"},
                              {"DELVOR_TEST_OUTPUT", m_sRoot + "/out"},
                              {"DELVOR_TEST_CLOSE_IN", "SCENE_SELECTION"}},
                             100.0);
    ASSERT_EQ(run.status, 0) << run.output;

    // The scenes in their order; the loading scene holds at least ten
    // seconds of game time.
    const long long splash = SceneTime(run.output, "SCENE_SPLASH", "entered");
    const long long load = SceneTime(run.output, "SCENE_LOAD", "entered");
    const long long loaded = SceneTime(run.output, "SCENE_LOAD", "settled");
    const long long selection = SceneTime(run.output, "SCENE_SELECTION", "entered");
    ASSERT_GE(splash, 0) << run.output;
    ASSERT_GT(load, splash) << run.output;
    ASSERT_GT(loaded, load) << run.output;
    ASSERT_GT(selection, loaded) << run.output;
    EXPECT_GE(selection - load, 10000) << run.output;

    // The close asked the quit question, and its yes ended the run cleanly.
    const size_t closing = run.output.find("Test hooks: closing the window");
    const size_t asked = run.output.find("Test hooks: quit question shown");
    const size_t yes = run.output.find("Test hooks: quit question answered yes");
    ASSERT_NE(closing, std::string::npos) << run.output;
    EXPECT_GT(asked, closing) << run.output;
    EXPECT_GT(yes, asked) << run.output;
    EXPECT_NE(run.output.find("Main loop ended after "), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("picture failed"), std::string::npos) << run.output;

    ExpectPicture("SCENE_SPLASH");
    ExpectPicture("SCENE_LOAD");
    ExpectPicture("SCENE_SELECTION");

    // The sound captured up to the end of loading: its last seconds are the
    // menu music, loud and with the music's own spectrum.
    const std::vector<float> capture = ReadWavMono(m_sRoot + "/out/SCENE_LOAD.wav");
    const std::vector<float> music = ReadOggMono(m_sRoot + "/game/data/music/menu.ogg");
    ASSERT_GT(capture.size(), static_cast<size_t>(4 * kRate));
    ASSERT_GT(music.size(), static_cast<size_t>(4 * kRate));
    EXPECT_EQ(Rms(capture, 0, kRate), 0.0f);  // the splash is silent
    const size_t tail = capture.size() - 3 * kRate;
    // A first run plays the music at the game settings' default volume.
    constexpr float kDefaultMusicVolume = 0.2f;
    EXPECT_GT(Rms(capture, tail, capture.size()), 0.3f * kDefaultMusicVolume * Rms(music, 0, music.size()));
    // Three seconds of the music match those of the capture far better than
    // any other stretch of it does (about 0.7 to 0.85).
    const std::vector<double> heard = Fingerprint(capture, tail, capture.size());
    double best = -1.0;
    for (size_t from = 0; from + 3 * kRate <= music.size(); from += kRate / 2)
        best = std::max(best, Similarity(heard, Fingerprint(music, from, from + 3 * kRate)));
    EXPECT_GT(best, 0.95);
}
