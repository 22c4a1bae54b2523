// Renders the same 32-channel module with the sound system's music core and
// with libxmp (linear interpolation), both at 44.1 kHz stereo without an
// audio device, and reports each as times real time.
//
// AULOS_BENCH_SECONDS sets the seconds of music rendered per run (default 10).
#include "aulos/aumus.h"
#include "aulos/ausnd.h"
#include "tests/aulos/ModuleWriter.h"

#include <benchmark/benchmark.h>
#include <xmp.h>

#include <cstdlib>
#include <vector>

namespace
{
constexpr int kRate = 44100;

double SecondsOfSound()
{
    const char* text = std::getenv("AULOS_BENCH_SECONDS");
    const double seconds = text ? std::atof(text) : 10.0;
    return seconds > 0.0 ? seconds : 10.0;
}

// Every channel plays all the time: notes, slides, vibrato and volume changes.
std::vector<uint8_t> ThirtyTwoChannels()
{
    ModuleSong song;
    song.name = "bench";
    song.channels = 32;
    song.samples.push_back(SineSample("sine", 4096, 64));
    song.samples.push_back(SquareSample("square", 4000, 100));
    song.samples.push_back(SineSample("low", 8192, 256));
    song.AddPatterns(2);
    song.orders = {0, 1};
    for (int p = 0; p < 2; ++p)
    {
        for (int row = 0; row < 64; row += 4)
        {
            for (int c = 0; c < 32; ++c)
            {
                const uint8_t note = static_cast<uint8_t>(37 + (c * 5 + row + p * 7) % 36);
                song.Cell(p, row, c) = {note, static_cast<uint8_t>(1 + c % 3), 0, 0, 0};
                song.Cell(p, row + 1, c) = {0, 0, 0, 0x4, 0x46};
                song.Cell(p, row + 2, c) = {0, 0, 0, 0xA, 0x02};
                song.Cell(p, row + 3, c) = {0, 0, 0, 0x1, 0x02};
            }
        }
    }
    return WriteMOD(song);
}

void BM_AulosMusic(benchmark::State& state)
{
    const std::vector<uint8_t> module = ThirtyTwoChannels();
    AUSND_SetOutput(AUSND_OUTPUT_NOSOUND_NONREALTIME);
    AUSND_SetMixer(AUSND_MIXER_QUALITY_AUTODETECT);
    if (!AUSND_Init(kRate, 64, 0))
    {
        state.SkipWithError("the sound system did not start");
        return;
    }
    AUMUS_SONG* song = AUMUS_LoadSongEx(reinterpret_cast<const char*>(module.data()), 0,
                                        static_cast<int>(module.size()), AUSND_LOADMEMORY, nullptr, 0);
    if (!song)
    {
        AUSND_Close();
        state.SkipWithError("the module did not load");
        return;
    }
    const int block = AUSND_DSP_GetBufferLength();
    const int blocks = static_cast<int>(SecondsOfSound() * kRate / block);
    for (auto _ : state)
    {
        AUMUS_PlaySong(song);
        for (int i = 0; i < blocks; ++i)
            AUSND_Update();
    }
    state.counters["realtime"] =
        benchmark::Counter(SecondsOfSound() * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    AUMUS_FreeSong(song);
    AUSND_Close();
}

void BM_LibxmpMusic(benchmark::State& state)
{
    const std::vector<uint8_t> module = ThirtyTwoChannels();
    xmp_context context = xmp_create_context();
    if (xmp_load_module_from_memory(context, module.data(), static_cast<long>(module.size())) != 0)
    {
        xmp_free_context(context);
        state.SkipWithError("libxmp did not load the module");
        return;
    }
    std::vector<int16_t> buffer(4096 * 2);
    const long total = static_cast<long>(SecondsOfSound() * kRate);
    for (auto _ : state)
    {
        xmp_start_player(context, kRate, 0);
        xmp_set_player(context, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
        for (long done = 0; done < total; done += 4096)
            xmp_play_buffer(context, buffer.data(), static_cast<int>(buffer.size() * sizeof(int16_t)), 0);
        xmp_end_player(context);
    }
    state.counters["realtime"] =
        benchmark::Counter(SecondsOfSound() * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    xmp_release_module(context);
    xmp_free_context(context);
}

BENCHMARK(BM_AulosMusic)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibxmpMusic)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

BENCHMARK_MAIN();
