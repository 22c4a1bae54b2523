// The music core and the MOD player, against libxmp reading the same bytes.
#include "MusicTestSupport.h"
#include "aulos/ausnd_device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
// Four channels, two patterns, a sine and a square sample.
ModuleSong BasicSong(int channels = 4)
{
    ModuleSong song;
    song.name = "basic song";
    song.channels = channels;
    song.samples.push_back(SineSample("sine", 2048, 32));
    song.samples.push_back(SquareSample("square", 1024, 64));
    song.samples[1].volume = 40;
    song.samples[1].finetune = 3;
    song.AddPatterns(2);
    song.orders = {0, 1, 0};
    song.Cell(0, 0, 0) = {37, 1, 0, 0, 0};
    song.Cell(0, 0, 1) = {49, 2, 0, 0, 0};
    song.Cell(1, 0, 2) = {44, 1, 0, 0xC, 32};
    return song;
}

} // namespace

TEST_F(MusicTest, ModLoaderFactsEqualLibxmp)
{
    ModuleSong authored = BasicSong();
    authored.samples.push_back(SineSample("short loop", 512, 16));
    authored.samples[2].loopstart = 100;
    authored.samples[2].looplength = 2; // plays once
    const std::vector<uint8_t> bytes = WriteMOD(authored);
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    XmpReference xmp(bytes);
    ASSERT_TRUE(xmp.Loaded());
    const xmp_module& ref = xmp.Module();
    EXPECT_STREQ(AUMUS_GetName(song), ref.name);
    EXPECT_EQ(AUMUS_GetType(song), AUMUS_TYPE_MOD);
    EXPECT_EQ(AUMUS_GetNumChannels(song), ref.chn);
    EXPECT_EQ(AUMUS_GetNumOrders(song), ref.len);
    EXPECT_EQ(AUMUS_GetNumPatterns(song), ref.pat);
    EXPECT_EQ(AUMUS_GetNumSamples(song), ref.smp);
    EXPECT_EQ(AUMUS_GetPatternLength(song, 1), 64);
    for (int i = 0; i < ref.smp; ++i)
    {
        SCOPED_TRACE("sample " + std::to_string(i));
        const AUSND_SAMPLE* s = AUMUS_GetSample(song, i);
        ASSERT_NE(s, nullptr);
        const xmp_sample& rs = ref.xxs[i];
        EXPECT_EQ(static_cast<int>(s->length), rs.len);
        const bool loops = (s->mode & AUSND_LOOP_NORMAL) != 0;
        EXPECT_EQ(loops, (rs.flg & XMP_SAMPLE_LOOP) != 0);
        if (loops)
        {
            EXPECT_EQ(static_cast<int>(s->loopstart), rs.lps);
            EXPECT_EQ(static_cast<int>(s->loopstart + s->looplen), rs.lpe);
        }
        if (ref.xxi[i].nsm > 0)
        {
            EXPECT_EQ(s->defvol, ref.xxi[i].sub[0].vol);
            const double hz = 8363.0 * std::pow(2.0, ref.xxi[i].sub[0].fin / 1536.0);
            EXPECT_NEAR(s->deffreq, hz, hz * 0.005);
        }
    }
}

TEST_F(MusicTest, ModSignaturesGiveChannelCounts)
{
    struct Case
    {
        const char* signature;
        int channels; // 0: refused as not a module
    };
    const Case cases[] = {{"M.K.", 4}, {"M!K!", 4}, {"FLT4", 4}, {"6CHN", 6}, {"8CHN", 8},
                          {"16CH", 16}, {"3CHN", 3}, {"33CH", 0}, {"ABCD", 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.signature);
        ModuleSong authored = BasicSong(c.channels ? c.channels : 4);
        AUMUS_SONG* song = Load(WriteMOD(authored, c.signature));
        if (!c.channels)
        {
            EXPECT_EQ(song, nullptr);
            EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
            continue;
        }
        ASSERT_NE(song, nullptr);
        EXPECT_EQ(AUMUS_GetNumChannels(song), c.channels);
    }
}

