// The MPEG audio reader: headers, frame search, length (Xing/Info and
// scanned), seeking through the frame table, cut files, refused frames and
// loading into samples. Files come from lame (a test-only tool).
#include "aulos/ausnd_device.h"
#include "aulos/ausnd_stream.h"
#include "aulos/format_mpeg.h"
#include "aulos/format_mpeg_internal.h"
#include "tests/aulos/AulosTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

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
    // Per process: ctest runs the cases of a suite side by side.
    return ::testing::TempDir() + "aulos_mpegreader_" + std::to_string(getpid()) + "_" + name;
}

// An MP3 made by lame from a 2-second tone with noise (raw input, 44.1 kHz).
std::vector<uint8_t> Encode(const std::string& name, const std::string& options, int channels = 2)
{
    std::vector<uint8_t> raw;
    uint32_t noise = 3;
    for (int i = 0; i < 88200; ++i)
        for (int c = 0; c < channels; ++c)
        {
            noise = noise * 1664525u + 1013904223u;
            const int v = static_cast<int>(12000.0 * std::sin(i * 0.03 * (c + 1))) + static_cast<int>(noise >> 20) -
                          2048;
            raw.push_back(static_cast<uint8_t>(v & 0xFF));
            raw.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        }
    const std::string in = Temp(name + ".raw");
    const std::string out = Temp(name);
    WriteAll(in, raw);
    const std::string command = "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m " +
                                std::string(channels == 1 ? "m " : "j ") + options + " " + in + " " + out +
                                " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadAll(out);
}

struct Opened
{
    bool ok = false;
    uint32_t mode = 0;
    int rate = 0;
    uint32_t dataLength = 0;
    uint32_t pcmBytes = 0;
    uint32_t dataOffset = 0;
    uint32_t lengthMs = 0;
    AUSND_MPEG* mp = nullptr;
    AUSND_MPEGOFFSETS table{nullptr, 0, 0};

    ~Opened()
    {
        AUSND_Mpeg_Close(mp);
        AUSND_Mpeg_FreeOffsets(&table);
    }
};

void Open(const std::vector<uint8_t>& data, uint32_t mode, Opened& o)
{
    AUSND_FILE* file = AUSND_File_Open(reinterpret_cast<const char*>(data.data()), AUSND_FILE_MEMORY,
                                       static_cast<int>(data.size()));
    ASSERT_NE(file, nullptr);
    o.mode = mode;
    int block = 0;
    o.ok = AUSND_Mpeg_Open(file, &o.mode, &o.rate, &o.dataLength, &o.pcmBytes, &o.mp, &block, &o.dataOffset,
                           &o.lengthMs, &o.table, nullptr, nullptr);
    AUSND_File_Close(file);
}

// Decodes frames `from` onwards through the offset table, after a reset as
// a stream does after a seek.
std::vector<int16_t> DecodeFrom(const std::vector<uint8_t>& data, Opened& o, int from)
{
    std::vector<int16_t> pcm;
    AUSND_Mpeg_ResetFrame(o.mp);
    for (int k = from; k < o.table.count; ++k)
    {
        const uint32_t at = o.dataOffset + o.table.offsets[k];
        int16_t out[2304];
        uint32_t bytes = 0;
        EXPECT_TRUE(AUSND_Mpeg_DecodeFrame(o.mp, data.data() + at, static_cast<uint32_t>(data.size() - at), out,
                                           &bytes));
        pcm.insert(pcm.end(), out, out + bytes / 2);
    }
    return pcm;
}

class MpegReader : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        AUSND_Mpeg_Init();
        s_cbr = Encode("cbr128.mp3", "-b 128");
        s_vbr = Encode("vbr.mp3", "-V 4");
    }
    static std::vector<uint8_t> s_cbr;
    static std::vector<uint8_t> s_vbr;
};
std::vector<uint8_t> MpegReader::s_cbr;
std::vector<uint8_t> MpegReader::s_vbr;

