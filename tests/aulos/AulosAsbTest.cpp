// Sound banks written by a small writer in the test: single sounds load as
// samples, banks of several sounds index their data, and malformed banks are
// refused with an error.
#include "aulos/ausnd_device.h"
#include "aulos/ausnd_stream.h"
#include "aulos/format_asb.h"
#include "tests/aulos/AulosTestSupport.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstring>
#include <string>

namespace
{
void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

struct Sound
{
    std::string name;
    uint32_t mode;
    std::vector<uint8_t> data;
    uint32_t length; // samples
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    int channels = 1;
    int rate = 22050;
};

// A bank of the sounds: "ASB3" (or "ASB2" when `old`), full headers for
// every sound unless `compact`.
std::vector<uint8_t> WriteBank(const std::vector<Sound>& sounds, bool old = false, bool compact = false,
                               uint32_t flags = 0)
{
    std::vector<uint8_t> area;
    for (size_t i = 0; i < sounds.size(); ++i)
    {
        const Sound& s = sounds[i];
        if (compact && i > 0)
        {
            Put(area, s.length, 4);
            Put(area, static_cast<uint32_t>(s.data.size()), 4);
            continue;
        }
        Put(area, 64, 2);
        char name[30] = {};
        std::strncpy(name, s.name.c_str(), sizeof(name) - 1);
        area.insert(area.end(), name, name + 30);
        Put(area, s.length, 4);
        Put(area, static_cast<uint32_t>(s.data.size()), 4);
        Put(area, s.loopStart, 4);
        Put(area, s.loopEnd, 4);
        Put(area, s.mode, 4);
        Put(area, static_cast<uint32_t>(s.rate), 4);
        Put(area, 200, 2);
        Put(area, 128, 2);
        Put(area, 100, 2);
        Put(area, static_cast<uint32_t>(s.channels), 2);
    }
    std::vector<uint8_t> bank;
    bank.insert(bank.end(), {'A', 'S', 'B', static_cast<uint8_t>(old ? '2' : '3')});
    Put(bank, static_cast<uint32_t>(sounds.size()), 4);
    Put(bank, static_cast<uint32_t>(area.size()), 4);
    uint32_t dataBytes = 0;
    for (const Sound& s : sounds)
        dataBytes += static_cast<uint32_t>(s.data.size());
    Put(bank, dataBytes, 4);
    if (!old)
    {
        Put(bank, 0x30000, 4);
        Put(bank, flags | (compact ? AUSND_ASB_FLAG_COMPACT : 0u), 4);
    }
    bank.insert(bank.end(), area.begin(), area.end());
    for (const Sound& s : sounds)
        bank.insert(bank.end(), s.data.begin(), s.data.end());
    return bank;
}

Sound Ramp16(const std::string& name, uint32_t length, uint32_t mode = AUSND_16BITS | AUSND_MONO)
{
    Sound s{name, mode, {}, length};
    for (uint32_t i = 0; i < length * ((mode & AUSND_STEREO) ? 2u : 1u); ++i)
        Put(s.data, static_cast<uint16_t>(static_cast<int16_t>(i * 37 - 5000)), 2);
    return s;
}

AUSND_SAMPLE* LoadMemory(const std::vector<uint8_t>& bank, unsigned int mode = 0)
{
    return AUSND_Sample_Load(-1, reinterpret_cast<const char*>(bank.data()), mode | AUSND_LOADMEMORY, 0,
                             static_cast<int>(bank.size()));
}

std::vector<uint8_t> Bytes(AUSND_SAMPLE* sample)
{
    void* p1 = nullptr;
    void* p2 = nullptr;
    unsigned int l1 = 0;
    unsigned int l2 = 0;
    EXPECT_TRUE(AUSND_Sample_Lock(sample, 0, static_cast<int>(AUSND_Sample_ByteSize(sample)), &p1, &p2, &l1, &l2));
    std::vector<uint8_t> out(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + l1);
    AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
    return out;
}

bool OpenBank(const std::vector<uint8_t>& bank, uint32_t* mode, AUSND_ASBBANK** out, uint32_t* pcmBytes = nullptr)
{
    AUSND_FILE* file = AUSND_File_Open(reinterpret_cast<const char*>(bank.data()), AUSND_FILE_MEMORY,
                                       static_cast<int>(bank.size()));
    int rate = 0;
    uint32_t dataBytes = 0;
    uint32_t pcm = 0;
    int block = 0;
    uint32_t dataOffset = 0;
    const bool ok = AUSND_ASB_Open(file, mode, &rate, &dataBytes, &pcm, out, &block, &dataOffset);
    if (pcmBytes)
        *pcmBytes = pcm;
    AUSND_File_Close(file);
    return ok;
}

class AsbBank : public CaptureDevice
{
};
} // namespace

