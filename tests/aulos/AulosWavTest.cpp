// WAV and AIFF loading against files written and decoded by sox (a test-only
// tool), and against hand-made chunks for the parts sox does not write.
#include "aulos/ausnd_device.h"
#include "aulos/format_imaadpcm.h"
#include "aulos/format_wav.h"
#include "tests/aulos/AulosTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::string Temp(const std::string& name)
{
    return ::testing::TempDir() + "aulos_wav_" + name;
}

bool RunSox(const std::string& arguments)
{
    const std::string command = "sox -q " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// A chirp with some noise, as signed 16-bit interleaved frames.
std::vector<uint8_t> Signal(int frames, int channels)
{
    std::vector<uint8_t> raw;
    uint32_t noise = 1;
    for (int i = 0; i < frames; ++i)
    {
        for (int c = 0; c < channels; ++c)
        {
            noise = noise * 1664525u + 1013904223u;
            const double t = i / 22050.0;
            const double v = 20000.0 * std::sin(2 * M_PI * (200 + 2000 * t) * t * (c + 1)) +
                             static_cast<int>(noise >> 20) - 2048;
            const int16_t s = static_cast<int16_t>(std::lround(std::max(-32768.0, std::min(32767.0, v))));
            raw.push_back(static_cast<uint8_t>(s & 0xFF));
            raw.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        }
    }
    return raw;
}

// The signal written by sox in a format, and sox's own decoding of that file.
struct Fixture
{
    std::string path;
    std::vector<uint8_t> decoded; // what the sample must hold
};

Fixture MakeWithSox(const std::string& name, int channels, const std::string& format, int bits)
{
    const std::string raw = Temp(name + ".raw");
    WriteAll(raw, Signal(5000, channels));
    Fixture fixture{Temp(name), {}};
    const std::string input = "-t raw -r 22050 -e signed -b 16 -c " + std::to_string(channels) + " " + raw;
    EXPECT_TRUE(RunSox(input + " " + format + " " + fixture.path)) << name;
    const std::string decoded = Temp(name + ".decoded");
    EXPECT_TRUE(RunSox(fixture.path + " -t raw -e signed -b " + std::to_string(bits) + " " + decoded)) << name;
    fixture.decoded = ReadAll(decoded);
    return fixture;
}

std::vector<uint8_t> SampleBytes(AUSND_SAMPLE* sample)
{
    void* p1 = nullptr;
    void* p2 = nullptr;
    unsigned int l1 = 0;
    unsigned int l2 = 0;
    EXPECT_TRUE(AUSND_Sample_Lock(sample, 0, static_cast<int>(AUSND_Sample_ByteSize(sample)), &p1, &p2, &l1, &l2));
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + l1);
    AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
    return bytes;
}