struct HeaderCase
{
    const char* what;
    uint8_t bytes[4];
    bool accepted;
    int rate;
    int channels;
    int frameSize; // body bytes after the header
};
} // namespace

TEST_F(MpegReader, HeadersGiveRateChannelsAndFrameSize)
{
    const HeaderCase cases[] = {
        {"MPEG-1 L3 128k 44.1 stereo", {0xFF, 0xFB, 0x90, 0x00}, true, 44100, 2, 413},
        {"same with padding", {0xFF, 0xFB, 0x92, 0x00}, true, 44100, 2, 414},
        {"MPEG-1 L3 mono 48k 320k", {0xFF, 0xFB, 0xE4, 0xC0}, true, 48000, 1, 956},
        {"MPEG-2 L3 24k 22.05", {0xFF, 0xF3, 0x30, 0x40}, true, 22050, 2, 74},
        {"MPEG-2.5 L3 8k 8 kbit/s", {0xFF, 0xE3, 0x18, 0xC0}, true, 8000, 1, 68},
        {"MPEG-1 L2 192k 48", {0xFF, 0xFD, 0xA4, 0x00}, true, 48000, 2, 572},
        {"bitrate index 15", {0xFF, 0xFB, 0xF0, 0x00}, false, 0, 0, 0},
        {"free format", {0xFF, 0xFB, 0x00, 0x00}, false, 0, 0, 0},
        {"layer I", {0xFF, 0xFF, 0x90, 0x00}, false, 0, 0, 0},
        {"reserved layer", {0xFF, 0xF9, 0x90, 0x00}, false, 0, 0, 0},
        {"sampling bits 3", {0xFF, 0xFB, 0x9C, 0x00}, false, 0, 0, 0},
        {"no sync", {0xFF, 0x1B, 0x90, 0x00}, false, 0, 0, 0},
        // Layer II at 8 kHz and 160 kbit/s would need a 2876-byte body.
        {"L2 body beyond the frame area", {0xFF, 0xE5, 0xE8, 0x00}, false, 0, 0, 0},
    };
    for (const HeaderCase& c : cases)
    {
        AUSND_MPEG* mp = AUSND_Mpeg_Alloc();
        int rate = 0;
        int channels = 0;
        int size = 0;
        EXPECT_EQ(AUSND_Mpeg_DecodeHeader(mp, c.bytes, &rate, &channels, &size), c.accepted) << c.what;
        if (c.accepted)
        {
            EXPECT_EQ(rate, c.rate) << c.what;
            EXPECT_EQ(channels, c.channels) << c.what;
            EXPECT_EQ(size, c.frameSize) << c.what;
        }
        AUSND_Mpeg_Close(mp);
    }
}

TEST_F(MpegReader, LayerChangeInsideAStreamIsRefused)
{
    AUSND_MPEG* mp = AUSND_Mpeg_Alloc();
    const uint8_t layer3[4] = {0xFF, 0xFB, 0x90, 0x00};
    const uint8_t layer2[4] = {0xFF, 0xFD, 0xA4, 0x00};
    EXPECT_TRUE(AUSND_Mpeg_DecodeHeader(mp, layer3, nullptr, nullptr, nullptr));
    EXPECT_FALSE(AUSND_Mpeg_DecodeHeader(mp, layer2, nullptr, nullptr, nullptr));
    AUSND_Mpeg_ResetLayer(mp);
    EXPECT_TRUE(AUSND_Mpeg_DecodeHeader(mp, layer2, nullptr, nullptr, nullptr));
    AUSND_Mpeg_Close(mp);
}