TEST_F(AsbBank, SingleSoundsLoadAsNamedSamples)
{
    struct Case
    {
        const char* what;
        Sound sound;
        bool old;
    };
    Sound mono = Ramp16("ramp", 1000);
    mono.loopStart = 100;
    mono.loopEnd = 900;
    Sound stereo8{"stereo8", AUSND_8BITS | AUSND_STEREO, {}, 500};
    for (int i = 0; i < 1000; ++i)
        stereo8.data.push_back(static_cast<uint8_t>(i * 3));
    const Case cases[] = {{"16-bit mono ASB3", mono, false}, {"8-bit stereo ASB2", stereo8, true}};
    for (const Case& c : cases)
    {
        AUSND_SAMPLE* sample = LoadMemory(WriteBank({c.sound}, c.old));
        ASSERT_NE(sample, nullptr) << c.what << " error " << AUSND_GetError();
        EXPECT_STREQ(sample->name, c.sound.name.c_str()) << c.what;
        EXPECT_EQ(AUSND_Sample_GetLength(sample), c.sound.length) << c.what;
        const std::vector<uint8_t> bytes = Bytes(sample);
        ASSERT_EQ(bytes.size(), c.sound.data.size()) << c.what;
        const auto diff = std::mismatch(bytes.begin(), bytes.end(), c.sound.data.begin());
        EXPECT_EQ(diff.first, bytes.end()) << c.what << " differs at " << (diff.first - bytes.begin());
        int freq = 0;
        int vol = 0;
        AUSND_Sample_GetDefaults(sample, &freq, &vol, nullptr, nullptr);
        EXPECT_EQ(freq, 22050) << c.what;
        EXPECT_EQ(vol, 200) << c.what;
        if (c.sound.loopEnd)
        {
            int start = 0;
            int end = 0;
            AUSND_Sample_GetLoopPoints(sample, &start, &end);
            EXPECT_EQ(start, 100);
            EXPECT_EQ(end, 900);
        }
        AUSND_Sample_Free(sample);
    }
}