void Put32LE(std::vector<uint8_t>& data, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        data[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16LE(std::vector<uint8_t>& data, size_t at, uint16_t v)
{
    data[at] = static_cast<uint8_t>(v);
    data[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Append32LE(std::vector<uint8_t>& data, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Append32BE(std::vector<uint8_t>& data, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        data.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Append16BE(std::vector<uint8_t>& data, uint16_t v)
{
    data.push_back(static_cast<uint8_t>(v >> 8));
    data.push_back(static_cast<uint8_t>(v));
}

void AppendId(std::vector<uint8_t>& data, const char* id)
{
    data.insert(data.end(), id, id + 4);
}

// Offset of a chunk's header in a RIFF or AIFF file, or 0.
size_t FindChunk(const std::vector<uint8_t>& data, const char* id, bool bigEndian)
{
    for (size_t at = 12; at + 8 <= data.size();)
    {
        if (std::memcmp(&data[at], id, 4) == 0)
            return at;
        uint32_t size = 0;
        for (int i = 0; i < 4; ++i)
            size |= static_cast<uint32_t>(data[at + 4 + (bigEndian ? 3 - i : i)]) << (8 * i);
        at += 8 + size + (size & 1);
    }
    return 0;
}

void FixRiffSize(std::vector<uint8_t>& data)
{
    Put32LE(data, 4, static_cast<uint32_t>(data.size() - 8));
}

void FixFormSize(std::vector<uint8_t>& data)
{
    const uint32_t size = static_cast<uint32_t>(data.size() - 8);
    for (int i = 0; i < 4; ++i)
        data[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (8 * (3 - i)));
}

struct SoxCase
{
    const char* name;
    int channels;
    const char* format; // sox output options
    int bits;           // of the decoding to compare with
    unsigned int mode;  // the sample's width and layout
};

using AulosWav = CaptureDevice;
} // namespace

TEST_F(AulosWav, SoxFilesLoadBitExact)
{
    const SoxCase cases[] = {
        {"pcm16m.wav", 1, "-e signed -b 16", 16, AUSND_16BITS | AUSND_MONO},
        {"pcm16s.wav", 2, "-e signed -b 16", 16, AUSND_16BITS | AUSND_STEREO},
        {"pcm8m.wav", 1, "-e unsigned -b 8", 8, AUSND_8BITS | AUSND_MONO},
        {"pcm8s.wav", 2, "-e unsigned -b 8", 8, AUSND_8BITS | AUSND_STEREO},
        {"ima-m.wav", 1, "-e ima-adpcm", 16, AUSND_16BITS | AUSND_MONO},
        {"ima-s.wav", 2, "-e ima-adpcm", 16, AUSND_16BITS | AUSND_STEREO},
        {"pcm16m.aiff", 1, "-e signed -b 16", 16, AUSND_16BITS | AUSND_MONO},
        {"pcm16s.aiff", 2, "-e signed -b 16", 16, AUSND_16BITS | AUSND_STEREO},
        {"pcm8m.aiff", 1, "-e signed -b 8", 8, AUSND_8BITS | AUSND_MONO},
    };
    for (const SoxCase& c : cases)
    {
        const Fixture fixture = MakeWithSox(c.name, c.channels, c.format, c.bits);
        AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, fixture.path.c_str(), 0, 0, 0);
        ASSERT_NE(sample, nullptr) << c.name << " error " << AUSND_GetError();
        EXPECT_EQ(sample->mode & (AUSND_8BITS | AUSND_16BITS | AUSND_MONO | AUSND_STEREO), c.mode) << c.name;
        EXPECT_TRUE(sample->mode & AUSND_SIGNED) << c.name;
        int freq = 0;
        AUSND_Sample_GetDefaults(sample, &freq, nullptr, nullptr, nullptr);
        EXPECT_EQ(freq, 22050) << c.name;
        const std::vector<uint8_t> bytes = SampleBytes(sample);
        // IMA ADPCM files end on a whole block; sox stops at the sample count.
        ASSERT_GE(bytes.size(), fixture.decoded.size()) << c.name;
        if (std::string(c.format).find("ima") == std::string::npos)
        {
            EXPECT_EQ(bytes.size(), fixture.decoded.size()) << c.name;
        }
        EXPECT_TRUE(std::equal(fixture.decoded.begin(), fixture.decoded.end(), bytes.begin())) << c.name;
        EXPECT_STREQ(AUSND_Sample_GetName(sample), fixture.path.c_str());
        AUSND_Sample_Free(sample);
    }
}

TEST_F(AulosWav, ExtensibleFormatTakesTheSubFormat)
{
    for (const char* encoding : {"-e signed -b 16", "-e ima-adpcm"})
    {
        const Fixture fixture = MakeWithSox("ext.wav", 1, encoding, 16);
        // Rewrite the format tag as extensible with the sub-format's first byte.
        std::vector<uint8_t> data = ReadAll(fixture.path);
        const size_t fmt = FindChunk(data, "fmt ", false);
        ASSERT_NE(fmt, 0u);
        const uint16_t tag = static_cast<uint16_t>(data[fmt + 8] | (data[fmt + 9] << 8));
        const uint32_t size = data[fmt + 4] | (data[fmt + 5] << 8);
        std::vector<uint8_t> body(data.begin() + static_cast<long>(fmt + 8),
                                  data.begin() + static_cast<long>(fmt + 8 + size));
        body.resize(40, 0);
        Put16LE(body, 0, 0xFFFE);
        Put16LE(body, 16, 22);
        body[24] = static_cast<uint8_t>(tag);
        std::vector<uint8_t> rebuilt(data.begin(), data.begin() + static_cast<long>(fmt + 4));
        Append32LE(rebuilt, 40);
        rebuilt.insert(rebuilt.end(), body.begin(), body.end());
        rebuilt.insert(rebuilt.end(), data.begin() + static_cast<long>(fmt + 8 + size), data.end());
        FixRiffSize(rebuilt);
        WriteAll(fixture.path, rebuilt);

        AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, fixture.path.c_str(), 0, 0, 0);
        ASSERT_NE(sample, nullptr) << encoding;
        const std::vector<uint8_t> bytes = SampleBytes(sample);
        ASSERT_GE(bytes.size(), fixture.decoded.size());
        EXPECT_TRUE(std::equal(fixture.decoded.begin(), fixture.decoded.end(), bytes.begin())) << encoding;
        AUSND_Sample_Free(sample);
    }
}

TEST_F(AulosWav, LoadedSampleMixesToItsSource)
{
    const Fixture fixture = MakeWithSox("mix.wav", 1, "-r 44100 -e signed -b 16", 16);
    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, fixture.path.c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(sample, nullptr);
    const int channel = AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, sample, nullptr, true);
    ASSERT_GE(channel, 0);
    ASSERT_TRUE(AUSND_SetPan(channel, -1)); // both sides at full level
    ASSERT_TRUE(AUSND_SetPaused(channel, false));
    MixBlocks(12);
    const std::vector<int16_t> frames = Captured();
    const size_t count = fixture.decoded.size() / 2;
    ASSERT_GE(frames.size(), count * 2);
    for (size_t i = 0; i < count; ++i)
    {
        const int16_t source = static_cast<int16_t>(fixture.decoded[2 * i] | (fixture.decoded[2 * i + 1] << 8));
        ASSERT_EQ(frames[2 * i], FullGain(source)) << i;
        ASSERT_EQ(frames[2 * i + 1], FullGain(source)) << i;
    }
    EXPECT_EQ(frames[count * 2], 0); // a one-shot sound ends with its data
    AUSND_Sample_Free(sample);
}

TEST_F(AulosWav, CuesLabelsAndSamplerLoopOfAWav)
{
    const Fixture fixture = MakeWithSox("cues.wav", 1, "-e signed -b 16", 16);
    std::vector<uint8_t> data = ReadAll(fixture.path);
    // Two cue points out of order, labels for both (one of 300 bytes, cut to
    // 255), a label for an unknown id, and a sampler loop.
    AppendId(data, "cue ");
    Append32LE(data, 4 + 2 * 24);
    Append32LE(data, 2);
    for (uint32_t id : {7u, 3u})
    {
        Append32LE(data, id);
        Append32LE(data, 0);
        AppendId(data, "data");
        Append32LE(data, 0);
        Append32LE(data, 0);
        Append32LE(data, id == 7 ? 4000 : 1000);
    }
    std::vector<uint8_t> list;
    AppendId(list, "adtl");
    const std::string longName(300, 'x');
    for (const auto& label : {std::make_pair(3u, std::string("intro")), std::make_pair(7u, longName),
                              std::make_pair(99u, std::string("nobody"))})
    {
        AppendId(list, "labl");
        const uint32_t size = static_cast<uint32_t>(4 + label.second.size() + 1);
        Append32LE(list, size);
        Append32LE(list, label.first);
        list.insert(list.end(), label.second.begin(), label.second.end());
        list.push_back(0);
        if (size & 1)
            list.push_back(0);
    }
    AppendId(data, "LIST");
    Append32LE(data, static_cast<uint32_t>(list.size()));
    data.insert(data.end(), list.begin(), list.end());
    AppendId(data, "smpl");
    Append32LE(data, 60);
    std::vector<uint8_t> smpl(60, 0);
    Put32LE(smpl, 28, 1);
    Put32LE(smpl, 44, 500);
    Put32LE(smpl, 48, 2999);
    data.insert(data.end(), smpl.begin(), smpl.end());
    FixRiffSize(data);
    WriteAll(fixture.path, data);

    AUSND_FILE* file = AUSND_File_Open(fixture.path.c_str(), AUSND_FILE_BUFFERED, 0);
    ASSERT_NE(file, nullptr);
    AUSND_SYNCLIST sync{};
    AUSND_LOOPPAIR loop{0, 0};
    uint32_t mode = 0;
    int rate = 0;
    uint32_t dataLength = 0;
    uint32_t pcmBytes = 0;
    AUSND_WAVSTATE* state = nullptr;
    int blockAlign = 0;
    uint32_t dataOffset = 0;
    ASSERT_TRUE(AUSND_WAV_Open(file, &mode, &rate, &dataLength, &pcmBytes, &state, &blockAlign, &dataOffset, &loop,
                               &sync));
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(blockAlign, 2);
    EXPECT_EQ(pcmBytes, 10000u);
    ASSERT_EQ(sync.count, 2);
    EXPECT_EQ(sync.points[0].offset, 1000u);
    EXPECT_EQ(sync.points[0].id, 3u);
    EXPECT_STREQ(sync.points[0].name, "intro");
    EXPECT_EQ(sync.points[1].offset, 4000u);
    EXPECT_EQ(std::string(sync.points[1].name), longName.substr(0, 255));
    EXPECT_EQ(loop.start, 500u);
    EXPECT_EQ(loop.end, 2999u);
    AUSND_WAV_Close(state);
    AUSND_Sync_Close(&sync);
    AUSND_File_Close(file);

    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, fixture.path.c_str(), 0, 0, 0);
    ASSERT_NE(sample, nullptr);
    int start = 0;
    int end = 0;
    AUSND_Sample_GetLoopPoints(sample, &start, &end);
    EXPECT_EQ(start, 500);
    EXPECT_EQ(end, 2999);
    EXPECT_EQ(AUSND_Sample_GetMode(sample) & AUSND_LOOPBITS, static_cast<unsigned int>(AUSND_LOOP_NORMAL));
    AUSND_Sample_Free(sample);
}

TEST_F(AulosWav, SamplerLoopOutsideTheDataIsIgnored)
{
    const Fixture fixture = MakeWithSox("badloop.wav", 1, "-e signed -b 16", 16);
    const std::vector<uint8_t> original = ReadAll(fixture.path);
    for (const auto& pair : {std::make_pair(3000u, 3000u), std::make_pair(4000u, 100u), std::make_pair(10u, 5001u)})
    {
        std::vector<uint8_t> data = original;
        AppendId(data, "smpl");
        Append32LE(data, 60);
        std::vector<uint8_t> smpl(60, 0);
        Put32LE(smpl, 44, pair.first);
        Put32LE(smpl, 48, pair.second);
        data.insert(data.end(), smpl.begin(), smpl.end());
        FixRiffSize(data);
        WriteAll(fixture.path, data);
        AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, fixture.path.c_str(), 0, 0, 0);
        ASSERT_NE(sample, nullptr);
        int start = -1;
        int end = -1;
        AUSND_Sample_GetLoopPoints(sample, &start, &end);
        EXPECT_EQ(start, 0) << pair.first << " " << pair.second;
        EXPECT_EQ(end, 4999);
        EXPECT_EQ(AUSND_Sample_GetMode(sample) & AUSND_LOOPBITS, static_cast<unsigned int>(AUSND_LOOP_OFF));
        AUSND_Sample_Free(sample);
    }
}