TEST_F(MpegReader, LengthFromXingHeaderMatchesTheScan)
{
    Opened estimated;
    Open(s_vbr, 0, estimated);
    ASSERT_TRUE(estimated.ok);
    Opened exact;
    Open(s_vbr, AUSND_MPEGACCURATE, exact);
    ASSERT_TRUE(exact.ok);
    EXPECT_EQ(estimated.pcmBytes, exact.pcmBytes);
    EXPECT_EQ(exact.pcmBytes, static_cast<uint32_t>(exact.table.count) * 4608u);
    // lame pads 2 s of audio to whole frames plus its delay.
    EXPECT_GE(exact.pcmBytes, 88200u * 4u);
    EXPECT_LT(exact.pcmBytes, 88200u * 4u + 4u * 4608u);
    EXPECT_EQ(exact.rate, 44100);
    EXPECT_EQ(exact.mode & (AUSND_16BITS | AUSND_SIGNED | AUSND_STEREO),
              static_cast<uint32_t>(AUSND_16BITS | AUSND_SIGNED | AUSND_STEREO));
    EXPECT_EQ(exact.lengthMs, exact.pcmBytes / 4u * 1000u / 44100u);
    // The decoded length is what the scan counted.
    EXPECT_EQ(DecodeFrom(s_vbr, exact, 0).size() * 2u, exact.pcmBytes);
}

TEST_F(MpegReader, EstimateWithoutXingUsesTheFirstFrame)
{
    // Turn the Info tag into plain audio-frame bytes: the estimate then comes
    // from the first frame's size alone.
    std::vector<uint8_t> data = s_cbr;
    const auto at = std::search(data.begin(), data.begin() + 100, std::begin("Info"), std::end("Info") - 1);
    ASSERT_NE(at, data.begin() + 100);
    std::fill(at, at + 4, uint8_t{0});
    Opened o;
    Open(data, 0, o);
    ASSERT_TRUE(o.ok);
    const float expected = 4608.0f / 418.0f * static_cast<float>(data.size());
    EXPECT_NEAR(static_cast<float>(o.pcmBytes), expected, expected * 0.001f);
}

TEST_F(MpegReader, FrameSearchSkipsGarbageAndLoneHeaders)
{
    Opened plain;
    Open(s_cbr, AUSND_MPEGACCURATE, plain);
    ASSERT_TRUE(plain.ok);
    const std::vector<int16_t> reference = DecodeFrom(s_cbr, plain, 0);

    std::vector<uint8_t> garbage(3000);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(i * 7 + 1);
    // A valid-looking header that no second frame follows.
    const uint8_t lone[4] = {0xFF, 0xFB, 0x90, 0x00};
    std::memcpy(garbage.data() + 100, lone, 4);
    std::vector<uint8_t> data = garbage;
    data.insert(data.end(), s_cbr.begin(), s_cbr.end());
    Opened o;
    Open(data, AUSND_MPEGACCURATE, o);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.dataOffset, garbage.size());
    EXPECT_EQ(o.pcmBytes, plain.pcmBytes);
    EXPECT_EQ(DecodeFrom(data, o, 0), reference);

    // Beyond the search window nothing is found.
    std::vector<uint8_t> far(5000, 0x11);
    far.insert(far.end(), s_cbr.begin(), s_cbr.end());
    Opened none;
    Open(far, 0, none);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(AUSND_ErrorNo, AUSND_ERR_FILE_FORMAT);
}

TEST_F(MpegReader, SeekingResumesExactOutputAfterTheFilterSettles)
{
    Opened o;
    Open(s_cbr, AUSND_MPEGACCURATE, o);
    ASSERT_TRUE(o.ok);
    const std::vector<int16_t> full = DecodeFrom(s_cbr, o, 0);
    const int start = 20;
    const std::vector<int16_t> resumed = DecodeFrom(s_cbr, o, start);
    ASSERT_EQ(resumed.size(), full.size() - static_cast<size_t>(start) * 2304u);
    // Main data from before the seek is missing for a frame or two, and the
    // overlap and synthesis state need one more: from the fourth frame on the
    // output is exact.
    const size_t settle = 3 * 2304;
    EXPECT_TRUE(std::equal(resumed.begin() + settle, resumed.end(),
                           full.begin() + static_cast<long>(start) * 2304 + static_cast<long>(settle)));
}

