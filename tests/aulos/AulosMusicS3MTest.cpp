// The S3M loader and its playing by the shared tracker player, against libxmp.
#include "MusicTestSupport.h"

namespace
{
int Letter(char c)
{
    return c - 'A' + 1;
}

ModuleSong S3MSong()
{
    ModuleSong song;
    song.name = "s3m song";
    song.channels = 4;
    song.samples.push_back(SineSample("sine", 2048, 32));
    song.samples.push_back(SquareSample("square", 1000, 50));
    song.samples[1].volume = 48;
    song.samples[1].c2spd = 16726;
    song.samples.push_back(SineSample("sixteen", 800, 40));
    song.samples[2].sixteen = true;
    song.samples[2].c2spd = 22050;
    song.AddPatterns(3);
    song.orders = {0, 1, 2};
    song.Cell(0, 0, 0) = {49, 1, 0, 0, 0};
    song.Cell(0, 0, 1) = {61, 2, 0, 0, 0};
    song.Cell(0, 4, 2) = {37, 3, 33, 0, 0};
    return song;
}
} // namespace

TEST_F(MusicTest, S3mLoaderFactsEqualLibxmp)
{
    const std::vector<uint8_t> bytes = WriteS3M(S3MSong());
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    XmpReference xmp(bytes);
    ASSERT_TRUE(xmp.Loaded());
    const xmp_module& ref = xmp.Module();
    EXPECT_STREQ(AUMUS_GetName(song), ref.name);
    EXPECT_EQ(AUMUS_GetType(song), AUMUS_TYPE_S3M);
    EXPECT_EQ(AUMUS_GetNumChannels(song), ref.chn);
    EXPECT_EQ(AUMUS_GetNumOrders(song), PlayedOrder(ref, ref.len));
    EXPECT_EQ(AUMUS_GetNumPatterns(song), ref.pat);
    EXPECT_EQ(AUMUS_GetNumSamples(song), ref.smp);
    for (int i = 0; i < ref.smp; ++i)
    {
        SCOPED_TRACE("sample " + std::to_string(i));
        const AUSND_SAMPLE* s = AUMUS_GetSample(song, i);
        ASSERT_NE(s, nullptr);
        const xmp_sample& rs = ref.xxs[i];
        EXPECT_EQ(static_cast<int>(s->length), rs.len);
        EXPECT_EQ((s->mode & AUSND_16BITS) != 0, (rs.flg & XMP_SAMPLE_16BIT) != 0);
        EXPECT_EQ(static_cast<int>(s->loopstart), rs.lps);
        EXPECT_EQ(static_cast<int>(s->loopstart + s->looplen), rs.lpe);
        EXPECT_EQ(s->defvol, ref.xxi[i].sub[0].vol);
        const double hz = 8363.0 * std::pow(2.0, (ref.xxi[i].sub[0].xpo * 128 + ref.xxi[i].sub[0].fin) / 1536.0);
        EXPECT_NEAR(s->deffreq, hz, hz * 0.005);
    }
}