TEST_F(AulosWav, MarkersAndSustainLoopOfAnAiff)
{
    const Fixture fixture = MakeWithSox("marks.aiff", 1, "-e signed -b 16", 16);
    std::vector<uint8_t> data = ReadAll(fixture.path);
    // INST first: its loop names markers that come later. Ids 0 and 3 select
    // the first and the fourth marker.
    std::vector<uint8_t> inst(20, 0);
    inst[11] = 0;
    inst[13] = 3;
    std::vector<uint8_t> mark;
    Append16BE(mark, 4);
    const struct
    {
        uint16_t id;
        uint32_t position;
        const char* name;
    } markers[] = {{10, 200, "odd"}, {11, 900, "even"}, {12, 99999, ""}, {13, 3000, "end"}};
    for (const auto& m : markers)
    {
        Append16BE(mark, m.id);
        Append32BE(mark, m.position);
        const size_t length = std::strlen(m.name);
        mark.push_back(static_cast<uint8_t>(length));
        mark.insert(mark.end(), m.name, m.name + length);
        if (length % 2 == 0)
            mark.push_back(0);
    }
    std::vector<uint8_t> chunks;
    AppendId(chunks, "INST");
    Append32BE(chunks, 20);
    chunks.insert(chunks.end(), inst.begin(), inst.end());
    AppendId(chunks, "MARK");
    Append32BE(chunks, static_cast<uint32_t>(mark.size()));
    chunks.insert(chunks.end(), mark.begin(), mark.end());
    if (mark.size() & 1)
        chunks.push_back(0);
    data.insert(data.begin() + 12, chunks.begin(), chunks.end());
    FixFormSize(data);
    WriteAll(fixture.path, data);

    AUSND_FILE* file = AUSND_File_Open(fixture.path.c_str(), AUSND_FILE_BUFFERED, 0);
    ASSERT_NE(file, nullptr);
    AUSND_SYNCLIST sync{};
    AUSND_LOOPPAIR loop{0, 0};
    uint32_t mode = 0;
    int rate = 0;
    uint32_t dataLength = 0;
    int bytesPerFrame = 0;
    uint32_t dataOffset = 0;
    ASSERT_TRUE(AUSND_AIFF_Open(file, &mode, &rate, &dataLength, &bytesPerFrame, &dataOffset, &loop, &sync));
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(bytesPerFrame, 2);
    EXPECT_EQ(dataLength, 10000u);
    ASSERT_EQ(sync.count, 4);
    EXPECT_STREQ(sync.points[0].name, "odd");
    EXPECT_STREQ(sync.points[1].name, "even");
    EXPECT_EQ(sync.points[2].offset, 3000u);
    EXPECT_EQ(sync.points[3].offset, 4999u); // clamped to the last frame
    EXPECT_EQ(loop.start, 200u);
    EXPECT_EQ(loop.end, 3000u);
    AUSND_Sync_Close(&sync);
    AUSND_File_Close(file);

    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, fixture.path.c_str(), 0, 0, 0);
    ASSERT_NE(sample, nullptr);
    int start = 0;
    int end = 0;
    AUSND_Sample_GetLoopPoints(sample, &start, &end);
    EXPECT_EQ(start, 200);
    EXPECT_EQ(end, 3000);
    // The frame after the loop holds the guard copy of the loop's first frame.
    std::vector<uint8_t> expected = fixture.decoded;
    expected[3001 * 2] = expected[200 * 2];
    expected[3001 * 2 + 1] = expected[200 * 2 + 1];
    EXPECT_EQ(SampleBytes(sample), expected);
    AUSND_Sample_Free(sample);
}