TEST_F(MusicTest, BadModulesAreRefusedWithClearErrors)
{
    ModuleSong noOrders = BasicSong();
    noOrders.orders.clear();
    EXPECT_EQ(Load(WriteMOD(noOrders)), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);

    std::vector<uint8_t> cut = WriteMOD(BasicSong());
    cut.resize(1084 + 100); // patterns missing
    EXPECT_EQ(Load(cut), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);

    EXPECT_EQ(AUMUS_LoadSong("/nonexistent/song.mod"), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_NOTFOUND);
}

TEST_F(MusicTest, TimelineOfModEffectsEqualsLibxmp)
{
    ModuleSong authored = BasicSong();
    authored.AddPatterns(2);
    authored.orders = {0, 2, 3, 1};
    auto& s = authored;
    // Pattern 2: speed and tempo, slides, vibrato, tremolo, arpeggio, volume.
    s.Cell(2, 0, 0) = {37, 1, 0, 0xF, 4};
    s.Cell(2, 0, 1) = {49, 2, 0, 0xF, 150};
    s.Cell(2, 1, 0) = {0, 0, 0, 0x1, 3};
    s.Cell(2, 2, 0) = {0, 0, 0, 0x2, 5};
    s.Cell(2, 3, 0) = {44, 0, 0, 0x3, 8};
    s.Cell(2, 4, 0) = {0, 0, 0, 0x3, 0};
    s.Cell(2, 5, 0) = {0, 0, 0, 0x4, 0x46};
    s.Cell(2, 6, 0) = {0, 0, 0, 0x4, 0};
    s.Cell(2, 7, 1) = {0, 0, 0, 0xA, 0x02};
    s.Cell(2, 8, 1) = {0, 0, 0, 0xA, 0x30};
    s.Cell(2, 9, 2) = {40, 1, 0, 0x0, 0x37};
    s.Cell(2, 10, 2) = {0, 0, 0, 0x0, 0x37};
    s.Cell(2, 11, 3) = {45, 2, 0, 0xC, 20};
    s.Cell(2, 12, 3) = {0, 0, 0, 0xE, 0xA4};
    s.Cell(2, 13, 3) = {0, 0, 0, 0xE, 0xB2};
    s.Cell(2, 14, 0) = {0, 0, 0, 0xE, 0x12};
    s.Cell(2, 15, 0) = {0, 0, 0, 0xE, 0x22};
    s.Cell(2, 16, 2) = {50, 1, 0, 0x9, 2};
    s.Cell(2, 17, 3) = {0, 0, 0, 0xE, 0xC2};
    s.Cell(2, 18, 1) = {0, 0, 0, 0x6, 0x02};
    s.Cell(2, 19, 0) = {40, 0, 0, 0x5, 0x10};
    s.Cell(2, 20, 2) = {0, 0, 0, 0x8, 0x40};
    s.Cell(2, 24, 0) = {0, 0, 0, 0xE, 0xE2}; // pattern delay
    s.Cell(2, 26, 1) = {0, 0, 0, 0xD, 0x05}; // break to row 5 of the next order
    // Pattern 3: a pattern loop, a retrigger, a note delay, then a jump.
    s.Cell(3, 5, 0) = {37, 1, 0, 0xE, 0x60};
    s.Cell(3, 6, 1) = {0, 0, 0, 0xE, 0x92};
    s.Cell(3, 7, 0) = {0, 0, 0, 0xE, 0x62};
    s.Cell(3, 8, 2) = {42, 2, 0, 0xE, 0xD3};
    s.Cell(3, 9, 3) = {0, 0, 0, 0xF, 3};
    s.Cell(3, 12, 0) = {0, 0, 0, 0xB, 3};
    s.Cell(3, 12, 1) = {0, 0, 0, 0xD, 0x10}; // jump and break: order 3, row 10
    CompareTimeline(WriteMOD(authored), XMP_MODE_PROTRACKER, 3000, 400);
}

TEST_F(MusicTest, SpeedZeroFinishesAtTheEndOfTheRow)
{
    ModuleSong authored = BasicSong();
    authored.Cell(0, 2, 0) = {0, 0, 0, 0xF, 0};
    AUMUS_SONG* song = Load(WriteMOD(authored));
    ASSERT_NE(song, nullptr);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    for (int i = 0; i < 200 && song->tickcount >= 0; ++i)
        song->tick(song);
    EXPECT_EQ(song->tickcount, -1);
    EXPECT_TRUE(AUMUS_IsFinished(song));
    EXPECT_EQ(AUMUS_GetRow(song), 2);
}