TEST_F(AsbBank, SoundsStoredAsCompleteFilesLoadThroughTheirOwnFormat)
{
    // A WAV file as the bank's one sound.
    std::vector<uint8_t> wav;
    const Sound pcm = Ramp16("", 300);
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    Put(wav, static_cast<uint32_t>(36 + pcm.data.size()), 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(wav, 16, 4);
    Put(wav, 1, 2);
    Put(wav, 1, 2);
    Put(wav, 11025, 4);
    Put(wav, 22050, 4);
    Put(wav, 2, 2);
    Put(wav, 16, 2);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    Put(wav, static_cast<uint32_t>(pcm.data.size()), 4);
    wav.insert(wav.end(), pcm.data.begin(), pcm.data.end());
    Sound file{"wrapped", AUSND_16BITS | AUSND_MONO, wav, 300};
    AUSND_SAMPLE* sample = LoadMemory(WriteBank({file}, false, false, AUSND_ASB_FLAG_FILES));
    ASSERT_NE(sample, nullptr) << AUSND_GetError();
    EXPECT_STREQ(sample->name, "wrapped");
    EXPECT_EQ(Bytes(sample), pcm.data);
    int freq = 0;
    AUSND_Sample_GetDefaults(sample, &freq, nullptr, nullptr, nullptr);
    EXPECT_EQ(freq, 11025);
    AUSND_Sample_Free(sample);
}

TEST_F(AsbBank, CompactBanksIndexEverySoundsData)
{
    const std::vector<Sound> sounds = {Ramp16("first", 100), Ramp16("", 250), Ramp16("", 40)};
    const std::vector<uint8_t> bank = WriteBank(sounds, false, true);
    uint32_t mode = AUSND_LOOP_NORMAL;
    AUSND_ASBBANK* opened = nullptr;
    uint32_t pcm = 0;
    ASSERT_TRUE(OpenBank(bank, &mode, &opened, &pcm));
    ASSERT_EQ(opened->count, 3);
    const uint32_t dataStart = 24 + 64 + 8 + 8;
    EXPECT_EQ(opened->dataOffsets[0], dataStart);
    EXPECT_EQ(opened->dataOffsets[1], dataStart + 200);
    EXPECT_EQ(opened->dataOffsets[2], dataStart + 200 + 500);
    EXPECT_EQ(opened->lengths[2], 40u);
    EXPECT_EQ(opened->current, 0);
    EXPECT_EQ(pcm, 200u);
    // The caller's loop bit wins over the sound's.
    EXPECT_EQ(mode & AUSND_LOOPBITS, static_cast<uint32_t>(AUSND_LOOP_NORMAL));
    AUSND_ASB_Close(opened);

    // The sample loader takes banks of one sound only.
    EXPECT_EQ(LoadMemory(bank), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
}

TEST_F(AsbBank, MalformedBanksAreRefused)
{
    const std::vector<uint8_t> good = WriteBank({Ramp16("a", 100), Ramp16("b", 100)});
    struct Case
    {
        const char* what;
        size_t at;
        uint32_t value;
        int bytes;
        int error;
    };
    const Case cases[] = {
        {"wrong magic", 3, 'X', 1, AUSND_ERR_FILE_FORMAT},
        {"no sounds", 4, 0, 4, AUSND_ERR_FILE_BAD},
        {"negative count", 4, 0x80000000u, 4, AUSND_ERR_FILE_BAD},
        {"more sounds than the header area holds", 4, 1000000, 4, AUSND_ERR_FILE_BAD},
        {"header area beyond the file", 8, 0x7FFFFFF0u, 4, AUSND_ERR_FILE_BAD},
        {"header size 0", 24 + 64, 0, 2, AUSND_ERR_FILE_BAD},
        {"header size past the area", 24 + 64, 200, 2, AUSND_ERR_FILE_BAD},
        {"data shorter than its length", 24 + 32, 5000, 4, AUSND_ERR_FILE_BAD},
        {"data beyond the file", 24 + 36, 0x10000000u, 4, AUSND_ERR_FILE_BAD},
        {"unsupported mode", 24 + 48, AUSND_16BITS | AUSND_ADPCM28, 4, AUSND_ERR_FILE_FORMAT},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> bank = good;
        for (int i = 0; i < c.bytes; ++i)
            bank[c.at + static_cast<size_t>(i)] = static_cast<uint8_t>(c.value >> (8 * i));
        uint32_t mode = 0;
        AUSND_ASBBANK* opened = nullptr;
        AUSND_ErrorNo = 0;
        EXPECT_FALSE(OpenBank(bank, &mode, &opened)) << c.what;
        EXPECT_EQ(AUSND_ErrorNo, c.error) << c.what;
    }
    // Cut inside the header.
    const std::vector<uint8_t> cut(good.begin(), good.begin() + 20);
    uint32_t mode = 0;
    AUSND_ASBBANK* opened = nullptr;
    EXPECT_FALSE(OpenBank(cut, &mode, &opened));
    EXPECT_FALSE(AUSND_ASB_Close(nullptr));
}

namespace
{
// Stereo 16-bit sounds at the capture rate, each value unlike any other sound's.
Sound StereoSound(const std::string& name, uint32_t frames, int seed)
{
    Sound s{name, AUSND_16BITS | AUSND_STEREO, {}, frames};
    s.rate = 44100;
    uint32_t state = static_cast<uint32_t>(seed) * 2654435761u;
    for (uint32_t i = 0; i < frames * 2; ++i)
    {
        state = state * 1664525u + 1013904223u;
        Put(s.data, static_cast<uint16_t>(static_cast<int16_t>(static_cast<int>(state >> 17) - 16384)), 2);
    }
    return s;
}

std::vector<int16_t> Values(const Sound& s)
{
    std::vector<int16_t> v(s.data.size() / 2);
    std::memcpy(v.data(), s.data.data(), s.data.size());
    return v;
}

struct Ends
{
    int calls = 0;
};

bool CountEnd(AUSND_STREAM*, void*, int, void* user)
{
    ++static_cast<Ends*>(user)->calls;
    return true;
}

class AsbStream : public CaptureDevice
{
protected:
    void SetUp() override
    {
        CaptureDevice::SetUp();
        m_sounds = {StereoSound("first", 50000, 1), StereoSound("second", 15000, 2), StereoSound("third", 9000, 3)};
        m_bank = WriteBank(m_sounds);
    }

    AUSND_STREAM* Open(unsigned int mode = 0)
    {
        AUSND_STREAM* s = AUSND_Stream_Open(reinterpret_cast<const char*>(m_bank.data()),
                                            AUSND_LOADMEMORY | AUSND_2D | mode, 0, static_cast<int>(m_bank.size()));
        EXPECT_NE(s, nullptr) << AUSND_GetError();
        return s;
    }

    // Plays until the end callback has fired, then a little more.
    static std::vector<int16_t> PlayToEnd(AUSND_STREAM* s, Ends& ends)
    {
        AUSND_Capture_Clear();
        AUSND_Stream_SetEndCallback(s, CountEnd, &ends);
        EXPECT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, s), 0);
        for (int i = 0; i < 1000 && ends.calls == 0; ++i)
            AUSND_Update();
        MixBlocks(20);
        return Captured();
    }

    // The captured values from frame `at` are the sounds' values, one after another, then silence.
    static void ExpectSequence(const std::vector<int16_t>& captured, const std::vector<const Sound*>& sounds)
    {
        size_t at = 0;
        for (const Sound* sound : sounds)
        {
            const std::vector<int16_t> v = Values(*sound);
            ASSERT_GE(captured.size(), at + v.size()) << sound->name;
            for (size_t i = 0; i < v.size(); ++i)
                ASSERT_EQ(captured[at + i], FullGain(v[i])) << sound->name << " value " << i;
            at += v.size();
        }
        ASSERT_LT(at, captured.size());
        EXPECT_EQ(captured[at], 0) << "silence after the data";
    }

    std::vector<Sound> m_sounds;
    std::vector<uint8_t> m_bank;
};
} // namespace

