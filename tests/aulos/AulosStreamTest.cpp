// Streams through the capture output: WAV and AIFF streams reproduce their
// data, loops, loop points, seeks, the end callback and sync points.
#include "aulos/ausnd_stream.h"
#include "tests/aulos/AulosTestSupport.h"

#include <cmath>
#include <cstring>
#include <string>

namespace
{
void Append32LE(std::vector<uint8_t>& d, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Append16LE(std::vector<uint8_t>& d, uint16_t v)
{
    d.push_back(static_cast<uint8_t>(v));
    d.push_back(static_cast<uint8_t>(v >> 8));
}

void Append32BE(std::vector<uint8_t>& d, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        d.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Append16BE(std::vector<uint8_t>& d, uint16_t v)
{
    d.push_back(static_cast<uint8_t>(v >> 8));
    d.push_back(static_cast<uint8_t>(v));
}

void AppendId(std::vector<uint8_t>& d, const char* id)
{
    d.insert(d.end(), id, id + 4);
}

// Interleaved stereo values: a different pattern on each side, no frame alike.
std::vector<int16_t> Signal(int frames)
{
    std::vector<int16_t> v;
    v.reserve(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i)
    {
        v.push_back(static_cast<int16_t>(std::lround(12000.0 * std::sin(i * 0.013)) + (i % 97)));
        v.push_back(static_cast<int16_t>(static_cast<int>((i * 37) % 20000) - 10000));
    }
    return v;
}

std::vector<uint8_t> StereoWav(const std::vector<int16_t>& values)
{
    std::vector<uint8_t> d;
    AppendId(d, "RIFF");
    Append32LE(d, static_cast<uint32_t>(36 + values.size() * 2));
    AppendId(d, "WAVE");
    AppendId(d, "fmt ");
    Append32LE(d, 16);
    Append16LE(d, 1);
    Append16LE(d, 2);
    Append32LE(d, 44100);
    Append32LE(d, 44100 * 4);
    Append16LE(d, 4);
    Append16LE(d, 16);
    AppendId(d, "data");
    Append32LE(d, static_cast<uint32_t>(values.size() * 2));
    for (int16_t v : values)
        Append16LE(d, static_cast<uint16_t>(v));
    return d;
}

std::vector<uint8_t> StereoAiff(const std::vector<int16_t>& values)
{
    std::vector<uint8_t> d;
    AppendId(d, "FORM");
    Append32BE(d, 0);
    AppendId(d, "AIFF");
    AppendId(d, "COMM");
    Append32BE(d, 18);
    Append16BE(d, 2);
    Append32BE(d, static_cast<uint32_t>(values.size() / 2));
    Append16BE(d, 16);
    const uint8_t rate44100[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    d.insert(d.end(), rate44100, rate44100 + 10);
    AppendId(d, "SSND");
    Append32BE(d, static_cast<uint32_t>(8 + values.size() * 2));
    Append32BE(d, 0);
    Append32BE(d, 0);
    for (int16_t v : values)
        Append16BE(d, static_cast<uint16_t>(v));
    const uint32_t form = static_cast<uint32_t>(d.size() - 8);
    for (int i = 0; i < 4; ++i)
        d[4 + i] = static_cast<uint8_t>(form >> (8 * (3 - i)));
    return d;
}

struct EndCount
{
    int calls = 0;
    unsigned int capturedAt = 0;
};

bool OnEnd(AUSND_STREAM*, void*, int, void* user)
{
    EndCount* count = static_cast<EndCount*>(user);
    ++count->calls;
    AUSND_Capture_GetData(&count->capturedAt);
    return true;
}

class AulosStream : public CaptureDevice
{
protected:
    AUSND_STREAM* OpenMemory(const std::vector<uint8_t>& file, unsigned int mode = 0)
    {
        m_File = file;
        return AUSND_Stream_Open(reinterpret_cast<const char*>(m_File.data()),
                                 AUSND_LOADMEMORY | AUSND_2D | mode, 0, static_cast<int>(m_File.size()));
    }

    // Mixes until the end callback has fired (or a bound of blocks passes).
    static void PlayToEnd(const EndCount& count, int bound)
    {
        for (int i = 0; i < bound && count.calls == 0; ++i)
            AUSND_Update();
    }

    // The captured frames from `at` equal the values (at full gain).
    static void ExpectFrames(const std::vector<int16_t>& captured, size_t at, const std::vector<int16_t>& values,
                             size_t first, size_t count)
    {
        ASSERT_GE(captured.size(), (at + count) * 2);
        for (size_t i = 0; i < count * 2; ++i)
        {
            ASSERT_EQ(captured[at * 2 + i], FullGain(values[first * 2 + i])) << "value " << i;
        }
    }

    std::vector<uint8_t> m_File;
};

TEST_F(AulosStream, WavAndAiffStreamsReproduceTheirDataAndEndOnce)
{
    const std::vector<int16_t> values = Signal(100000); // several half buffers
    for (const bool aiff : {false, true})
    {
        SCOPED_TRACE(aiff ? "AIFF" : "WAV");
        AUSND_Capture_Clear();
        AUSND_STREAM* stream = OpenMemory(aiff ? StereoAiff(values) : StereoWav(values));
        ASSERT_NE(stream, nullptr) << AUSND_GetError();
        EXPECT_EQ(AUSND_Stream_GetLengthMs(stream), (100000 * 1000 + 999) / 44100);
        EndCount ends;
        ASSERT_TRUE(AUSND_Stream_SetEndCallback(stream, OnEnd, &ends));
        ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
        PlayToEnd(ends, 400);
        EXPECT_EQ(ends.calls, 1);
        EXPECT_GE(ends.capturedAt, 100000u); // only after the data has played
        MixBlocks(100);
        EXPECT_EQ(ends.calls, 1);
        const std::vector<int16_t> captured = Captured();
        ExpectFrames(captured, 0, values, 0, 100000);
        EXPECT_EQ(captured[100000 * 2], 0); // silence after the data
        EXPECT_TRUE(AUSND_Stream_Close(stream));
    }
}

TEST_F(AulosStream, TagQueriesAnswerFromTheFieldsReadAtOpen)
{
    std::vector<uint8_t> file = StereoWav(Signal(1000));
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(tag.data() + 3, "Dig Song", 8);
    std::memcpy(tag.data() + 33, "Vuru", 4);
    std::memcpy(tag.data() + 93, "1921", 4);
    file.insert(file.end(), tag.begin(), tag.end());

    AUSND_STREAM* stream = OpenMemory(file);
    ASSERT_NE(stream, nullptr) << AUSND_GetError();
    int count = 0;
    ASSERT_TRUE(AUSND_Stream_GetNumTagFields(stream, &count));
    EXPECT_EQ(count, 4); // title, artist, year and the genre, always there
    int type = -1;
    char* name = nullptr;
    void* value = nullptr;
    int length = 0;
    ASSERT_TRUE(AUSND_Stream_GetTagField(stream, 1, &type, &name, &value, &length));
    EXPECT_EQ(type, 1);
    EXPECT_STREQ(name, "ARTIST");
    EXPECT_STREQ(static_cast<const char*>(value), "Vuru");
    EXPECT_FALSE(AUSND_Stream_GetTagField(stream, count, &type, &name, &value, &length));
    EXPECT_EQ(AUSND_GetError(), 0) << "past the last field is no error";

    EXPECT_TRUE(AUSND_Stream_FindTagField(stream, 2, "YEAR", &value, &length)) << "any type";
    EXPECT_STREQ(static_cast<const char*>(value), "1921");
    EXPECT_FALSE(AUSND_Stream_FindTagField(stream, -1, "year", &value, &length)) << "names are exact";
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_TRUE(AUSND_Stream_Close(stream));

    stream = OpenMemory(StereoWav(Signal(1000)));
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(AUSND_Stream_GetNumTagFields(stream, &count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(AUSND_Stream_GetTagField(stream, 0, &type, &name, &value, &length));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM) << "a stream without tags";
    EXPECT_TRUE(AUSND_Stream_Close(stream));
}

TEST_F(AulosStream, AStreamShorterThanHalfTheBufferPlaysOnce)
{
    const std::vector<int16_t> values = Signal(3000);
    AUSND_STREAM* stream = OpenMemory(StereoWav(values));
    ASSERT_NE(stream, nullptr);
    EndCount ends;
    AUSND_Stream_SetEndCallback(stream, OnEnd, &ends);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    PlayToEnd(ends, 200);
    MixBlocks(50);
    EXPECT_EQ(ends.calls, 1);
    const std::vector<int16_t> captured = Captured();
    ExpectFrames(captured, 0, values, 0, 3000);
    for (size_t i = 3000 * 2; i < captured.size(); ++i)
        ASSERT_EQ(captured[i], 0) << i;
    AUSND_Stream_Close(stream);
}

TEST_F(AulosStream, LoopCountAndLoopPointsRepeatTheData)
{
    const std::vector<int16_t> values = Signal(30000);
    {
        AUSND_STREAM* stream = OpenMemory(StereoWav(values), AUSND_LOOP_NORMAL);
        ASSERT_NE(stream, nullptr);
        ASSERT_TRUE(AUSND_Stream_SetLoopCount(stream, 2));
        EndCount ends;
        AUSND_Stream_SetEndCallback(stream, OnEnd, &ends);
        ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
        PlayToEnd(ends, 400);
        EXPECT_EQ(ends.calls, 1);
        const std::vector<int16_t> captured = Captured();
        for (size_t pass = 0; pass < 3; ++pass)
            ExpectFrames(captured, pass * 30000, values, 0, 30000);
        EXPECT_EQ(captured[90000 * 2], 0);
        AUSND_Stream_Close(stream);
    }
    {
        AUSND_Capture_Clear();
        AUSND_STREAM* stream = OpenMemory(StereoWav(values), AUSND_LOOP_NORMAL);
        ASSERT_NE(stream, nullptr);
        EXPECT_FALSE(AUSND_Stream_SetLoopPoints(stream, 20000, 10000));
        EXPECT_FALSE(AUSND_Stream_SetLoopPoints(stream, 0, 30000));
        ASSERT_TRUE(AUSND_Stream_SetLoopPoints(stream, 5000, 12000));
        ASSERT_TRUE(AUSND_Stream_SetLoopCount(stream, 1));
        EndCount ends;
        AUSND_Stream_SetEndCallback(stream, OnEnd, &ends);
        ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
        PlayToEnd(ends, 400);
        const std::vector<int16_t> captured = Captured();
        ExpectFrames(captured, 0, values, 0, 12000);           // to the loop end
        ExpectFrames(captured, 12000, values, 5000, 25000);    // once more from the loop start, then on
        EXPECT_EQ(captured[37000 * 2], 0);
        AUSND_Stream_Close(stream);
    }
}

// A loop set on a stopped stream after a seek: what was buffered from the
// sought frame plays unless the new loop makes it wrong.
TEST_F(AulosStream, LoopsSetAfterASeekKeepItUnlessTheBufferedDataMissedThem)
{
    struct Segment
    {
        size_t from;
        size_t to;
    };
    struct Case
    {
        const char* what;
        int frames;
        unsigned int seek;
        unsigned int loopstart; // loop points set after the seek when loopend > 0,
        unsigned int loopend;   // else the loop count (1) is set again
        std::vector<Segment> played;
    };
    // At 44100 Hz half the buffer holds 400 ms: a 60000-frame stream sought to
    // 20000 has decoded up to about 37400.
    const Case cases[] = {
        {"a count on a long stream", 60000, 20000, 0, 0, {{20000, 60000}, {0, 60000}}},
        {"a count on a stream within half the buffer", 10000, 4000, 0, 0, {{0, 10000}, {0, 10000}}},
        {"loop points ending past the buffered data", 60000, 20000, 5000, 50000, {{20000, 50000}, {5000, 60000}}},
        {"loop points ending inside the buffered data", 60000, 20000, 5000, 30000, {{0, 30000}, {5000, 60000}}},
        {"loop points ending before the sought frame", 60000, 40000, 5000, 30000, {{0, 30000}, {5000, 60000}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        AUSND_Capture_Clear();
        const std::vector<int16_t> values = Signal(c.frames);
        AUSND_STREAM* stream = OpenMemory(StereoWav(values), AUSND_LOOP_NORMAL);
        ASSERT_NE(stream, nullptr);
        ASSERT_TRUE(AUSND_Stream_SetLoopCount(stream, 1));
        ASSERT_TRUE(AUSND_Stream_SetPCM(stream, c.seek));
        if (c.loopend > 0)
            ASSERT_TRUE(AUSND_Stream_SetLoopPoints(stream, c.loopstart, c.loopend));
        else
            ASSERT_TRUE(AUSND_Stream_SetLoopCount(stream, 1));
        EndCount ends;
        AUSND_Stream_SetEndCallback(stream, OnEnd, &ends);
        ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
        PlayToEnd(ends, 400);
        EXPECT_EQ(ends.calls, 1);
        const std::vector<int16_t> captured = Captured();
        size_t at = 0;
        for (const Segment& segment : c.played)
        {
            ExpectFrames(captured, at, values, segment.from, segment.to - segment.from);
            at += segment.to - segment.from;
        }
        ASSERT_GT(captured.size(), at * 2);
        EXPECT_EQ(captured[at * 2], 0) << "silence after the last pass";
        AUSND_Stream_Close(stream);
    }
}

TEST_F(AulosStream, SeeksByBytesMillisecondsAndFrames)
{
    const std::vector<int16_t> values = Signal(60000);
    struct Case
    {
        int unit;
        unsigned int value;
        size_t frame;
    };
    const Case cases[] = {{0, 4 * 20000, 20000}, {0, 4 * 20000 + 3, 20000}, {1, 500, 22050}, {2, 33333, 33333}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.unit);
        AUSND_Capture_Clear();
        AUSND_STREAM* stream = OpenMemory(StereoWav(values));
        ASSERT_NE(stream, nullptr);
        const bool ok = c.unit == 0   ? AUSND_Stream_SetPosition(stream, c.value)
                        : c.unit == 1 ? AUSND_Stream_SetTime(stream, static_cast<int>(c.value))
                                      : AUSND_Stream_SetPCM(stream, c.value);
        ASSERT_TRUE(ok);
        ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
        MixBlocks(60);
        ExpectFrames(Captured(), 0, values, c.frame, 60000 - c.frame);
        AUSND_Stream_Close(stream);
    }
    AUSND_STREAM* stream = OpenMemory(StereoWav(values));
    EXPECT_FALSE(AUSND_Stream_SetPCM(stream, 60000));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_FALSE(AUSND_Stream_SetPosition(stream, 240000));

    // Repositioning a playing stream: the new data follows at once.
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    MixBlocks(5);
    EXPECT_EQ(AUSND_Stream_GetTime(stream), 5 * 1024 * 1000 / 44100);
    AUSND_Capture_Clear();
    ASSERT_TRUE(AUSND_Stream_SetPCM(stream, 40000));
    MixBlocks(3);
    ExpectFrames(Captured(), 0, values, 40000, 3 * 1024);
    AUSND_Stream_Close(stream);
}

struct SyncLog
{
    std::vector<std::string> names;
    std::vector<unsigned int> offsets;
    std::vector<uint64_t> firedAt; // capture frames before the block that fired
    uint64_t base = 0;
};

bool OnSync(AUSND_STREAM*, const char* name, unsigned int offset, void* user)
{
    SyncLog* log = static_cast<SyncLog*>(user);
    unsigned int frames = 0;
    AUSND_Capture_GetData(&frames);
    log->names.emplace_back(name);
    log->offsets.push_back(offset);
    log->firedAt.push_back(log->base + frames);
    return true;
}

TEST_F(AulosStream, SyncPointListAndItsEdges)
{
    AUSND_STREAM* stream = OpenMemory(StereoWav(Signal(20000)));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(AUSND_Stream_GetNumSyncPoints(stream), 0);
    EXPECT_EQ(AUSND_Stream_GetNumSyncPoints(nullptr), -1);
    ASSERT_NE(AUSND_Stream_AddSyncPoint(stream, 500, "older"), nullptr);
    ASSERT_NE(AUSND_Stream_AddSyncPoint(stream, 100, "first"), nullptr);
    ASSERT_NE(AUSND_Stream_AddSyncPoint(stream, 500, "newer"), nullptr);
    EXPECT_EQ(AUSND_Stream_AddSyncPoint(stream, 20000, "beyond"), nullptr);
    EXPECT_EQ(AUSND_Stream_GetNumSyncPoints(stream), 3);
    EXPECT_EQ(AUSND_Stream_GetSyncPoint(stream, 0), nullptr);
    EXPECT_EQ(AUSND_Stream_GetSyncPoint(stream, 4), nullptr);
    unsigned int offset = 0;
    EXPECT_STREQ(AUSND_Stream_GetSyncPointInfo(AUSND_Stream_GetSyncPoint(stream, 1), &offset), "first");
    EXPECT_EQ(offset, 100u);
    EXPECT_STREQ(AUSND_Stream_GetSyncPointInfo(AUSND_Stream_GetSyncPoint(stream, 2), &offset), "newer");
    EXPECT_TRUE(AUSND_Stream_DeleteSyncPoint(AUSND_Stream_GetSyncPoint(stream, 1)));
    EXPECT_EQ(AUSND_Stream_GetNumSyncPoints(stream), 2);
    EXPECT_FALSE(AUSND_Stream_SetBufferSize(49));
    EXPECT_TRUE(AUSND_Stream_SetBufferSize(400));
    AUSND_Stream_Close(stream);
}

TEST_F(AulosStream, SyncPointsFireAtTheirOffsetsOnEveryLoopForTenMinutes)
{
    const int length = 5 * 44100;
    AUSND_STREAM* stream = OpenMemory(StereoWav(Signal(length)), AUSND_LOOP_NORMAL);
    ASSERT_NE(stream, nullptr);
    const unsigned int offsets[] = {1000, 100000, 220000};
    for (unsigned int o : offsets)
        ASSERT_NE(AUSND_Stream_AddSyncPoint(stream, o, ("at " + std::to_string(o)).c_str()), nullptr);
    SyncLog log;
    AUSND_Stream_SetSyncCallback(stream, OnSync, &log);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    const int block = AUSND_DSP_GetBufferLength();
    const int blocks = 600 * 44100 / block;
    for (int i = 0; i < blocks; ++i)
    {
        AUSND_Update();
        if (i % 1000 == 999)
        {
            unsigned int frames = 0;
            AUSND_Capture_GetData(&frames);
            log.base += frames;
            AUSND_Capture_Clear();
        }
    }
    const size_t loops = static_cast<size_t>(blocks) * static_cast<size_t>(block) / length;
    ASSERT_GE(log.offsets.size(), loops * 3);
    for (size_t i = 0; i < log.offsets.size(); ++i)
    {
        const uint64_t expected = static_cast<uint64_t>(i / 3) * length + offsets[i % 3];
        ASSERT_EQ(log.offsets[i], offsets[i % 3]) << i;
        // Fired by the mix of the block that holds the point.
        ASSERT_LE(log.firedAt[i], expected) << i;
        ASSERT_LT(expected, log.firedAt[i] + static_cast<uint64_t>(block)) << i;
    }
    AUSND_Stream_Close(stream);
}

TEST_F(AulosStream, AFileLoopStartWithoutEndPlaysStraightThrough)
{
    const std::vector<int16_t> values = Signal(20000);
    AUSND_STREAM* stream = OpenMemory(StereoWav(values));
    ASSERT_NE(stream, nullptr);
    stream->loopstart = 5000; // as a file with a start but no end gives it
    EndCount ends;
    AUSND_Stream_SetEndCallback(stream, OnEnd, &ends);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    PlayToEnd(ends, 200);
    const std::vector<int16_t> captured = Captured();
    ExpectFrames(captured, 0, values, 0, 20000);
    EXPECT_EQ(captured[20000 * 2], 0);
    AUSND_Stream_Close(stream);
}

TEST_F(AulosStream, RefusedOpensAndCalls)
{
    EXPECT_EQ(AUSND_Stream_Open(nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_EQ(AUSND_Stream_Open("/nonexistent/file.wav", 0, 0, 0), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_NOTFOUND);
    const std::vector<uint8_t> junk(4000, 0x5A);
    EXPECT_EQ(OpenMemory(junk), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
    EXPECT_EQ(AUSND_Stream_PlayEx(AUSND_CHANNEL_FREE, nullptr, nullptr, 0), 0);
    EXPECT_FALSE(AUSND_Stream_Close(nullptr));
    EXPECT_FALSE(AUSND_Stream_Stop(nullptr));
}

// A caller's fill callback feeds the double buffer.
bool FillRamp(AUSND_STREAM*, void* buffer, int length, void* user)
{
    int* next = static_cast<int*>(user);
    int16_t* out = static_cast<int16_t*>(buffer);
    for (int i = 0; i < length / 2; ++i)
        out[i] = static_cast<int16_t>((*next)++ % 30000);
    return true;
}

TEST_F(AulosStream, ACreatedStreamPlaysWhatItsCallbackProduces)
{
    int next = 0;
    AUSND_STREAM* stream = AUSND_Stream_Create(FillRamp, 8192, AUSND_16BITS | AUSND_MONO | AUSND_2D, 44100, &next);
    ASSERT_NE(stream, nullptr);
    const int channel = AUSND_Stream_PlayEx(AUSND_CHANNEL_FREE, stream, nullptr, 1);
    ASSERT_GE(channel, 0);
    AUSND_SetPan(channel, -1);
    AUSND_SetPaused(channel, false);
    MixBlocks(20);
    const std::vector<int16_t> captured = Captured();
    ASSERT_GE(captured.size(), 20u * 1024 * 2);
    for (size_t i = 0; i < 20u * 1024; ++i)
        ASSERT_EQ(captured[i * 2], FullGain(static_cast<int>(i % 30000))) << i;
    AUSND_Stream_Close(stream);
}
} // namespace

// Ogg Vorbis against oggdec (vorbis-tools, test-only): the stream and the
// loaded sample give exactly the decoder's PCM.
namespace
{
// Each test has files of its own: ctest runs tests side by side.
std::string OggTemp(const std::string& name)
{
    return ::testing::TempDir() + "aulos_ogg_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
           "_" + name;
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::vector<uint8_t> data;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return data;
    uint8_t buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    return data;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& data)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
}

// oggdec's 16-bit output as values (the data chunk of its WAV).
std::vector<int16_t> DataOfWav(const std::vector<uint8_t>& wav)
{
    std::vector<int16_t> values;
    for (size_t at = 12; at + 8 <= wav.size();)
    {
        const uint32_t size = wav[at + 4] | (wav[at + 5] << 8) | (wav[at + 6] << 16) |
                              (static_cast<uint32_t>(wav[at + 7]) << 24);
        if (std::memcmp(&wav[at], "data", 4) == 0)
        {
            for (size_t i = at + 8; i + 1 < wav.size() && i + 1 < at + 8 + size; i += 2)
                values.push_back(static_cast<int16_t>(wav[i] | (wav[i + 1] << 8)));
            break;
        }
        at += 8 + size + (size & 1);
    }
    return values;
}

class AulosOggStream : public AulosStream
{
protected:
    void SetUp() override
    {
        AulosStream::SetUp();
        m_sOgg = OggTemp("signal.ogg");
        WriteFile(OggTemp("signal.wav"), StereoWav(Signal(70000)));
        const std::string encode = "oggenc -Q -q 4 -o " + m_sOgg + " " + OggTemp("signal.wav") + " 2>/dev/null";
        const std::string decode =
            "oggdec -Q -b 16 -e 0 -s 1 -o " + OggTemp("decoded.wav") + " " + m_sOgg + " 2>/dev/null";
        if (std::system(encode.c_str()) != 0 || std::system(decode.c_str()) != 0)
            GTEST_SKIP() << "vorbis-tools (oggenc, oggdec) are not installed";
        m_Decoded = DataOfWav(ReadFile(OggTemp("decoded.wav")));
        ASSERT_EQ(m_Decoded.size(), 70000u * 2);
    }

    std::string m_sOgg;
    std::vector<int16_t> m_Decoded;
};

TEST_F(AulosOggStream, StreamAndSampleAreBitExactAgainstOggdec)
{
    AUSND_STREAM* stream = AUSND_Stream_Open(m_sOgg.c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(stream, nullptr) << AUSND_GetError();
    EndCount ends;
    AUSND_Stream_SetEndCallback(stream, OnEnd, &ends);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    PlayToEnd(ends, 400);
    EXPECT_EQ(ends.calls, 1);
    ExpectFrames(Captured(), 0, m_Decoded, 0, 70000);
    AUSND_Stream_Close(stream);

    AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, m_sOgg.c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(sample, nullptr);
    ASSERT_EQ(AUSND_Sample_GetLength(sample), 70000u);
    void* p1 = nullptr;
    void* p2 = nullptr;
    unsigned int l1 = 0;
    unsigned int l2 = 0;
    ASSERT_TRUE(AUSND_Sample_Lock(sample, 0, 70000 * 4, &p1, &p2, &l1, &l2));
    EXPECT_EQ(std::memcmp(p1, m_Decoded.data(), 70000 * 4), 0);
    AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
    AUSND_Sample_Free(sample);
}

TEST_F(AulosOggStream, LoopsAndSeeksByFrame)
{
    AUSND_STREAM* stream = AUSND_Stream_Open(m_sOgg.c_str(), AUSND_2D | AUSND_LOOP_NORMAL, 0, 0);
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(AUSND_Stream_SetLoopCount(stream, 1));
    EndCount ends;
    AUSND_Stream_SetEndCallback(stream, OnEnd, &ends);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    PlayToEnd(ends, 400);
    const std::vector<int16_t> captured = Captured();
    ExpectFrames(captured, 0, m_Decoded, 0, 70000);
    // The second pass starts with a seek to frame 0 that laps its first block
    // with the end of the first pass; after that the data is exact.
    ExpectFrames(captured, 70000 + 4096, m_Decoded, 4096, 70000 - 4096);

    AUSND_Capture_Clear();
    ASSERT_TRUE(AUSND_Stream_SetPCM(stream, 30000));
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    MixBlocks(20);
    // A reposition flushes the buffer and does not lap: exact from the first frame.
    ExpectFrames(Captured(), 0, m_Decoded, 30000, 10000);
    AUSND_Stream_Close(stream);
}

TEST_F(AulosOggStream, ThreeChannelFilesAreRefused)
{
    std::vector<uint8_t> raw(3 * 2 * 4410, 0);
    WriteFile(OggTemp("three.raw"), raw);
    const std::string encode = "oggenc -Q -r -C 3 -o " + OggTemp("three.ogg") + " " + OggTemp("three.raw") +
                               " 2>/dev/null";
    ASSERT_EQ(std::system(encode.c_str()), 0);
    EXPECT_EQ(AUSND_Stream_Open(OggTemp("three.ogg").c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
    EXPECT_EQ(AUSND_Sample_Load(-1, OggTemp("three.ogg").c_str(), 0, 0, 0), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
}
} // namespace

namespace
{
// Without threads (the capture output) a non-blocking open completes at once.
TEST_F(AulosStream, NonBlockingOpensReportTheirState)
{
    const std::vector<int16_t> values = Signal(5000);
    m_File = StereoWav(values);
    AUSND_STREAM* stream =
        AUSND_Stream_Open(reinterpret_cast<const char*>(m_File.data()),
                          AUSND_LOADMEMORY | AUSND_2D | AUSND_NONBLOCKING, 0, static_cast<int>(m_File.size()));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(AUSND_Stream_GetOpenState(stream), 0);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    MixBlocks(6);
    ExpectFrames(Captured(), 0, values, 0, 5000);
    EXPECT_TRUE(AUSND_Stream_Close(stream));

    const std::vector<uint8_t> junk(3000, 0x11);
    AUSND_STREAM* failed = AUSND_Stream_Open(reinterpret_cast<const char*>(junk.data()),
                                             AUSND_LOADMEMORY | AUSND_NONBLOCKING, 0, 3000);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(AUSND_Stream_GetOpenState(failed), -3);
    EXPECT_EQ(AUSND_Stream_Play(AUSND_CHANNEL_FREE, failed), -1);
    EXPECT_TRUE(AUSND_Stream_Close(failed));
    EXPECT_EQ(AUSND_Stream_GetOpenState(nullptr), -1);
}
} // namespace

namespace
{
// Processing units of a stream: one adds 100 to every value, one doubles it.
void* AddHundred(void*, void* current, int frames, void* param)
{
    int16_t* v = static_cast<int16_t*>(current);
    for (int i = 0; i < frames * 2; ++i)
        v[i] = static_cast<int16_t>(v[i] + 100);
    ++*static_cast<int*>(param);
    return current;
}

// Answers with a buffer of its own, as a unit may.
void* Double(void*, void* current, int frames, void* param)
{
    std::vector<int16_t>* out = static_cast<std::vector<int16_t>*>(param);
    const int16_t* v = static_cast<const int16_t*>(current);
    out->assign(v, v + frames * 2);
    for (int16_t& x : *out)
        x = static_cast<int16_t>(x * 2);
    return out->data();
}
} // namespace

TEST_F(AulosStream, ProcessingUnitsOfAStreamRunInPriorityOrderOnceActive)
{
    const std::vector<int16_t> values = Signal(30000);
    AUSND_STREAM* stream = OpenMemory(StereoWav(values));
    ASSERT_NE(stream, nullptr);
    int added = 0;
    std::vector<int16_t> doubled;
    AUSND_DSPUNIT* doubling = AUSND_Stream_CreateDSP(stream, Double, 20, &doubled);
    AUSND_DSPUNIT* adding = AUSND_Stream_CreateDSP(stream, AddHundred, 10, &added);
    ASSERT_NE(doubling, nullptr);
    ASSERT_NE(adding, nullptr);
    EXPECT_FALSE(AUSND_DSP_GetActive(adding)) << "made inactive";
    EXPECT_EQ(AUSND_Stream_CreateDSP(stream, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(AUSND_Stream_CreateDSP(nullptr, AddHundred, 0, &added), nullptr);

    // Inactive units leave the data alone.
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    MixBlocks(4);
    ExpectFrames(Captured(), 0, values, 0, 4 * 1024);
    EXPECT_EQ(added, 0);
    AUSND_Stream_Stop(stream);

    AUSND_DSP_SetActive(adding, true);
    AUSND_DSP_SetActive(doubling, true);
    AUSND_Capture_Clear();
    ASSERT_TRUE(AUSND_Stream_SetPCM(stream, 0));
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream), 0);
    MixBlocks(20);
    EXPECT_GT(added, 0);
    const std::vector<int16_t> captured = Captured();
    ASSERT_GE(captured.size(), 20000u * 2);
    for (size_t i = 0; i < 20000 * 2; ++i)
        ASSERT_EQ(captured[i], FullGain(2 * (values[i] + 100))) << "value " << i;
    EXPECT_TRUE(AUSND_Stream_Close(stream));
}