TEST_F(MusicTest, ArpeggioWithoutANoteAndOffsetsPastTheDataAreHarmless)
{
    ModuleSong authored = BasicSong();
    authored.Cell(0, 1, 3) = {0, 0, 0, 0x0, 0xFF}; // no note on this channel yet
    authored.Cell(0, 2, 2) = {84, 1, 0, 0x0, 0xFF}; // high note plus 15 semitones
    authored.Cell(0, 3, 1) = {49, 2, 0, 0x9, 0xFF}; // offset far beyond the sample
    AUMUS_SONG* song = Load(WriteMOD(authored));
    ASSERT_NE(song, nullptr);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    MixBlocks(100);
    EXPECT_GE(AUMUS_GetRow(song), 3);
}

TEST_F(MusicTest, TempoAndMasterSpeedSetTheTickLength)
{
    AUMUS_SONG* song = Load(WriteMOD(BasicSong()));
    ASSERT_NE(song, nullptr);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    EXPECT_EQ(song->ticklength, 882); // 125 BPM: 50 ticks a second
    AUMUS_SetBPM(song, 0);
    EXPECT_EQ(AUMUS_GetBPM(song), 1);
    AUMUS_SetBPM(song, 125);
    EXPECT_TRUE(AUMUS_SetMasterSpeed(song, 2.0f));
    EXPECT_EQ(song->ticklength, 441);
    EXPECT_TRUE(AUMUS_SetMasterSpeed(song, 50.0f));
    EXPECT_FLOAT_EQ(song->speed, 10.0f);
    EXPECT_TRUE(AUMUS_SetMasterSpeed(song, 0.0f));
    const int row = AUMUS_GetRow(song);
    MixBlocks(20);
    EXPECT_EQ(AUMUS_GetRow(song), row); // held, not stopped
    EXPECT_TRUE(AUMUS_IsPlaying(song));
}

TEST_F(MusicTest, SetOrderClampsAndPlaysThere)
{
    AUMUS_SONG* song = Load(WriteMOD(BasicSong()));
    ASSERT_NE(song, nullptr);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    EXPECT_TRUE(AUMUS_SetOrder(song, 99));
    song->tick(song);
    EXPECT_EQ(AUMUS_GetOrder(song), 2);
    EXPECT_TRUE(AUMUS_SetOrder(song, -5));
    song->tick(song);
    EXPECT_EQ(AUMUS_GetOrder(song), 0);
    EXPECT_EQ(AUMUS_GetPattern(song), 0);
}

namespace
{
// No output of this platform has voices of its own, so the fixture lends the
// top mixer channels to the output's 3D and 2D ranges: the index of a new
// voice then tells which range it was taken from.
class MusicChannelRangeTest : public MusicTest
{
protected:
    void SetUp() override
    {
        MusicTest::SetUp();
        AUSND_CHANNELRANGE* ranges = AUSND_CurrentDevice->ranges;
        std::copy(ranges, ranges + 3, m_Saved);
        ranges[AUSND_RANGE_SOFTWARE] = {0, 15, 0};
        ranges[AUSND_RANGE_HW3D] = {16, 23, 16};
        ranges[AUSND_RANGE_HW2D] = {24, 31, 24};
    }
    void TearDown() override
    {
        std::copy(m_Saved, m_Saved + 3, AUSND_CurrentDevice->ranges);
        MusicTest::TearDown();
    }

    AUSND_CHANNELRANGE m_Saved[3]{};
};
} // namespace

TEST_F(MusicChannelRangeTest, NewVoiceTakesTheRangeOfItsSamplesPlacement)
{
    struct Case
    {
        const char* what;
        uint32_t placement; // mode bits of the song's first sample
        int range;
    };
    const Case cases[] = {
        {"mixer sample", 0, AUSND_RANGE_SOFTWARE},
        {"output 3D sample", AUSND_HW3D, AUSND_RANGE_HW3D},
        {"output 2D sample", AUSND_HW2D, AUSND_RANGE_HW2D},
    };
    struct Format
    {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    ModuleSong authored = BasicSong();
    const Format formats[] = {{"MOD player", WriteMOD(authored)}, {"shared player (S3M)", WriteS3M(authored)}};
    for (const Format& format : formats)
    {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(std::string(format.what) + ", " + c.what);
            AUMUS_SONG* song = Load(format.bytes);
            ASSERT_NE(song, nullptr) << AUSND_GetError();
            song->samples[0]->mode |= c.placement;
            ASSERT_TRUE(AUMUS_PlaySong(song));
            song->tick(song); // row 0: channel 0 plays sample 1
            const AUMUS_VCHANNEL* vc = song->channels[0].vchannels;
            ASSERT_NE(vc, nullptr);
            const AUSND_CHANNELRANGE& range = AUSND_CurrentDevice->ranges[c.range];
            EXPECT_GE(vc->index, range.first);
            EXPECT_LE(vc->index, range.last);
            song->samples[0]->mode &= ~c.placement;
        }
    }
}