TEST_F(AsbStream, SubStreamsPlayOneSoundEach)
{
    AUSND_STREAM* s = Open();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(AUSND_Stream_GetNumSubStreams(s), 3);
    EXPECT_EQ(AUSND_Stream_GetLengthMs(s), (50000 * 1000 + 999) / 44100);
    Ends ends;
    ExpectSequence(PlayToEnd(s, ends), {&m_sounds[0]});
    EXPECT_EQ(ends.calls, 1);

    ASSERT_TRUE(AUSND_Stream_SetSubStream(s, 2));
    EXPECT_STREQ(AUSND_Stream_GetSample(s)->name, "third");
    EXPECT_EQ(AUSND_Stream_GetLengthMs(s), (9000 * 1000 + 999) / 44100);
    Ends again;
    ExpectSequence(PlayToEnd(s, again), {&m_sounds[2]});
    EXPECT_EQ(again.calls, 1);

    // A switch while playing stops the stream; the next play starts the new sound.
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, s), 0);
    MixBlocks(3);
    ASSERT_TRUE(AUSND_Stream_SetSubStream(s, 1));
    Ends third;
    ExpectSequence(PlayToEnd(s, third), {&m_sounds[1]});

    EXPECT_FALSE(AUSND_Stream_SetSubStream(s, 3));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_FALSE(AUSND_Stream_SetSubStream(s, -1));
    EXPECT_TRUE(AUSND_Stream_Close(s));
}