TEST_F(MpegReader, FileCutMidFramePlaysUpToTheCut)
{
    Opened o;
    Open(s_cbr, AUSND_MPEGACCURATE, o);
    ASSERT_TRUE(o.ok);
    const std::vector<int16_t> full = DecodeFrom(s_cbr, o, 0);
    const uint32_t cut = o.dataOffset + o.table.offsets[30] + 200;
    const std::vector<uint8_t> data(s_cbr.begin(), s_cbr.begin() + cut);
    Opened c;
    Open(data, AUSND_MPEGACCURATE, c);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.table.count, 30); // the audio frames wholly before the cut
    const std::vector<int16_t> part = DecodeFrom(data, c, 0);
    ASSERT_EQ(part.size(), 30u * 2304u);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), full.begin()));
}

TEST_F(MpegReader, CorruptSideInformationIsRefused)
{
    Opened o;
    Open(s_cbr, AUSND_MPEGACCURATE, o);
    ASSERT_TRUE(o.ok);
    ASSERT_GT(o.table.count, 10);
    const uint32_t at = o.dataOffset + o.table.offsets[5];
    struct Field
    {
        int bitOffset; // in the side information of an MPEG-1 stereo frame
        int bits;
        uint32_t value;
    };
    struct Corruption
    {
        const char* what;
        Field fields[4];
    };
    // Granule info starts at bits 20, 79, 138 and 197: part 2/3 length (12
    // bits), big values (9) at +12, window switching at +33, block type at +34.
    const Corruption cases[] = {
        {"big values 289", {{32, 9, 289}}},
        {"big values 289 in the last granule", {{209, 9, 289}}},
        {"part 2 and 3 beyond the data present", {{20, 12, 4095}, {79, 12, 4095}, {138, 12, 4095}, {197, 12, 4095}}},
        {"window switching with block type 0", {{53, 3, 4}}},
    };
    for (const Corruption& c : cases)
    {
        std::vector<uint8_t> frame(s_cbr.begin() + at, s_cbr.begin() + at + 418);
        for (const Field& f : c.fields)
            for (int b = 0; b < f.bits; ++b)
            {
                const int bit = 32 + f.bitOffset + b;
                const uint8_t mask = static_cast<uint8_t>(0x80 >> (bit & 7));
                if ((f.value >> (f.bits - 1 - b)) & 1)
                    frame[static_cast<size_t>(bit / 8)] |= mask;
                else
                    frame[static_cast<size_t>(bit / 8)] &= static_cast<uint8_t>(~mask);
            }
        // The frames before it fill the reservoir.
        AUSND_Mpeg_ResetFrame(o.mp);
        int16_t out[2304];
        uint32_t bytes = 99;
        for (int k = 0; k < 5; ++k)
        {
            const uint32_t earlier = o.dataOffset + o.table.offsets[k];
            ASSERT_TRUE(AUSND_Mpeg_DecodeFrame(o.mp, s_cbr.data() + earlier, 418, out, &bytes));
        }
        EXPECT_FALSE(AUSND_Mpeg_DecodeFrame(o.mp, frame.data(), static_cast<uint32_t>(frame.size()), out, &bytes))
            << c.what;
        EXPECT_EQ(bytes, 0u) << c.what;
    }
    // A frame longer than the bytes given is refused without reading them.
    int16_t out[2304];
    uint32_t bytes = 0;
    EXPECT_FALSE(AUSND_Mpeg_DecodeFrame(o.mp, s_cbr.data() + at, 100, out, &bytes));
}