namespace
{
std::vector<int> g_Rows;
std::vector<int> g_Orders;
void RecordRow(AUMUS_SONG*, unsigned char row)
{
    g_Rows.push_back(row);
}
void RecordOrder(AUMUS_SONG*, unsigned char order)
{
    g_Orders.push_back(order);
}
} // namespace

TEST_F(MusicTest, RowAndOrderCallbacksFireInsideTheUpdateWithoutRealTime)
{
    AUMUS_SONG* song = Load(WriteMOD(BasicSong()));
    ASSERT_NE(song, nullptr);
    g_Rows.clear();
    g_Orders.clear();
    ASSERT_TRUE(AUMUS_SetRowCallback(song, RecordRow, 4));
    ASSERT_TRUE(AUMUS_SetOrderCallback(song, RecordOrder, 1));
    ASSERT_TRUE(AUMUS_PlaySong(song));
    for (int i = 0; i < 6 * 64 + 1; ++i)
        song->tick(song);
    ASSERT_GE(g_Rows.size(), 17u);
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(g_Rows[i], static_cast<int>(i * 4));
    EXPECT_EQ(g_Orders, (std::vector<int>{0, 1}));
    // A step of 0 never fires.
    g_Rows.clear();
    ASSERT_TRUE(AUMUS_SetRowCallback(song, RecordRow, 0));
    for (int i = 0; i < 60; ++i)
        song->tick(song);
    EXPECT_TRUE(g_Rows.empty());
}

TEST_F(MusicTest, InvalidSongsAndArgumentsFailWithTheirResults)
{
    EXPECT_FALSE(AUMUS_PlaySong(nullptr));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_EQ(AUMUS_SetLooping(nullptr, true), -1);
    EXPECT_EQ(AUMUS_SetUserData(nullptr, 1), -1);
    EXPECT_FALSE(AUMUS_SetPaused(nullptr, true));
    EXPECT_EQ(AUMUS_GetType(nullptr), 0);
    EXPECT_EQ(AUMUS_GetOpenState(nullptr), -1);
    EXPECT_FALSE(AUMUS_FreeSong(nullptr));

    AUMUS_SONG* song = Load(WriteMOD(BasicSong()));
    ASSERT_NE(song, nullptr);
    EXPECT_FALSE(AUMUS_SetSample(song, -1, nullptr));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_TRUE(AUMUS_SetSample(song, 40, nullptr));
    EXPECT_EQ(AUMUS_GetNumSamples(song), 41);
    EXPECT_EQ(AUMUS_GetSample(song, 41), nullptr);
    EXPECT_FALSE(AUMUS_SetInstCallback(song, RecordRow, 256));
    EXPECT_EQ(AUMUS_GetRealChannel(song, 4), -1);
    EXPECT_EQ(AUMUS_SetUserData(song, 77), 1);
    EXPECT_EQ(AUMUS_GetUserData(song), 77u);
    EXPECT_TRUE(AUMUS_SetMasterVolume(song, 999));
    EXPECT_EQ(AUMUS_GetMasterVolume(song), 256);
}

TEST_F(MusicTest, BackgroundLoadBecomesReadyAndABadOneFails)
{
    const std::vector<uint8_t> bytes = WriteMOD(BasicSong());
    AUMUS_SONG* song = LoadMemory(bytes, AUSND_NONBLOCKING);
    ASSERT_NE(song, nullptr);
    m_Songs.push_back(song);
    const std::vector<uint8_t> junk(2000, 7);
    AUMUS_SONG* bad = LoadMemory(junk, AUSND_NONBLOCKING);
    ASSERT_NE(bad, nullptr);
    m_Songs.push_back(bad);
    // The capture output is not real-time: the open runs at once on this thread.
    EXPECT_EQ(AUMUS_GetOpenState(song), 0);
    EXPECT_EQ(AUMUS_GetOpenState(bad), -3);
    EXPECT_EQ(AUMUS_GetNumChannels(song), 4);
}