TEST_F(AsbStream, KeepPlayingSwitchFollowsTheBufferedSoundWithoutAGap)
{
    AUSND_STREAM* s = Open();
    ASSERT_NE(s, nullptr);
    AUSND_Capture_Clear();
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, s), 0);
    MixBlocks(4);
    ASSERT_TRUE(AUSND_Stream_SetSubStreamEx(s, 1, false, true));
    EXPECT_TRUE(AUSND_Stream_GetSample(s)->name == std::string("second"));
    Ends ends;
    AUSND_Stream_SetEndCallback(s, CountEnd, &ends);
    for (int i = 0; i < 1000 && ends.calls == 0; ++i)
        AUSND_Update();
    EXPECT_EQ(ends.calls, 1);
    const std::vector<int16_t> captured = Captured();
    const std::vector<int16_t> first = Values(m_sounds[0]);
    const std::vector<int16_t> second = Values(m_sounds[1]);
    // What was buffered of the first sound plays out, then the second follows at once.
    size_t cut = 0;
    while (cut < first.size() && captured[cut] == FullGain(first[cut]))
        ++cut;
    ASSERT_GT(cut, 4u * 1024 * 2);
    ASSERT_LT(cut, first.size());
    for (size_t i = 0; i < second.size(); ++i)
        ASSERT_EQ(captured[cut + i], FullGain(second[i])) << i;
    EXPECT_TRUE(AUSND_Stream_Close(s));
}

TEST_F(AsbStream, SentencesPlayTheirEntriesInOrderAndWrapWhenLooping)
{
    AUSND_STREAM* s = Open();
    ASSERT_NE(s, nullptr);
    const int order[] = {2, 0, 1};
    ASSERT_TRUE(AUSND_Stream_SetSubStreamSentence(s, order, 3));
    EXPECT_EQ(AUSND_Stream_GetLengthMs(s),
              (9000 * 1000 + 999) / 44100 + (50000 * 1000 + 999) / 44100 + (15000 * 1000 + 999) / 44100);
    Ends ends;
    ExpectSequence(PlayToEnd(s, ends), {&m_sounds[2], &m_sounds[0], &m_sounds[1]});
    EXPECT_EQ(ends.calls, 1);

    // A time inside the second entry starts there.
    ASSERT_TRUE(AUSND_Stream_SetTime(s, 9000 * 1000 / 44100 + 100));
    AUSND_Capture_Clear();
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, s), 0);
    MixBlocks(2);
    const std::vector<int16_t> captured = Captured();
    const std::vector<int16_t> first = Values(m_sounds[0]);
    const size_t into = (static_cast<size_t>(9000 * 1000 / 44100 + 100) * 44100 / 1000 - 9000) * 2;
    for (size_t i = 0; i < 1024 * 2; ++i)
        ASSERT_EQ(captured[i], FullGain(first[into + i])) << i;
    AUSND_Stream_Close(s);

    // Looping once: the sentence wraps to its first entry and plays twice.
    s = Open(AUSND_LOOP_NORMAL);
    ASSERT_NE(s, nullptr);
    const int pair[] = {1, 2};
    ASSERT_TRUE(AUSND_Stream_SetSubStreamSentence(s, pair, 2));
    ASSERT_TRUE(AUSND_Stream_SetLoopCount(s, 1));
    Ends looped;
    ExpectSequence(PlayToEnd(s, looped), {&m_sounds[1], &m_sounds[2], &m_sounds[1], &m_sounds[2]});
    EXPECT_EQ(looped.calls, 1);
    AUSND_Stream_Close(s);
}