TEST_F(AulosWav, AiffSoundDataOffsetIsHonoured)
{
    const Fixture fixture = MakeWithSox("offset.aiff", 1, "-e signed -b 16", 16);
    std::vector<uint8_t> data = ReadAll(fixture.path);
    const size_t ssnd = FindChunk(data, "SSND", true);
    ASSERT_NE(ssnd, 0u);
    // Six bytes of padding between the offset fields and the frames.
    data.insert(data.begin() + static_cast<long>(ssnd + 16), 6, 0xEE);
    data[ssnd + 11] = 6;
    const uint32_t size = (static_cast<uint32_t>(data[ssnd + 6]) << 8 | data[ssnd + 7]) + 6;
    data[ssnd + 6] = static_cast<uint8_t>(size >> 8);
    data[ssnd + 7] = static_cast<uint8_t>(size);
    data[ssnd + 5] = static_cast<uint8_t>(size >> 16);
    FixFormSize(data);
    WriteAll(fixture.path, data);
    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, fixture.path.c_str(), 0, 0, 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(SampleBytes(sample), fixture.decoded);
    AUSND_Sample_Free(sample);
}

TEST_F(AulosWav, MalformedHeadersFailWithAnError)
{
    const Fixture pcm = MakeWithSox("bad.wav", 1, "-e signed -b 16", 16);
    const Fixture ima = MakeWithSox("badima.wav", 1, "-e ima-adpcm", 16);
    const std::vector<uint8_t> pcmData = ReadAll(pcm.path);
    const std::vector<uint8_t> imaData = ReadAll(ima.path);
    const size_t pcmFmt = FindChunk(pcmData, "fmt ", false) + 8;
    const size_t imaFmt = FindChunk(imaData, "fmt ", false) + 8;
    const size_t pcmDataChunk = FindChunk(pcmData, "data", false);
    struct Case
    {
        const char* what;
        bool adpcm;
        size_t at; // 0: leave the bytes as they are
        uint32_t value;
        int bytes;
        size_t truncate; // keep only this many bytes, 0 for all
        int error;
    };
    const Case cases[] = {
        {"rate 0", false, pcmFmt + 4, 0, 4, 0, AUSND_ERR_FILE_BAD},
        {"block align 0", false, pcmFmt + 12, 0, 2, 0, AUSND_ERR_FILE_BAD},
        {"adpcm block align 0", true, imaFmt + 12, 0, 2, 0, AUSND_ERR_FILE_BAD},
        {"samples per block past the block", true, imaFmt + 18, 4000, 2, 0, AUSND_ERR_FILE_BAD},
        {"samples per block 0", true, imaFmt + 18, 0, 2, 0, AUSND_ERR_FILE_BAD},
        {"three channels", false, pcmFmt + 2, 3, 2, 0, AUSND_ERR_FILE_FORMAT},
        {"24 bits", false, pcmFmt + 14, 24, 2, 0, AUSND_ERR_FILE_FORMAT},
        {"MPEG tag", false, pcmFmt, 85, 2, 0, AUSND_ERR_FILE_FORMAT},
        {"huge fmt size", false, pcmFmt - 4, 0x7FFFFF00, 4, 0, AUSND_ERR_FILE_BAD},
        {"fmt too small", false, pcmFmt - 4, 8, 4, 0, AUSND_ERR_FILE_BAD},
        {"huge data size", false, pcmDataChunk + 4, 0x7FFFFF00, 4, 0, AUSND_ERR_FILE_BAD},
        {"truncated data", false, 0, 0, 0, pcmData.size() - 100, AUSND_ERR_FILE_BAD},
        {"truncated fmt", false, 0, 0, 0, pcmFmt + 6, AUSND_ERR_FILE_BAD},
        {"no RIFF", false, 0, 0, 2, 0, AUSND_ERR_FILE_FORMAT},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> data = c.adpcm ? imaData : pcmData;
        for (int i = 0; i < c.bytes && c.at; ++i)
            data[c.at + static_cast<size_t>(i)] = static_cast<uint8_t>(c.value >> (8 * i));
        if (std::strcmp(c.what, "no RIFF") == 0)
            data[0] = 'X';
        if (c.truncate)
            data.resize(c.truncate);
        const std::string path = Temp("malformed.wav");
        WriteAll(path, data);
        EXPECT_EQ(AUSND_Sample_Load(-1, path.c_str(), 0, 0, 0), nullptr) << c.what;
        EXPECT_EQ(AUSND_GetError(), c.error) << c.what;
    }

    // A cue count beyond its chunk.
    std::vector<uint8_t> data = pcmData;
    AppendId(data, "cue ");
    Append32LE(data, 28);
    Append32LE(data, 0x10000000);
    data.resize(data.size() + 24, 0);
    FixRiffSize(data);
    const std::string path = Temp("malformed.wav");
    WriteAll(path, data);
    AUSND_FILE* file = AUSND_File_Open(path.c_str(), AUSND_FILE_BUFFERED, 0);
    ASSERT_NE(file, nullptr);
    AUSND_SYNCLIST sync{};
    uint32_t offset = 0;
    EXPECT_FALSE(AUSND_Wav_ParseRIFF(file, nullptr, &offset, nullptr, nullptr, &sync, nullptr));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
    EXPECT_EQ(sync.count, 0);
    AUSND_File_Close(file);
}