TEST_F(MusicTest, TimelineOfS3mEffectsEqualsLibxmp)
{
    ModuleSong s = S3MSong();
    s.orders = {0, 1, 254, 2, 1};
    // Pattern 1: speed, tempo, slides of every kind, vibrato, tremolo, arpeggio.
    s.Cell(1, 0, 0) = {49, 1, 0, static_cast<uint8_t>(Letter('A')), 5};
    s.Cell(1, 0, 1) = {52, 2, 0, static_cast<uint8_t>(Letter('T')), 140};
    s.Cell(1, 1, 0) = {0, 0, 0, static_cast<uint8_t>(Letter('E')), 0x08};
    s.Cell(1, 2, 0) = {0, 0, 0, static_cast<uint8_t>(Letter('F')), 0x06};
    s.Cell(1, 3, 0) = {0, 0, 0, static_cast<uint8_t>(Letter('F')), 0xF4};
    s.Cell(1, 4, 0) = {0, 0, 0, static_cast<uint8_t>(Letter('E')), 0xE3};
    s.Cell(1, 5, 0) = {56, 0, 0, static_cast<uint8_t>(Letter('G')), 0x10};
    s.Cell(1, 6, 0) = {0, 0, 0, static_cast<uint8_t>(Letter('G')), 0x10};
    s.Cell(1, 7, 0) = {0, 0, 0, static_cast<uint8_t>(Letter('H')), 0x44};
    s.Cell(1, 8, 1) = {0, 0, 0, static_cast<uint8_t>(Letter('D')), 0x04};
    s.Cell(1, 9, 1) = {0, 0, 0, static_cast<uint8_t>(Letter('D')), 0x30};
    s.Cell(1, 10, 1) = {0, 0, 0, static_cast<uint8_t>(Letter('D')), 0xF2};
    s.Cell(1, 11, 1) = {0, 0, 0, static_cast<uint8_t>(Letter('D')), 0x2F};
    s.Cell(1, 12, 2) = {44, 1, 0, static_cast<uint8_t>(Letter('J')), 0x47};
    s.Cell(1, 13, 3) = {49, 2, 40, static_cast<uint8_t>(Letter('R')), 0x48};
    s.Cell(1, 14, 3) = {0, 0, 0, static_cast<uint8_t>(Letter('U')), 0x48};
    s.Cell(1, 15, 2) = {49, 3, 0, static_cast<uint8_t>(Letter('O')), 0x02};
    s.Cell(1, 16, 1) = {0, 0, 0, static_cast<uint8_t>(Letter('V')), 0x30};
    s.Cell(1, 17, 0) = {0, 0, 0, static_cast<uint8_t>(Letter('S')), 0xC2};
    s.Cell(1, 18, 0) = {49, 1, 0, static_cast<uint8_t>(Letter('S')), 0xD2};
    s.Cell(1, 19, 2) = {0, 0, 0, static_cast<uint8_t>(Letter('X')), 0x20};
    s.Cell(1, 20, 1) = {0, 0, 0, static_cast<uint8_t>(Letter('S')), 0xE1};
    s.Cell(1, 22, 3) = {0, 0, 0, static_cast<uint8_t>(Letter('C')), 0x10};
    // Pattern 2: a pattern loop, a retrigger, a volume column, then a jump.
    s.Cell(2, 10, 0) = {49, 1, 0, static_cast<uint8_t>(Letter('S')), 0xB0};
    s.Cell(2, 11, 1) = {49, 2, 0, static_cast<uint8_t>(Letter('Q')), 0x03};
    s.Cell(2, 12, 0) = {0, 0, 0, static_cast<uint8_t>(Letter('S')), 0xB2};
    s.Cell(2, 13, 2) = {0, 0, 41, 0, 0};
    s.Cell(2, 14, 2) = {0, 0, 0, static_cast<uint8_t>(Letter('K')), 0x02};
    s.Cell(2, 14, 3) = {0, 0, 0, static_cast<uint8_t>(Letter('B')), 4};
    CompareTimeline(WriteS3M(s), XMP_MODE_S3M, 4000, 400);
}

TEST_F(MusicTest, S3mOrderMarkersAndMissingPatternsAreHandled)
{
    ModuleSong s = S3MSong();
    s.orders = {0, 254, 1, 5, 255, 2};
    AUMUS_SONG* song = Load(WriteS3M(s));
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(AUMUS_GetNumOrders(song), 4); // the markers are dropped
    EXPECT_EQ(AUMUS_GetNumPatterns(song), 6); // pattern 5 is made empty
    EXPECT_EQ(AUMUS_GetPatternLength(song, 2), 64);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    MixBlocks(200);
    EXPECT_TRUE(AUMUS_IsPlaying(song));
}

TEST_F(MusicTest, S3mCutAndBadHeadersAreRefused)
{
    std::vector<uint8_t> bytes = WriteS3M(S3MSong());
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 100);
    EXPECT_EQ(Load(cut), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
    bytes[64] = bytes[65] = bytes[66] = bytes[67] = 255; // every channel off
    EXPECT_EQ(Load(bytes), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
}