TEST_F(AsbStream, SentencesAndSubStreamsRefuseWhatTheyCannotPlay)
{
    AUSND_STREAM* s = Open();
    ASSERT_NE(s, nullptr);
    const int outside[] = {0, 3};
    EXPECT_FALSE(AUSND_Stream_SetSubStreamSentence(s, outside, 2));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, s), 0);
    const int fine[] = {0, 1};
    EXPECT_FALSE(AUSND_Stream_SetSubStreamSentence(s, fine, 2)) << "only a stopped stream";
    AUSND_Stream_Close(s);

    // A sentence must keep one channel layout; a single sound of another layout plays alone.
    m_sounds.push_back(Ramp16("mono", 4000));
    m_sounds.back().rate = 44100;
    m_bank = WriteBank(m_sounds);
    s = Open();
    ASSERT_NE(s, nullptr);
    const int mixed[] = {0, 3};
    EXPECT_FALSE(AUSND_Stream_SetSubStreamSentence(s, mixed, 2));
    ASSERT_TRUE(AUSND_Stream_SetSubStream(s, 3));
    EXPECT_TRUE(AUSND_Stream_GetMode(s) & AUSND_MONO);
    Ends ends;
    const std::vector<int16_t> captured = PlayToEnd(s, ends);
    EXPECT_EQ(ends.calls, 1);
    ASSERT_GT(captured.size(), 4000u * 2);
    EXPECT_NE(captured[2 * 10], 0);
    EXPECT_EQ(captured[2 * 4000], 0);
    EXPECT_TRUE(AUSND_Stream_Close(s));

    // Other streams have no sub-streams.
    AUSND_STREAM* none = nullptr;
    EXPECT_EQ(AUSND_Stream_GetNumSubStreams(none), 0);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_FALSE(AUSND_Stream_SetSubStream(none, 0));
}

namespace
{
// The bank served through the file callbacks; reads past `failAt` fail.
struct FailingSource
{
    const std::vector<uint8_t>* data = nullptr;
    size_t at = 0;
    size_t failAt = 0;
};
FailingSource g_Source;

void* SourceOpen(const char*)
{
    g_Source.at = 0;
    return &g_Source;
}
void SourceClose(void*) {}
int SourceRead(void* buffer, int size, void*)
{
    if (g_Source.at + static_cast<size_t>(size) > g_Source.failAt)
        return -1;
    const size_t n = std::min(static_cast<size_t>(size), g_Source.data->size() - g_Source.at);
    std::memcpy(buffer, g_Source.data->data() + g_Source.at, n);
    g_Source.at += n;
    return static_cast<int>(n);
}
int SourceSeek(void*, int pos, signed char origin)
{
    const int64_t base = origin == 0 ? 0 : origin == 1 ? static_cast<int64_t>(g_Source.at)
                                                       : static_cast<int64_t>(g_Source.data->size());
    g_Source.at = static_cast<size_t>(std::max<int64_t>(0, base + pos));
    return 0;
}
int SourceTell(void*)
{
    return static_cast<int>(g_Source.at);
}
} // namespace

TEST_F(AsbStream, ASentenceStopsAtAFileError)
{
    // Reads fail once they reach into the middle of the second sound's data.
    const size_t secondData = m_bank.size() - m_sounds[2].data.size() - m_sounds[1].data.size();
    g_Source.data = &m_bank;
    g_Source.failAt = secondData + m_sounds[1].data.size() / 2;
    AUSND_File_SetCallbacks(SourceOpen, SourceClose, SourceRead, SourceSeek, SourceTell);
    AUSND_STREAM* s = AUSND_Stream_Open("bank", AUSND_2D, 0, 0);
    ASSERT_NE(s, nullptr) << AUSND_GetError();
    const int order[] = {0, 1, 2};
    ASSERT_TRUE(AUSND_Stream_SetSubStreamSentence(s, order, 3));
    Ends ends;
    const std::vector<int16_t> captured = PlayToEnd(s, ends);
    AUSND_File_SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(ends.calls, 1);
    const std::vector<int16_t> first = Values(m_sounds[0]);
    for (size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(captured[i], FullGain(first[i])) << i;
    // The third sound never plays.
    const std::vector<int16_t> third = Values(m_sounds[2]);
    const auto found = std::search(captured.begin(), captured.end(), third.begin(), third.begin() + 64,
                                   [](int16_t c, int16_t v) { return c == FullGain(v); });
    EXPECT_EQ(found, captured.end());
    EXPECT_TRUE(AUSND_Stream_Close(s));
}

namespace
{
// Waits (with a fail-safe bound) until a non-blocking open or switch has run.
int WaitForOpen(AUSND_STREAM* s)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int state = AUSND_Stream_GetOpenState(s);
    while (state == -2 && std::chrono::steady_clock::now() < limit)
    {
        std::this_thread::yield();
        state = AUSND_Stream_GetOpenState(s);
    }
    return state;
}
} // namespace