TEST_F(AulosWav, UnknownFilesAndEmptyRawFilesAreRefused)
{
    const std::string text = Temp("text.txt");
    WriteAll(text, std::vector<uint8_t>(100, 'a'));
    EXPECT_EQ(AUSND_Sample_Load(-1, text.c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
    EXPECT_EQ(AUSND_Sample_Load(-1, Temp("missing").c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_NOTFOUND);
    const std::string empty = Temp("empty.raw");
    WriteAll(empty, {});
    EXPECT_EQ(AUSND_Sample_Load(-1, empty.c_str(), AUSND_LOADRAW, 0, 0), nullptr);
    EXPECT_NE(AUSND_GetError(), AUSND_ERR_NONE);
}

TEST_F(AulosWav, ForceMonoAndEightBitRequestsConvertTheLoadedData)
{
    const Fixture fixture = MakeWithSox("fm.wav", 2, "-e signed -b 16", 16);
    AUSND_SAMPLE* sample = AUSND_Sample_Load(5, fixture.path.c_str(), AUSND_FORCEMONO, 0, 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->index, 5);
    EXPECT_EQ(AUSND_Sample_Get(5), sample);
    EXPECT_TRUE(sample->mode & AUSND_MONO);
    const std::vector<uint8_t> bytes = SampleBytes(sample);
    ASSERT_EQ(bytes.size(), fixture.decoded.size() / 2);
    for (size_t i = 0; i < bytes.size() / 2; ++i)
    {
        const int l = static_cast<int16_t>(fixture.decoded[4 * i] | (fixture.decoded[4 * i + 1] << 8));
        const int r = static_cast<int16_t>(fixture.decoded[4 * i + 2] | (fixture.decoded[4 * i + 3] << 8));
        const int16_t mono = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        ASSERT_EQ(mono, (l + r) >> 1) << i;
    }
    AUSND_Sample_Free(sample);

    AUSND_SAMPLE* narrow = AUSND_Sample_Load(6, fixture.path.c_str(), AUSND_8BITS, 0, 0);
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(AUSND_Sample_Get(6), narrow);
    EXPECT_TRUE(narrow->mode & AUSND_8BITS);
    const std::vector<uint8_t> high = SampleBytes(narrow);
    ASSERT_EQ(high.size(), fixture.decoded.size() / 2);
    for (size_t i = 0; i < high.size(); ++i)
        ASSERT_EQ(high[i], fixture.decoded[2 * i + 1]) << i;
    AUSND_Sample_Free(narrow);
}

TEST_F(AulosWav, MemoryImageWithOffsetAndTagsLoads)
{
    const Fixture fixture = MakeWithSox("mem.wav", 1, "-e signed -b 16", 16);
    std::vector<uint8_t> image = ReadAll(fixture.path);
    // An ID3v2 tag in front of the file is stepped over.
    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    tag.resize(30, 0);
    image.insert(image.begin(), tag.begin(), tag.end());
    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, reinterpret_cast<const char*>(image.data()), AUSND_LOADMEMORY, 0,
                                             static_cast<int>(image.size()));
    ASSERT_NE(sample, nullptr) << AUSND_GetError();
    EXPECT_STREQ(AUSND_Sample_GetName(sample), "Memory file");
    EXPECT_EQ(SampleBytes(sample), fixture.decoded);
    AUSND_Sample_Free(sample);
}

namespace
{
std::vector<uint8_t>* g_pServed = nullptr;
size_t g_nServedAt = 0;
} // namespace

TEST_F(AulosWav, LoadsThroughTheCallersFileCallbacks)
{
    const Fixture fixture = MakeWithSox("callbacks.wav", 2, "-e signed -b 16", 16);
    std::vector<uint8_t> served = ReadAll(fixture.path);
    g_pServed = &served;
    AUSND_File_SetCallbacks(
        [](const char* name) -> void* { return std::strcmp(name, "sound:one") == 0 ? g_pServed : nullptr; },
        [](void*) {},
        [](void* buffer, int size, void*) {
            const size_t n = std::min(static_cast<size_t>(size), g_pServed->size() - g_nServedAt);
            std::memcpy(buffer, g_pServed->data() + g_nServedAt, n);
            g_nServedAt += n;
            return static_cast<int>(n);
        },
        [](void*, int pos, signed char origin) {
            const size_t base = origin == 0 ? 0 : (origin == 1 ? g_nServedAt : g_pServed->size());
            g_nServedAt = base + static_cast<size_t>(pos);
            return 0;
        },
        [](void*) { return static_cast<int>(g_nServedAt); });
    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, "sound:one", 0, 0, 0);
    AUSND_File_SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    g_pServed = nullptr;
    ASSERT_NE(sample, nullptr) << AUSND_GetError();
    EXPECT_EQ(SampleBytes(sample), fixture.decoded);
    AUSND_Sample_Free(sample);
}

TEST(AulosImaAdpcm, BlockDecodingCases)
{
    // A 256-byte mono block with 505 samples: the head and 504 codes.
    std::vector<uint8_t> block(512, 0x11);
    block[0] = 0x10;
    block[1] = 0x00;
    block[2] = 0;
    block[256 + 2] = 89; // the second block's index is bad
    std::vector<int16_t> out(1010, 12345);
    EXPECT_FALSE(AUSND_IMAAdpcm_DecodeM16(block.data(), out.data(), 2, 256, 505, 1));
    EXPECT_EQ(out[0], 16);
    EXPECT_NE(out[504], 12345);
    EXPECT_EQ(out[505], 12345); // the bad block wrote nothing

    // Code 8 at step index 0: a difference of -0 leaves the predictor.
    EXPECT_EQ(AUSND_IMAAdpcm_DecodeSample(8, 100, AUSND_IMAAdpcm_StepTab[0]), 100);
    EXPECT_EQ(AUSND_IMAAdpcm_DecodeSample(7, 32767, AUSND_IMAAdpcm_StepTab[88]), 32767);
    EXPECT_EQ(AUSND_IMAAdpcm_DecodeSample(15, -32768, AUSND_IMAAdpcm_StepTab[88]), -32768);
    EXPECT_EQ(AUSND_IMAAdpcm_NextStepIndex(7, 88), 88);
    EXPECT_EQ(AUSND_IMAAdpcm_NextStepIndex(0, 0), 0);
    EXPECT_FALSE(ValidStepIndex(89));

    EXPECT_TRUE(AUSND_IMAAdpcm_BlockFits(256, 505, 1));
    EXPECT_FALSE(AUSND_IMAAdpcm_BlockFits(256, 506, 1));
    EXPECT_TRUE(AUSND_IMAAdpcm_BlockFits(72, 64, 2));
    EXPECT_FALSE(AUSND_IMAAdpcm_BlockFits(72, 66, 2));
}

TEST(AulosIeeeExtended, ConvertsTheRatesOfAiffFiles)
{
    const uint8_t rate44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ConvertFromIeeeExtended(rate44100), 44100.0f);
    const uint8_t zero[10] = {};
    EXPECT_EQ(ConvertFromIeeeExtended(zero), 0.0f);
    const uint8_t negative[10] = {0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ConvertFromIeeeExtended(negative), -44100.0f);
    const uint8_t infinite[10] = {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ConvertFromIeeeExtended(infinite), 0.0f);
}