TEST_F(MusicTest, PlayingSongIsHeardAndStopsAtTheEndWithoutLooping)
{
    AUMUS_SONG* song = Load(WriteMOD(BasicSong()), AUMUS_LOAD_NOLOOP);
    ASSERT_NE(song, nullptr);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    MixBlocks(20);
    int peak = 0;
    for (int16_t v : Captured())
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 1000);
    EXPECT_GE(AUMUS_GetRealChannel(song, 0), 0);
    for (int i = 0; i < 2000 && AUMUS_IsPlaying(song); ++i)
        MixBlocks(1);
    EXPECT_FALSE(AUMUS_IsPlaying(song));
    EXPECT_TRUE(AUMUS_IsFinished(song));
}

namespace
{
void Ignore(AUMUS_SONG*, unsigned char) {}

// A real-time output, so that callbacks are queued for the time they are heard.
class RealTimeMusicTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND));
        ASSERT_TRUE(AUSND_Init(44100, 32, 0));
    }
    void TearDown() override { AUSND_Close(); }
};
} // namespace

TEST_F(RealTimeMusicTest, FullCallbackRingsCountWhatTheyDrop)
{
    const std::vector<uint8_t> bytes = WriteMOD(BasicSong());
    AUMUS_SONG* song = LoadMemory(bytes);
    ASSERT_NE(song, nullptr);
    ASSERT_TRUE(AUMUS_SetRowCallback(song, Ignore, 1));
    // The song is not playing, so nothing fires while the ring fills.
    for (int i = 0; i < 300; ++i)
        AUMUS_CheckCallback(song, AUMUS_CALLBACK_ROW, i);
    EXPECT_EQ(song->records[1]->dropped, 44u);
    int queued = 0;
    for (int i = 0; i < AUSND_SONG_CALLBACKQUEUE_LENGTH; ++i)
        queued += song->callbacks[1][i].time >= 0 ? 1 : 0;
    EXPECT_EQ(queued, 256);
    EXPECT_TRUE(AUMUS_FreeSong(song));
}

namespace
{
// A folder of its own for the module files a test writes, removed with them.
class MusicFileTest : public MusicTest
{
protected:
    void SetUp() override
    {
        MusicTest::SetUp();
        char pattern[] = "/tmp/aulos_music_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_sFolder = pattern;
    }

    void TearDown() override
    {
        MusicTest::TearDown();
        for (const std::string& path : m_Written)
            std::remove(path.c_str());
        if (!m_sFolder.empty())
            rmdir(m_sFolder.c_str());
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = m_sFolder + "/" + name;
        FILE* out = std::fopen(path.c_str(), "wb");
        EXPECT_NE(out, nullptr) << path;
        if (!out)
            return path;
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
        std::fclose(out);
        m_Written.push_back(path);
        return path;
    }

    AUMUS_SONG* Keep(AUMUS_SONG* song)
    {
        if (song)
            m_Songs.push_back(song);
        return song;
    }

    std::string m_sFolder;
    std::vector<std::string> m_Written;
};

// Two channels, a note on each, and a sample long enough that the file takes
// many reads.
ModuleSong FileSong()
{
    ModuleSong song;
    song.name = "song on disk";
    song.channels = 2;
    song.samples.push_back(SineSample("long sine", 40000, 50));
    song.samples.push_back(SquareSample("square", 1024, 64));
    song.AddPatterns(2);
    song.orders = {0, 1};
    song.Cell(0, 0, 0) = {37, 1, 0, 0, 0};
    song.Cell(1, 0, 1) = {49, 2, 0, 0, 0};
    return song;
}

// The song loaded from a file holds what the same bytes loaded from memory hold.
void ExpectSameSong(AUMUS_SONG* loaded, AUMUS_SONG* reference)
{
    EXPECT_EQ(AUMUS_GetType(loaded), AUMUS_GetType(reference));
    EXPECT_STREQ(AUMUS_GetName(loaded), AUMUS_GetName(reference));
    EXPECT_EQ(AUMUS_GetNumChannels(loaded), AUMUS_GetNumChannels(reference));
    EXPECT_EQ(AUMUS_GetNumOrders(loaded), AUMUS_GetNumOrders(reference));
    ASSERT_EQ(AUMUS_GetNumSamples(loaded), AUMUS_GetNumSamples(reference));
    for (int i = 0; i < AUMUS_GetNumSamples(reference); ++i)
    {
        const AUSND_SAMPLE* a = AUMUS_GetSample(loaded, i);
        const AUSND_SAMPLE* b = AUMUS_GetSample(reference, i);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        ASSERT_EQ(a->length, b->length) << "sample " << i;
        ASSERT_EQ(AUSND_Sample_ByteSize(a), AUSND_Sample_ByteSize(b));
        // An empty sample has no data at all.
        if (AUSND_Sample_ByteSize(a) == 0)
            continue;
        EXPECT_EQ(std::memcmp(a->data, b->data, AUSND_Sample_ByteSize(a)), 0) << "sample " << i;
    }
}
} // namespace

