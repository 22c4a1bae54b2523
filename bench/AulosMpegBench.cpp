// MPEG decoding speed: the sound system's own layer II and III decoders
// against libmpg123 (its generic, non-SIMD decoder) and libmad, single
// threaded, on the same files (made here by lame and twolame). Each result
// carries "realtime": seconds of audio decoded per second of work.
#include "aulos/format_mpeg.h"

#include <benchmark/benchmark.h>
#include <mad.h>
#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
struct Encoded
{
    std::vector<uint8_t> bytes;
    double seconds = 0;
};

// 20 seconds of a stereo tone mix with noise at 44.1 kHz, encoded by `command`.
Encoded Make(const std::string& name, const std::string& command)
{
    const std::string dir = "/tmp/aulos_mpeg_bench_";
    const std::string raw = dir + "signal.raw";
    {
        std::ofstream out(raw, std::ios::binary);
        uint32_t noise = 5;
        for (int i = 0; i < 44100 * 20; ++i)
            for (int c = 0; c < 2; ++c)
            {
                noise = noise * 1664525u + 1013904223u;
                const int v = static_cast<int>(8000.0 * std::sin(i * 0.02 * (c + 1)) +
                                               5000.0 * std::sin(i * 0.173)) +
                              static_cast<int>(noise >> 21) - 1024;
                const int16_t s = static_cast<int16_t>(v);
                out.write(reinterpret_cast<const char*>(&s), 2);
            }
    }
    const std::string path = dir + name;
    std::string full = command;
    full.replace(full.find("IN"), 2, raw);
    full.replace(full.find("OUT"), 3, path);
    if (std::system((full + " >/dev/null 2>&1").c_str()) != 0)
        std::fprintf(stderr, "encoder failed: %s\n", full.c_str());
    std::ifstream in(path, std::ios::binary);
    Encoded e;
    e.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    e.seconds = 20.0;
    return e;
}

const Encoded& Mp3()
{
    static const Encoded e =
        Make("bench.mp3", "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -b 128 IN OUT");
    return e;
}

const Encoded& Mp2()
{
    static const Encoded e = Make("bench.mp2", "twolame --quiet -r -s 44100 -N 2 -b 192 IN OUT");
    return e;
}

void Realtime(benchmark::State& state, double seconds)
{
    state.counters["realtime"] =
        benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
}

void Ours(benchmark::State& state, const Encoded& e)
{
    AUSND_Mpeg_Init();
    AUSND_FILE* file = AUSND_File_Open(reinterpret_cast<const char*>(e.bytes.data()), AUSND_FILE_MEMORY,
                                       static_cast<int>(e.bytes.size()));
    uint32_t mode = AUSND_MPEGACCURATE;
    int rate = 0;
    uint32_t dataLength = 0;
    uint32_t pcmBytes = 0;
    AUSND_MPEG* mp = nullptr;
    int block = 0;
    uint32_t dataOffset = 0;
    uint32_t ms = 0;
    AUSND_MPEGOFFSETS table{nullptr, 0, 0};
    if (!AUSND_Mpeg_Open(file, &mode, &rate, &dataLength, &pcmBytes, &mp, &block, &dataOffset, &ms, &table, nullptr,
                         nullptr))
    {
        state.SkipWithError("open failed");
        return;
    }
    std::vector<int16_t> pcm(2304);
    for (auto _ : state)
    {
        AUSND_Mpeg_ResetFrame(mp);
        for (int k = 0; k < table.count; ++k)
        {
            const uint32_t at = dataOffset + table.offsets[k];
            uint32_t bytes = 0;
            AUSND_Mpeg_DecodeFrame(mp, e.bytes.data() + at, static_cast<uint32_t>(e.bytes.size() - at), pcm.data(),
                                   &bytes);
        }
        benchmark::DoNotOptimize(pcm.data());
    }
    Realtime(state, e.seconds);
    AUSND_Mpeg_Close(mp);
    AUSND_Mpeg_FreeOffsets(&table);
    AUSND_File_Close(file);
}

void Mpg123Generic(benchmark::State& state, const Encoded& e)
{
    static const bool s_init = mpg123_init() == MPG123_OK;
    (void)s_init;
    int error = 0;
    mpg123_handle* mh = mpg123_new("generic", &error);
    if (!mh)
    {
        state.SkipWithError("no generic decoder in libmpg123");
        return;
    }
    mpg123_param(mh, MPG123_FLAGS, MPG123_QUIET | MPG123_NO_GAPLESS, 0);
    std::vector<unsigned char> out(1 << 16);
    for (auto _ : state)
    {
        mpg123_open_feed(mh);
        mpg123_feed(mh, e.bytes.data(), e.bytes.size());
        off_t frame = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        for (;;)
        {
            const int r = mpg123_decode_frame(mh, &frame, &audio, &bytes);
            if (r == MPG123_NEED_MORE || r == MPG123_DONE || (r != MPG123_OK && r != MPG123_NEW_FORMAT))
                break;
            benchmark::DoNotOptimize(audio);
        }
        mpg123_close(mh);
    }
    Realtime(state, e.seconds);
    mpg123_delete(mh);
}

int16_t MadTo16(mad_fixed_t v)
{
    v += 1L << (MAD_F_FRACBITS - 16);
    if (v >= MAD_F_ONE)
        v = MAD_F_ONE - 1;
    else if (v < -MAD_F_ONE)
        v = -MAD_F_ONE;
    return static_cast<int16_t>(v >> (MAD_F_FRACBITS + 1 - 16));
}

void Mad(benchmark::State& state, const Encoded& e)
{
    std::vector<int16_t> pcm(2304);
    for (auto _ : state)
    {
        mad_stream stream;
        mad_frame frame;
        mad_synth synth;
        mad_stream_init(&stream);
        mad_frame_init(&frame);
        mad_synth_init(&synth);
        mad_stream_buffer(&stream, e.bytes.data(), e.bytes.size());
        for (;;)
        {
            if (mad_frame_decode(&frame, &stream) != 0)
            {
                if (MAD_RECOVERABLE(stream.error))
                    continue;
                break;
            }
            mad_synth_frame(&synth, &frame);
            const unsigned n = synth.pcm.length;
            for (unsigned i = 0; i < n; ++i)
            {
                pcm[2 * i] = MadTo16(synth.pcm.samples[0][i]);
                pcm[2 * i + 1] = MadTo16(synth.pcm.samples[synth.pcm.channels > 1 ? 1 : 0][i]);
            }
            benchmark::DoNotOptimize(pcm.data());
        }
        mad_synth_finish(&synth);
        mad_frame_finish(&frame);
        mad_stream_finish(&stream);
    }
    Realtime(state, e.seconds);
}

void BM_LayerIII_Aulos(benchmark::State& state) { Ours(state, Mp3()); }
void BM_LayerIII_Mpg123Generic(benchmark::State& state) { Mpg123Generic(state, Mp3()); }
void BM_LayerIII_Mad(benchmark::State& state) { Mad(state, Mp3()); }
void BM_LayerII_Aulos(benchmark::State& state) { Ours(state, Mp2()); }
void BM_LayerII_Mpg123Generic(benchmark::State& state) { Mpg123Generic(state, Mp2()); }
void BM_LayerII_Mad(benchmark::State& state) { Mad(state, Mp2()); }
} // namespace

BENCHMARK(BM_LayerIII_Aulos)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerIII_Mpg123Generic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerIII_Mad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerII_Aulos)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerII_Mpg123Generic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerII_Mad)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