TEST_F(MpegReader, FirstFrameAfterResetStillGivesAFullFrame)
{
    Opened o;
    Open(s_cbr, AUSND_MPEGACCURATE, o);
    ASSERT_TRUE(o.ok);
    // Find a frame whose main data begins in an earlier frame.
    for (int k = 1; k < o.table.count; ++k)
    {
        const uint8_t* frame = s_cbr.data() + o.dataOffset + o.table.offsets[k];
        const int mainDataBegin = (frame[4] << 1) | (frame[5] >> 7);
        if (mainDataBegin == 0)
            continue;
        AUSND_Mpeg_ResetFrame(o.mp);
        int16_t out[2304];
        uint32_t bytes = 0;
        EXPECT_TRUE(AUSND_Mpeg_DecodeFrame(o.mp, frame, 418, out, &bytes));
        EXPECT_EQ(bytes, 4608u);
        return;
    }
    FAIL() << "no frame used the reservoir";
}

class MpegLoading : public CaptureDevice
{
};

TEST_F(MpegLoading, MonoAndStereoFilesLoadAsSamplesWithTags)
{
    const std::vector<uint8_t> mono = Encode("mono.mp3", "-b 64 --id3v2-only --tt Title", 1);
    const std::string path = Temp("tagged_mono.mp3");
    // A trailing ID3v1 tag, too.
    std::vector<uint8_t> data = mono;
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    data.insert(data.end(), tag.begin(), tag.end());
    WriteAll(path, data);
    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, path.c_str(), 0, 0, 0);
    ASSERT_NE(sample, nullptr) << AUSND_GetError();
    int rate = 0;
    AUSND_Sample_GetDefaults(sample, &rate, nullptr, nullptr, nullptr);
    const unsigned int mode = AUSND_Sample_GetMode(sample);
    EXPECT_EQ(rate, 44100);
    EXPECT_TRUE(mode & AUSND_MONO);
    const unsigned int length = AUSND_Sample_GetLength(sample);
    EXPECT_EQ(length % 1152, 0u);
    EXPECT_GE(length, 88200u);
    AUSND_Sample_Free(sample);

    const std::string text = Temp("not_audio.mp3");
    WriteAll(text, std::vector<uint8_t>(20000, 0x41));
    EXPECT_EQ(AUSND_Sample_Load(-1, text.c_str(), 0, 0, 0), nullptr);
}

TEST_F(MpegLoading, RiffWrappedMp3LoadsLikeTheRawFile)
{
    const std::vector<uint8_t> mp3 = Encode("riff_inner.mp3", "-b 96");
    std::vector<uint8_t> riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 30, 0, 0, 0};
    const uint8_t fmt[30] = {85, 0, 2, 0, 0x44, 0xAC, 0, 0, 0xB8, 0x2E, 0, 0, 1, 0, 0, 0, 12, 0};
    riff.insert(riff.end(), fmt, fmt + 30);
    riff.insert(riff.end(), {'d', 'a', 't', 'a'});
    for (int i = 0; i < 4; ++i)
        riff.push_back(static_cast<uint8_t>(mp3.size() >> (8 * i)));
    riff.insert(riff.end(), mp3.begin(), mp3.end());
    const uint32_t riffSize = static_cast<uint32_t>(riff.size() - 8);
    for (int i = 0; i < 4; ++i)
        riff[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(riffSize >> (8 * i));
    const std::string rawPath = Temp("plain.mp3");
    const std::string riffPath = Temp("wrapped.wav");
    WriteAll(rawPath, mp3);
    WriteAll(riffPath, riff);
    AUSND_SAMPLE* plain = AUSND_Sample_Load(-1, rawPath.c_str(), 0, 0, 0);
    AUSND_SAMPLE* wrapped = AUSND_Sample_Load(-1, riffPath.c_str(), 0, 0, 0);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(wrapped, nullptr) << AUSND_GetError();
    EXPECT_EQ(AUSND_Sample_GetLength(wrapped), AUSND_Sample_GetLength(plain));
    AUSND_Sample_Free(plain);
    AUSND_Sample_Free(wrapped);
}

namespace
{
bool OnStreamEnd(AUSND_STREAM*, void*, int, void* user)
{
    ++*static_cast<int*>(user);
    return true;
}
} // namespace

