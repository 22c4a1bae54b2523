// The XM loader and its playing by the shared tracker player, against libxmp.
#include "MusicTestSupport.h"

namespace
{
ModuleSong XMSong()
{
    ModuleSong song;
    song.name = "xm song";
    song.channels = 4;
    song.samples.push_back(SineSample("sine", 2048, 32));
    song.samples.push_back(SquareSample("square", 1000, 50));
    song.samples[1].volume = 48;
    song.samples[1].relnote = 5;
    song.samples[1].xmfinetune = -20;
    song.samples[1].pan = 60;
    song.samples[1].volumeenvelope.points = {{0, 64}, {10, 32}, {20, 48}, {40, 0}};
    song.samples[1].volumeenvelope.sustain = 2;
    song.samples[1].fadeout = 2000;
    song.samples[1].panenvelope.points = {{0, 32}, {8, 0}, {16, 64}};
    song.samples[1].panenvelope.loopstart = 0;
    song.samples[1].panenvelope.loopend = 2;
    song.samples.push_back(SineSample("sixteen", 800, 40));
    song.samples[2].sixteen = true;
    song.samples[2].bidi = true;
    song.AddPatterns(3);
    song.orders = {0, 1, 2};
    song.Cell(0, 0, 0) = {49, 1, 0, 0, 0};
    song.Cell(0, 0, 1) = {61, 2, 0, 0, 0};
    song.Cell(0, 4, 2) = {37, 3, 0x30, 0, 0};
    song.Cell(0, 12, 1) = {97, 0, 0, 0, 0};
    return song;
}
} // namespace

TEST_F(MusicTest, XmLoaderFactsEqualLibxmp)
{
    const std::vector<uint8_t> bytes = WriteXM(XMSong());
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    XmpReference xmp(bytes);
    ASSERT_TRUE(xmp.Loaded());
    const xmp_module& ref = xmp.Module();
    EXPECT_STREQ(AUMUS_GetName(song), ref.name);
    EXPECT_EQ(AUMUS_GetType(song), AUMUS_TYPE_XM);
    EXPECT_EQ(AUMUS_GetNumChannels(song), ref.chn);
    EXPECT_EQ(AUMUS_GetNumOrders(song), ref.len);
    EXPECT_EQ(AUMUS_GetNumPatterns(song), ref.pat - 1); // libxmp adds one blank pattern
    EXPECT_EQ(AUMUS_GetNumSamples(song), ref.smp);
    EXPECT_EQ(AUMUS_GetNumInstruments(song), ref.ins);
    const AUMUS_PLAYER* player = AUMUS_Player_Of(song);
    for (int i = 0; i < ref.smp; ++i)
    {
        SCOPED_TRACE("sample " + std::to_string(i));
        const AUSND_SAMPLE* s = AUMUS_GetSample(song, i);
        ASSERT_NE(s, nullptr);
        const xmp_sample& rs = ref.xxs[i];
        EXPECT_EQ(static_cast<int>(s->length), rs.len);
        EXPECT_EQ((s->mode & AUSND_16BITS) != 0, (rs.flg & XMP_SAMPLE_16BIT) != 0);
        EXPECT_EQ((s->mode & AUSND_LOOP_BIDI) != 0, (rs.flg & XMP_SAMPLE_LOOP_BIDIR) != 0);
        EXPECT_EQ(static_cast<int>(s->loopstart), rs.lps);
        EXPECT_EQ(static_cast<int>(s->loopstart + s->looplen), rs.lpe);
        const xmp_subinstrument& sub = ref.xxi[i].sub[0];
        EXPECT_EQ(s->defvol, sub.vol);
        EXPECT_EQ(player->sampleinfo[i].defpan, sub.pan);
        const double hz = 8363.0 * std::pow(2.0, (sub.xpo * 128 + sub.fin) / 1536.0);
        EXPECT_NEAR(s->deffreq, hz, 1.0);
        const AUMUS_INSTRUMENT& ins = player->instruments[i];
        const xmp_instrument& ri = ref.xxi[i];
        EXPECT_EQ(ins.fadeout, ri.rls); // both doubled
        const xmp_envelope* renv[2] = {&ri.aei, &ri.pei};
        for (int e = 0; e < 2; ++e)
        {
            const AUMUS_ENVELOPE& env = ins.envelopes[e];
            EXPECT_EQ((env.flags & AUMUS_ENV_ON) != 0, (renv[e]->flg & XMP_ENVELOPE_ON) != 0);
            if (!(env.flags & AUMUS_ENV_ON))
                continue;
            ASSERT_EQ(env.points, renv[e]->npt);
            for (int p = 0; p < env.points; ++p)
            {
                EXPECT_EQ(env.tick[p], renv[e]->data[p * 2]);
                EXPECT_EQ(env.value[p] + (e == 1 ? 32 : 0), renv[e]->data[p * 2 + 1]);
            }
            EXPECT_EQ((env.flags & AUMUS_ENV_SUSTAIN) != 0, (renv[e]->flg & XMP_ENVELOPE_SUS) != 0);
            EXPECT_EQ((env.flags & AUMUS_ENV_LOOP) != 0, (renv[e]->flg & XMP_ENVELOPE_LOOP) != 0);
        }
    }
}

