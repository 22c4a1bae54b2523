// Mixes N looping, panned voices of 16-bit samples into 44.1 kHz stereo, once
// through the sound system's interpolating software mixer and once through
// SDL_mixer, and reports how many such voices one core could mix in real time
// (from the CPU time of the thread that mixes).
//
// AULOS_BENCH_SECONDS sets the seconds of sound mixed per run (default 10).
// SDL_mixer mixes on SDL's audio thread; the disk driver writing to /dev/null
// without delay lets it run as fast as the processor allows.
#include "aulos/ausnd.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

namespace
{
constexpr int kRate = 44100;
constexpr int kSampleFrames = 44100;

double SecondsOfSound()
{
    const char* text = std::getenv("AULOS_BENCH_SECONDS");
    const double seconds = text ? std::atof(text) : 10.0;
    return seconds > 0.0 ? seconds : 10.0;
}

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// One second of a voice's tone: a sine with a period of its own.
std::vector<int16_t> Tone(int voice)
{
    std::vector<int16_t> values(kSampleFrames);
    const double period = 60.0 + 7.0 * voice;
    for (int i = 0; i < kSampleFrames; ++i)
        values[static_cast<size_t>(i)] = static_cast<int16_t>(8000.0 * std::sin(2.0 * M_PI * i / period));
    return values;
}

int PanOf(int voice)
{
    return (voice * 37) % 256;
}

void Report(benchmark::State& state, const char* mixer, int voices, double soundSeconds, double cpuSeconds)
{
    const double perCore = cpuSeconds > 0.0 ? voices * soundSeconds / cpuSeconds : 0.0;
    state.counters["voices_per_core"] = perCore;
    std::printf("%-14s %5d voices: %7.3f s CPU for %.1f s of sound -> %8.0f voices per core\n",
                mixer, voices, cpuSeconds, soundSeconds, perCore);
}

void BM_AulosMixer(benchmark::State& state)
{
    const int voices = static_cast<int>(state.range(0));
    const double soundSeconds = SecondsOfSound();
    AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
    AUSND_SetMixer(AUSND_MIXER_QUALITY_AUTODETECT);
    if (!AUSND_Init(kRate, voices, 0))
    {
        state.SkipWithError("AUSND_Init failed");
        return;
    }
    std::vector<AUSND_SAMPLE*> samples;
    for (int v = 0; v < voices; ++v)
    {
        const std::vector<int16_t> tone = Tone(v);
        AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, kSampleFrames, AUSND_16BITS | AUSND_2D | AUSND_LOOP_NORMAL,
                                                  kRate, 200, PanOf(v), 128);
        AUSND_Sample_Upload(sample, tone.data(), AUSND_16BITS);
        const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
        // Off the output rate, so that every voice interpolates.
        AUSND_SetFrequency(ch, 22050 + 137 * v);
        samples.push_back(sample);
    }
    const int blocks = static_cast<int>(soundSeconds * kRate / AUSND_DSP_GetBufferLength());
    // The capture keeps one block at a time, so that only the mixing is measured.
    auto mix = [](int count) {
        for (int b = 0; b < count; ++b)
        {
            AUSND_Capture_Clear();
            AUSND_Update();
        }
    };
    mix(kRate / AUSND_DSP_GetBufferLength()); // one second to warm up
    double cpuSeconds = 1e30;
    for (auto _ : state)
    {
        const double start = ThreadCpuSeconds();
        mix(blocks);
        const double used = ThreadCpuSeconds() - start;
        state.SetIterationTime(used);
        cpuSeconds = used < cpuSeconds ? used : cpuSeconds;
    }
    Report(state, "aulos", voices, blocks * AUSND_DSP_GetBufferLength() / static_cast<double>(kRate), cpuSeconds);
    AUSND_Close();
}

// Counts what SDL_mixer has mixed and the CPU time its audio thread spent.
struct PostMixMeter
{
    std::mutex lock;
    std::condition_variable done;
    long long framesTarget = 0;
    long long frames = 0;
    double cpuStart = -1.0;
    double cpuEnd = -1.0;
    bool finished = false;
};

PostMixMeter g_Meter;

void PostMix(void* /*udata*/, Uint8* /*stream*/, int len)
{
    std::lock_guard<std::mutex> guard(g_Meter.lock);
    if (g_Meter.finished)
        return;
    if (g_Meter.cpuStart < 0.0)
    {
        // The first buffer started the clock; count from the next one on.
        g_Meter.cpuStart = ThreadCpuSeconds();
        return;
    }
    g_Meter.frames += len / 4;
    if (g_Meter.frames >= g_Meter.framesTarget)
    {
        g_Meter.cpuEnd = ThreadCpuSeconds();
        g_Meter.finished = true;
        g_Meter.done.notify_all();
    }
}

void BM_SDLMixer(benchmark::State& state)
{
    const int voices = static_cast<int>(state.range(0));
    const double soundSeconds = SecondsOfSound();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) != 0)
    {
        state.SkipWithError("SDL_mixer could not open the disk driver");
        return;
    }
    Mix_AllocateChannels(voices);
    // SDL_mixer plays chunks in the output's format: stereo frames made from each tone.
    std::vector<std::vector<int16_t>> data;
    std::vector<Mix_Chunk*> chunks;
    for (int v = 0; v < voices; ++v)
    {
        const std::vector<int16_t> tone = Tone(v);
        std::vector<int16_t> stereo(tone.size() * 2);
        for (size_t i = 0; i < tone.size(); ++i)
            stereo[2 * i] = stereo[2 * i + 1] = tone[i];
        data.push_back(std::move(stereo));
        chunks.push_back(Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(data.back().data()),
                                           static_cast<Uint32>(data.back().size() * 2)));
    }

    double cpuSeconds = 1e30;
    double mixedSeconds = soundSeconds;
    for (auto _ : state)
    {
        Mix_Pause(-1);
        {
            std::lock_guard<std::mutex> guard(g_Meter.lock);
            g_Meter.framesTarget = static_cast<long long>(soundSeconds * kRate);
            g_Meter.frames = 0;
            g_Meter.cpuStart = -1.0;
            g_Meter.finished = false;
        }
        for (int v = 0; v < voices; ++v)
        {
            Mix_Volume(v, 100);
            Mix_PlayChannel(v, chunks[static_cast<size_t>(v)], -1);
            Mix_SetPanning(v, static_cast<Uint8>(255 - PanOf(v)), static_cast<Uint8>(PanOf(v)));
        }
        Mix_SetPostMix(PostMix, nullptr);
        Mix_Resume(-1);
        std::unique_lock<std::mutex> wait(g_Meter.lock);
        g_Meter.done.wait(wait, [] { return g_Meter.finished; });
        const double used = g_Meter.cpuEnd - g_Meter.cpuStart;
        if (used < cpuSeconds)
        {
            cpuSeconds = used;
            mixedSeconds = static_cast<double>(g_Meter.frames) / kRate;
        }
        wait.unlock();
        Mix_SetPostMix(nullptr, nullptr);
        Mix_HaltChannel(-1);
        state.SetIterationTime(used);
    }
    Report(state, "SDL_mixer", voices, mixedSeconds, cpuSeconds);
    for (Mix_Chunk* chunk : chunks)
        Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
} // namespace

// Three runs each; the report line gives the fastest, the least disturbed by other work.
BENCHMARK(BM_AulosMixer)->Arg(8)->Arg(32)->Arg(128)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SDLMixer)->Arg(8)->Arg(32)->Arg(128)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