TEST_F(MpegLoading, StreamsPlayLikeTheLoadedSampleAndSeekExactly)
{
    const std::vector<uint8_t> mp3 = Encode("stream.mp3", "-b 112");
    const std::string path = Temp("stream.mp3");
    WriteAll(path, mp3);
    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, path.c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(sample, nullptr);
    const unsigned int frames = AUSND_Sample_GetLength(sample);
    std::vector<int16_t> decoded(frames * 2);
    void* p1 = nullptr;
    void* p2 = nullptr;
    unsigned int l1 = 0;
    unsigned int l2 = 0;
    ASSERT_TRUE(AUSND_Sample_Lock(sample, 0, static_cast<int>(frames * 4), &p1, &p2, &l1, &l2));
    std::memcpy(decoded.data(), p1, frames * 4);
    AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
    AUSND_Sample_Free(sample);

    AUSND_STREAM* stream = AUSND_Stream_Open(path.c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(stream, nullptr) << AUSND_GetError();
    EXPECT_EQ(AUSND_Stream_GetLengthMs(stream), frames * 1000u / 44100u);
    int ends = 0;
    AUSND_Stream_SetEndCallback(stream, OnStreamEnd, &ends);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    for (int i = 0; i < 400 && ends == 0; ++i)
        AUSND_Update();
    EXPECT_EQ(ends, 1);
    std::vector<int16_t> captured = Captured();
    ASSERT_GE(captured.size(), decoded.size());
    for (size_t i = 0; i < decoded.size(); ++i)
        ASSERT_EQ(captured[i], FullGain(decoded[i])) << "value " << i;

    // A reposition decodes a few frames ahead of the target, so the data is exact at once.
    AUSND_Capture_Clear();
    ASSERT_TRUE(AUSND_Stream_SetPCM(stream, 30000));
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    MixBlocks(20);
    captured = Captured();
    ASSERT_GE(captured.size(), 20000u);
    for (size_t i = 0; i < 20000; ++i)
        ASSERT_EQ(captured[i], FullGain(decoded[60000 + i])) << "value " << i;
    AUSND_Stream_Close(stream);
}

TEST(MpegOutput, SumsClipThenTruncateTowardZero)
{
    const struct
    {
        float sum;
        int16_t expected;
    } cases[] = {{0.9f, 0},          {-0.9f, 0},           {1.5f, 1},          {-1.5f, -1},
                 {32767.5f, 32767},   {40000.0f, 32767},     {-32768.5f, -32768}, {-1e9f, -32768},
                 {HUGE_VALF, 32767}, {-HUGE_VALF, -32768}, {NAN, -32768}};
    for (const auto& c : cases)
        EXPECT_EQ(AUSND_Mpeg_ToPCM(c.sum), c.expected) << c.sum;
}

TEST(MpegBits, ReadsMatchBitByBitUpToTheEndAndZerosPastIt)
{
    // 11 bytes: the last 7 go through the byte-wise path of the reader.
    const uint8_t data[11] = {0xA5, 0x3C, 0xFF, 0x00, 0x81, 0x7E, 0x12, 0x34, 0x56, 0x78, 0x9B};
    auto bit = [&](uint32_t at) { return at < 88 ? (data[at >> 3] >> (7 - (at & 7))) & 1u : 0u; };
    for (int width : {1, 5, 9, 13, 19, 32})
    {
        MpegBitReader bits;
        bits.Start(data, sizeof(data));
        for (uint32_t at = 0; at < 100; at += static_cast<uint32_t>(width))
        {
            uint32_t expected = 0;
            for (int i = 0; i < width; ++i)
                expected = (expected << 1) | bit(at + static_cast<uint32_t>(i));
            ASSERT_EQ(bits.Read(width), expected) << "width " << width << " at bit " << at;
        }
        EXPECT_TRUE(bits.Overrun());
    }
}