TEST_F(MusicTest, TimelineOfXmEffectsEqualsLibxmp)
{
    ModuleSong s = XMSong();
    s.orders = {0, 1, 2, 1};
    s.restart = 1;
    s.Cell(1, 0, 0) = {49, 1, 0, 0xF, 5};
    s.Cell(1, 0, 1) = {52, 2, 0, 0xF, 140};
    s.Cell(1, 1, 0) = {0, 0, 0, 0x1, 0x08};
    s.Cell(1, 2, 0) = {0, 0, 0, 0x2, 0x06};
    s.Cell(1, 3, 0) = {0, 0, 0, 0xE, 0x14};
    s.Cell(1, 4, 0) = {0, 0, 0, 33, 0x23};
    s.Cell(1, 5, 0) = {56, 0, 0, 0x3, 0x10};
    s.Cell(1, 6, 0) = {0, 0, 0, 0x3, 0x10};
    s.Cell(1, 7, 0) = {0, 0, 0, 0x4, 0x44};
    s.Cell(1, 8, 1) = {0, 0, 0, 0xA, 0x04};
    s.Cell(1, 9, 1) = {0, 0, 0, 0xA, 0x30};
    s.Cell(1, 10, 1) = {0, 0, 0x85, 0, 0};
    s.Cell(1, 12, 1) = {0, 0, 0, 0xE, 0xA2};
    s.Cell(1, 11, 1) = {0, 0, 0x63, 0, 0};
    s.Cell(1, 12, 2) = {44, 1, 0, 0x0, 0x47};
    s.Cell(1, 13, 3) = {49, 2, 0x28, 0x7, 0x48};
    s.Cell(1, 14, 3) = {0, 0, 0, 0x6, 0x02};
    s.Cell(1, 15, 2) = {49, 3, 0, 0x9, 0x02};
    s.Cell(1, 16, 1) = {0, 0, 0, 16, 0x30};
    s.Cell(1, 17, 0) = {0, 0, 0, 0xE, 0xC2};
    s.Cell(1, 18, 0) = {49, 1, 0, 0xE, 0xD2};
    s.Cell(1, 19, 2) = {0, 0, 0, 0x8, 0x20};
    s.Cell(1, 20, 1) = {0, 0, 0, 0xE, 0xE1};
    s.Cell(1, 21, 3) = {49, 2, 0, 20, 3};
    s.Cell(1, 22, 3) = {0, 0, 0, 0xD, 0x10};
    s.Cell(2, 10, 0) = {49, 1, 0, 0xE, 0x60};
    s.Cell(2, 11, 1) = {49, 2, 0, 27, 0x03};
    s.Cell(2, 12, 0) = {0, 0, 0, 0xE, 0x62};
    s.Cell(2, 13, 2) = {0, 0, 0x21, 0, 0};
    s.Cell(2, 14, 2) = {0, 0, 0, 0xC, 40};
    s.Cell(2, 15, 3) = {0, 0, 0, 17, 0x02};
    s.Cell(2, 16, 3) = {0, 0, 0, 0xB, 3};
    CompareTimeline(WriteXM(s), XMP_MODE_FT2, 4000, 400);
}

TEST_F(MusicTest, XmBadHeadersAreRefusedOrClamped)
{
    const std::vector<uint8_t> good = WriteXM(XMSong());
    std::vector<uint8_t> bytes = good;
    bytes[68] = 65; // channels
    EXPECT_EQ(Load(bytes), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
    bytes = good;
    bytes[68] = 0;
    EXPECT_EQ(Load(bytes), nullptr);
    bytes = good;
    bytes[66] = 0xFF; // restart order past the end
    bytes[67] = 0x0F;
    bytes[64] = 0x2C;
    bytes[65] = 0x01; // 300 orders: 256 kept
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(AUMUS_GetNumOrders(song), 256);
    EXPECT_EQ(song->restartorder, 0);
    bytes = good;
    bytes.resize(40);
    EXPECT_EQ(Load(bytes), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
    // A pattern of 0 rows.
    bytes = good;
    bytes[336 + 5] = 0;
    bytes[336 + 6] = 0;
    EXPECT_EQ(Load(bytes), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
}

TEST_F(MusicTest, XmBadEnvelopesAndNoteMapsAreMadeSafe)
{
    ModuleSong s = XMSong();
    s.samples[1].volumeenvelope.sustain = 9; // past the points
    s.samples[1].panenvelope.points = {{0, 32}};
    std::vector<uint8_t> bytes = WriteXM(s);
    // The first instrument maps note 1 to sample 7 of its one sample.
    const size_t instrument = bytes.size() - 0; // found below
    (void)instrument;
    size_t at = 336;
    for (int p = 0; p < 3; ++p)
    {
        const size_t packed = bytes[at + 7] | (bytes[at + 8] << 8);
        at += 9 + packed;
    }
    bytes[at + 33] = 7;
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    const AUMUS_PLAYER* player = AUMUS_Player_Of(song);
    EXPECT_EQ(player->instruments[0].notesample[0], 0);
    EXPECT_EQ(player->instruments[0].notesample[1], 1);
    EXPECT_FALSE(player->instruments[1].envelopes[0].flags & AUMUS_ENV_SUSTAIN);
    EXPECT_FALSE(player->instruments[1].envelopes[1].flags & AUMUS_ENV_ON);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    MixBlocks(300);
}