TEST(AsbStreamThreaded, NonBlockingStreamsSwitchOnTheOpenThread)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND));
    ASSERT_TRUE(AUSND_Init(44100, 32, 0));
    const std::vector<uint8_t> bank = WriteBank({StereoSound("first", 3000, 1), StereoSound("second", 2000, 2),
                                                 StereoSound("third", 1000, 3)});
    // A switch asked while the open runs is taken by the open.
    AUSND_STREAM* s = AUSND_Stream_Open(reinterpret_cast<const char*>(bank.data()),
                                        AUSND_LOADMEMORY | AUSND_NONBLOCKING, 0, static_cast<int>(bank.size()));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(AUSND_Stream_SetSubStream(s, 2));
    ASSERT_EQ(WaitForOpen(s), 0);
    EXPECT_STREQ(AUSND_Stream_GetSample(s)->name, "third");
    EXPECT_EQ(AUSND_Stream_GetLengthMs(s), (1000 * 1000 + 999) / 44100);

    // A later switch is queued on the open thread too; the stream is not ready meanwhile.
    EXPECT_TRUE(AUSND_Stream_SetSubStream(s, 1));
    ASSERT_EQ(WaitForOpen(s), 0);
    EXPECT_STREQ(AUSND_Stream_GetSample(s)->name, "second");
    EXPECT_EQ(AUSND_Stream_GetNumSubStreams(s), 3);
    EXPECT_TRUE(AUSND_Stream_Close(s));
    AUSND_Close();
    AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
}

TEST_F(AsbStream, ImaAdpcmSoundsStreamAsTheLoaderDecodesThem)
{
    // 100 stereo blocks of 64 frames: a 4-byte head per channel, then nibbles.
    Sound adpcm{"adpcm", AUSND_IMAADPCM | AUSND_STEREO, {}, 6400};
    adpcm.rate = 44100;
    uint32_t state = 12345;
    for (int block = 0; block < 100; ++block)
    {
        for (int channel = 0; channel < 2; ++channel)
            adpcm.data.insert(adpcm.data.end(), {0, 0, static_cast<uint8_t>((block * 7 + channel) % 60), 0});
        for (int i = 0; i < 64; ++i)
        {
            state = state * 1664525u + 1013904223u;
            adpcm.data.push_back(static_cast<uint8_t>(state >> 24));
        }
    }
    const std::vector<uint8_t> single = WriteBank({adpcm});
    AUSND_SAMPLE* sample = LoadMemory(single);
    ASSERT_NE(sample, nullptr) << AUSND_GetError();
    const std::vector<uint8_t> bytes = Bytes(sample);
    std::vector<int16_t> decoded(bytes.size() / 2);
    std::memcpy(decoded.data(), bytes.data(), decoded.size() * 2);
    AUSND_Sample_Free(sample);
    ASSERT_EQ(decoded.size(), 6400u * 2);

    m_bank = WriteBank({m_sounds[1], adpcm});
    AUSND_STREAM* s = Open();
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(AUSND_Stream_SetSubStream(s, 1));
    Ends ends;
    const std::vector<int16_t> captured = PlayToEnd(s, ends);
    EXPECT_EQ(ends.calls, 1);
    ASSERT_GT(captured.size(), decoded.size());
    for (size_t i = 0; i < decoded.size(); ++i)
        ASSERT_EQ(captured[i], FullGain(decoded[i])) << "value " << i;

    // A seek inside a block decodes the whole block and drops the frames before the target.
    ASSERT_TRUE(AUSND_Stream_SetPCM(s, 1000));
    AUSND_Capture_Clear();
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, s), 0);
    MixBlocks(2);
    const std::vector<int16_t> after = Captured();
    for (size_t i = 0; i < 2048; ++i)
        ASSERT_EQ(after[i], FullGain(decoded[2000 + i])) << "value " << i;
    EXPECT_TRUE(AUSND_Stream_Close(s));
}