namespace
{
// An 8-bit AIFF at 44100 Hz of the given signed values (interleaved for stereo).
std::vector<uint8_t> EightBitAiff(const std::vector<int8_t>& values, int channels)
{
    std::vector<uint8_t> data;
    AppendId(data, "FORM");
    Append32BE(data, 0);
    AppendId(data, "AIFF");
    AppendId(data, "COMM");
    Append32BE(data, 18);
    Append16BE(data, static_cast<uint16_t>(channels));
    Append32BE(data, static_cast<uint32_t>(values.size() / static_cast<size_t>(channels)));
    Append16BE(data, 8);
    const uint8_t rate44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    data.insert(data.end(), rate44100, rate44100 + 10);
    AppendId(data, "SSND");
    Append32BE(data, static_cast<uint32_t>(8 + values.size()));
    Append32BE(data, 0);
    Append32BE(data, 0);
    for (int8_t v : values)
        data.push_back(static_cast<uint8_t>(v));
    if (values.size() & 1)
        data.push_back(0);
    FixFormSize(data);
    return data;
}

// Mixes until the capture holds the frames (or a bound of blocks passes).
void MixUntilCaptured(int frames)
{
    unsigned int captured = 0;
    for (int i = 0; i < 1000 && AUSND_Capture_GetData(&captured) && captured < static_cast<unsigned int>(frames); ++i)
        AUSND_Update();
}

// What the capture holds of an 8-bit value played at full gain on both sides.
int16_t EightBitAtFullGain(int8_t value)
{
    return static_cast<int16_t>((value * 256 * 255) >> 8);
}
} // namespace

