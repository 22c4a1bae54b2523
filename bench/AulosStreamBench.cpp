// Decodes the same Ogg Vorbis file through the sound system's stream path
// (fill callback into the double buffer, half after half) and through bare
// libvorbisfile, and reports both CPU times; the stream path should cost at
// most a few per cent more. The file is made once with oggenc (vorbis-tools,
// a test-only tool) from 60 s of a generated stereo signal.
#include "aulos/ausnd_stream.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
std::string g_sOgg;
std::vector<char> g_Bytes;

bool MakeOgg()
{
    const std::string wav = "/tmp/aulos_stream_bench.wav";
    g_sOgg = "/tmp/aulos_stream_bench.ogg";
    const uint32_t frames = 44100 * 60;
    FILE* f = std::fopen(wav.c_str(), "wb");
    if (!f)
        return false;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
    };
    std::fwrite("RIFF", 1, 4, f);
    put(36 + frames * 4, 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(44100, 4);
    put(44100 * 4, 4);
    put(4, 2);
    put(16, 2);
    std::fwrite("data", 1, 4, f);
    put(frames * 4, 4);
    for (uint32_t i = 0; i < frames; ++i)
    {
        put(static_cast<uint16_t>(static_cast<int16_t>(9000.0 * std::sin(i * 0.031) + 3000.0 * std::sin(i * 0.0007))), 2);
        put(static_cast<uint16_t>(static_cast<int16_t>(8000.0 * std::sin(i * 0.017 + 1.0))), 2);
    }
    std::fclose(f);
    const std::string command = "oggenc -Q -q 4 -o " + g_sOgg + " " + wav;
    if (std::system(command.c_str()) != 0)
        return false;
    FILE* ogg = std::fopen(g_sOgg.c_str(), "rb");
    if (!ogg)
        return false;
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), ogg)) > 0)
        g_Bytes.insert(g_Bytes.end(), buffer, buffer + n);
    std::fclose(ogg);
    return true;
}

void StreamPath(benchmark::State& state)
{
    AUSND_SetOutput(AUSND_OUTPUT_NOSOUND_NONREALTIME);
    if (!AUSND_Init(44100, 8, 0))
    {
        state.SkipWithError("the sound system did not start");
        return;
    }
    uint64_t bytes = 0;
    for (auto _ : state)
    {
        AUSND_STREAM* stream = AUSND_Stream_Open(g_Bytes.data(), AUSND_LOADMEMORY | AUSND_2D, 0,
                                                 static_cast<int>(g_Bytes.size()));
        if (!stream)
        {
            state.SkipWithError("the stream did not open");
            break;
        }
        while (stream->endcountdown < 0)
            AUSND_Stream_Flip(stream);
        bytes += stream->pcmposition * 4;
        AUSND_Stream_Close(stream);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    AUSND_Close();
}

struct Memory
{
    const char* data;
    size_t size;
    size_t at;
};

size_t Read(void* out, size_t size, size_t count, void* source)
{
    Memory* m = static_cast<Memory*>(source);
    size_t n = size * count;
    if (n > m->size - m->at)
        n = m->size - m->at;
    std::copy(m->data + m->at, m->data + m->at + n, static_cast<char*>(out));
    m->at += n;
    return size ? n / size : 0;
}

int Seek(void* source, ogg_int64_t offset, int whence)
{
    Memory* m = static_cast<Memory*>(source);
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(m->at)
                                                                     : static_cast<int64_t>(m->size);
    const int64_t to = base + offset;
    if (to < 0 || to > static_cast<int64_t>(m->size))
        return -1;
    m->at = static_cast<size_t>(to);
    return 0;
}

long Tell(void* source)
{
    return static_cast<long>(static_cast<Memory*>(source)->at);
}

void BareVorbisfile(benchmark::State& state)
{
    std::vector<char> half(17408 * 4);
    uint64_t bytes = 0;
    for (auto _ : state)
    {
        Memory memory{g_Bytes.data(), g_Bytes.size(), 0};
        OggVorbis_File vf;
        if (ov_open_callbacks(&memory, &vf, nullptr, 0, ov_callbacks{Read, Seek, nullptr, Tell}) < 0)
        {
            state.SkipWithError("vorbisfile refused the file");
            break;
        }
        int bitstream = 0;
        bool more = true;
        while (more)
        {
            size_t filled = 0;
            while (filled < half.size())
            {
                const long n = ov_read(&vf, half.data() + filled, static_cast<int>(half.size() - filled), 0, 2, 1,
                                       &bitstream);
                if (n <= 0)
                {
                    more = false;
                    break;
                }
                filled += static_cast<size_t>(n);
            }
            bytes += filled;
            benchmark::DoNotOptimize(half.data());
        }
        ov_clear(&vf);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

BENCHMARK(StreamPath)->Unit(benchmark::kMillisecond);
BENCHMARK(BareVorbisfile)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    if (!MakeOgg())
    {
        std::fprintf(stderr, "aulos_stream_bench: oggenc (vorbis-tools) is needed to make the test file\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