TEST_F(MusicFileTest, ModulesOfEveryFormatLoadFromFilesOnDisk)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        int type;
    };
    const Case cases[] = {{"song.mod", WriteMOD(FileSong()), AUMUS_TYPE_MOD},
                          {"song.s3m", WriteS3M(FileSong()), AUMUS_TYPE_S3M},
                          {"song.xm", WriteXM(FileSong()), AUMUS_TYPE_XM},
                          {"song.it", WriteIT(FileSong()), AUMUS_TYPE_IT}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_GT(c.bytes.size(), 40000u);
        AUMUS_SONG* reference = Load(c.bytes);
        ASSERT_NE(reference, nullptr) << AUSND_GetError();
        ASSERT_EQ(AUMUS_GetType(reference), c.type);
        const std::string path = Write(c.name, c.bytes);

        AUMUS_SONG* song = Keep(AUMUS_LoadSong(path.c_str()));
        ASSERT_NE(song, nullptr) << "error " << AUSND_GetError();
        EXPECT_EQ(AUSND_GetError(), AUSND_ERR_NONE);
        ExpectSameSong(song, reference);

        // The capture output is not real-time: the background load runs at once.
        AUMUS_SONG* background = Keep(AUMUS_LoadSongEx(path.c_str(), 0, 0, AUSND_NONBLOCKING, nullptr, 0));
        ASSERT_NE(background, nullptr) << "error " << AUSND_GetError();
        ASSERT_EQ(AUMUS_GetOpenState(background), 0);
        ExpectSameSong(background, reference);

        // A module inside a larger file, found by its offset and length.
        std::vector<uint8_t> packed(300 + c.bytes.size() + 200, 0xA5);
        std::copy(c.bytes.begin(), c.bytes.end(), packed.begin() + 300);
        std::fill(packed.end() - 200, packed.end(), 0x5A);
        const std::string packedPath = Write(std::string("packed_") + c.name, packed);
        AUMUS_SONG* inside =
            Keep(AUMUS_LoadSongEx(packedPath.c_str(), 300, static_cast<int>(c.bytes.size()), 0, nullptr, 0));
        ASSERT_NE(inside, nullptr) << "error " << AUSND_GetError();
        ExpectSameSong(inside, reference);
    }
}

TEST_F(MusicFileTest, UnreadableModuleFilesFailWithTheirErrors)
{
    const std::string missing = m_sFolder + "/missing.mod";
    EXPECT_EQ(AUMUS_LoadSong(missing.c_str()), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_NOTFOUND);
    AUMUS_SONG* pending = Keep(AUMUS_LoadSongEx(missing.c_str(), 0, 0, AUSND_NONBLOCKING, nullptr, 0));
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(AUMUS_GetOpenState(pending), -3);

    EXPECT_EQ(AUMUS_LoadSong(m_sFolder.c_str()), nullptr) << "a folder is no module";
    EXPECT_NE(AUSND_GetError(), AUSND_ERR_NONE);

    const std::string empty = Write("empty.xm", {});
    EXPECT_EQ(AUMUS_LoadSong(empty.c_str()), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);

    const std::string text = Write("text.it", std::vector<uint8_t>(5000, 'a'));
    EXPECT_EQ(AUMUS_LoadSong(text.c_str()), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
}