// AIFF's 8-bit frames are signed: a loaded sample and a stream of the same
// file play the file's values, a rising ramp, as they are.
TEST_F(AulosWav, EightBitAiffPlaysItsSignedValuesLoadedAndStreamed)
{
    const int frames = 30000; // several of the stream's half buffers
    for (const int channels : {1, 2})
    {
        SCOPED_TRACE(channels == 1 ? "mono" : "stereo");
        std::vector<int8_t> ramp;
        for (int i = 0; i < frames; ++i)
        {
            const int8_t rising = static_cast<int8_t>(i % 256 - 128);
            ramp.push_back(rising);
            if (channels == 2)
                ramp.push_back(static_cast<int8_t>(-1 - rising)); // falling on the right
        }
        const std::string path = Temp("ramp8_" + std::to_string(channels) + ".aiff");
        WriteAll(path, EightBitAiff(ramp, channels));
        auto expect = [&](const char* how) {
            const std::vector<int16_t> captured = Captured();
            ASSERT_GE(captured.size(), static_cast<size_t>(frames) * 2) << how;
            for (int i = 0; i < frames; ++i)
            {
                const size_t at = static_cast<size_t>(i) * static_cast<size_t>(channels);
                const int16_t left = EightBitAtFullGain(ramp[at]);
                const int16_t right = EightBitAtFullGain(ramp[at + static_cast<size_t>(channels) - 1]);
                ASSERT_EQ(captured[2 * static_cast<size_t>(i)], left) << how << " frame " << i;
                ASSERT_EQ(captured[2 * static_cast<size_t>(i) + 1], right) << how << " frame " << i;
            }
        };

        AUSND_Capture_Clear();
        AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, path.c_str(), AUSND_2D, 0, 0);
        ASSERT_NE(sample, nullptr) << AUSND_GetError();
        const int channel = AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, sample, nullptr, true);
        ASSERT_GE(channel, 0);
        ASSERT_TRUE(AUSND_SetPan(channel, -1));
        ASSERT_TRUE(AUSND_SetPaused(channel, false));
        MixUntilCaptured(frames);
        expect("loaded");
        AUSND_Sample_Free(sample);

        AUSND_Capture_Clear();
        AUSND_STREAM* stream = AUSND_Stream_Open(path.c_str(), AUSND_2D, 0, 0);
        ASSERT_NE(stream, nullptr) << AUSND_GetError();
        const int streamchannel = AUSND_Stream_PlayEx(AUSND_CHANNEL_FREE, stream, nullptr, true);
        ASSERT_GE(streamchannel, 0);
        ASSERT_TRUE(AUSND_SetPan(streamchannel, -1));
        ASSERT_TRUE(AUSND_SetPaused(streamchannel, false));
        MixUntilCaptured(frames);
        expect("streamed");
        EXPECT_TRUE(AUSND_Stream_Close(stream));
    }
}
