// The IT loader, its sample decompression and its playing by the shared
// tracker player, against libxmp.
#include "MusicTestSupport.h"

#include <random>

namespace
{
int Letter(char c)
{
    return c - 'A' + 1;
}

uint8_t Fx(char c)
{
    return static_cast<uint8_t>(Letter(c));
}

ModuleSong ITSong()
{
    ModuleSong song;
    song.name = "it song";
    song.channels = 4;
    song.samples.push_back(SineSample("sine", 2048, 32));
    song.samples.push_back(SquareSample("square", 1000, 50));
    song.samples[1].volume = 48;
    song.samples[1].c2spd = 16000;
    song.samples[1].volumeenvelope.points = {{0, 64}, {10, 32}, {20, 48}, {40, 0}};
    song.samples[1].volumeenvelope.sustain = 2;
    song.samples[1].fadeout = 64;
    song.samples.push_back(SineSample("sixteen", 800, 40));
    song.samples[2].sixteen = true;
    song.AddPatterns(3);
    song.orders = {0, 1, 2};
    song.Cell(0, 0, 0) = {49, 1, 0, 0, 0};
    song.Cell(0, 0, 1) = {61, 2, 0, 0, 0};
    song.Cell(0, 4, 2) = {37, 3, 33, 0, 0};
    song.Cell(0, 12, 1) = {255, 0, 0, 0, 0};
    return song;
}

// Noise with runs of small and large steps, so that every width is used.
std::vector<int8_t> Noisy(size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<int8_t> data(length);
    int value = 0;
    for (size_t i = 0; i < length; ++i)
    {
        const int span = 1 << ((i / 97) % 8);
        value += static_cast<int>(random() % static_cast<unsigned>(2 * span + 1)) - span;
        value = std::max(-128, std::min(127, value));
        data[i] = static_cast<int8_t>(value);
    }
    return data;
}
} // namespace

TEST_F(MusicTest, ItDecompressionIsBitExactWithLibxmp)
{
    struct Case
    {
        bool sixteen;
        bool it215;
    };
    for (const Case c : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}})
    {
        SCOPED_TRACE(std::string(c.sixteen ? "16-bit" : "8-bit") + (c.it215 ? " 2.15" : " 2.14"));
        ModuleSong song = ITSong();
        song.samples.clear();
        ModuleSample s;
        s.name = "noise";
        s.data = Noisy(40000, c.sixteen ? 7u : 3u); // more than one block
        s.sixteen = c.sixteen;
        song.samples.push_back(s);
        ITOptions options;
        options.compressed = true;
        options.it215 = c.it215;
        options.instruments = false;
        const std::vector<uint8_t> bytes = WriteIT(song, options);
        XmpReference xmp(bytes);
        ASSERT_TRUE(xmp.Loaded());
        const xmp_sample& rs = xmp.Module().xxs[0];
        ASSERT_EQ(rs.len, 40000);
        AUMUS_SONG* ours = Load(bytes);
        ASSERT_NE(ours, nullptr) << AUSND_GetError();
        AUSND_SAMPLE* sample = AUMUS_GetSample(ours, 0);
        ASSERT_NE(sample, nullptr);
        void* p1 = nullptr;
        void* p2 = nullptr;
        unsigned int l1 = 0;
        unsigned int l2 = 0;
        const unsigned int bytesize = 40000u * (c.sixteen ? 2u : 1u);
        ASSERT_TRUE(AUSND_Sample_Lock(sample, 0, static_cast<int>(bytesize), &p1, &p2, &l1, &l2));
        ASSERT_EQ(l1, bytesize);
        // libxmp clears the last value of an 8-bit compressed sample; every other byte must match.
        const size_t compared = c.sixteen ? bytesize : bytesize - 1;
        for (size_t i = 0; i < compared; ++i)
        {
            if (static_cast<const uint8_t*>(p1)[i] != rs.data[i])
            {
                ADD_FAILURE() << "byte " << i << ": " << int(static_cast<const uint8_t*>(p1)[i]) << " libxmp " << int(rs.data[i]);
                break;
            }
        }
        // And the round trip gives back what was compressed.
        for (size_t i = 0; i < 40000; ++i)
        {
            const int expected = c.sixteen ? s.data[i] * 256 + (s.data[i] & 0x7F) : s.data[i];
            const int got = c.sixteen ? static_cast<const int16_t*>(p1)[i] : static_cast<const int8_t*>(p1)[i];
            if (expected != got)
            {
                ADD_FAILURE() << "value " << i << ": " << got << " instead of " << expected;
                break;
            }
        }
        AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
    }
}

TEST_F(MusicTest, ItDecompressionStopsAtTheEndOfItsSource)
{
    const std::vector<int16_t> values(5000, 3);
    std::vector<uint8_t> packed = CompressITSample(values, false, false);
    std::vector<int8_t> out(5000, 99);
    EXPECT_TRUE(AUMUS_IT_Decompress8(packed.data(), static_cast<uint32_t>(packed.size()), out.data(), 5000, false));
    EXPECT_EQ(out[4999], 3);
    // Cut short: the block runs out of bits, nothing is read past the data.
    std::vector<uint8_t> cut(packed.begin(), packed.begin() + 10);
    EXPECT_FALSE(AUMUS_IT_Decompress8(cut.data(), static_cast<uint32_t>(cut.size()), out.data(), 5000, false));
    EXPECT_EQ(out[4999], 0);
    // A second block that is not there fails and leaves zeros.
    std::vector<int8_t> two(40000, 99);
    EXPECT_FALSE(AUMUS_IT_Decompress8(packed.data(), static_cast<uint32_t>(packed.size()), two.data(), 40000, false));
    EXPECT_EQ(two[39999], 0);
    // A width above the top is corrupt.
    const uint8_t corrupt[] = {4, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_FALSE(AUMUS_IT_Decompress16(corrupt, sizeof(corrupt), two.data(), 100, false));
    EXPECT_FALSE(AUMUS_IT_Decompress8(nullptr, 0, two.data(), 10, false));
}

TEST_F(MusicTest, ItLoaderFactsEqualLibxmp)
{
    const std::vector<uint8_t> bytes = WriteIT(ITSong());
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    XmpReference xmp(bytes);
    ASSERT_TRUE(xmp.Loaded());
    const xmp_module& ref = xmp.Module();
    EXPECT_STREQ(AUMUS_GetName(song), ref.name);
    EXPECT_EQ(AUMUS_GetType(song), AUMUS_TYPE_IT);
    EXPECT_EQ(AUMUS_GetNumChannels(song), ref.chn);
    EXPECT_EQ(AUMUS_GetNumOrders(song), PlayedOrder(ref, ref.len));
    EXPECT_EQ(AUMUS_GetNumPatterns(song), ref.pat);
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
        EXPECT_EQ(static_cast<int>(s->loopstart), rs.lps);
        EXPECT_EQ(static_cast<int>(s->loopstart + s->looplen), rs.lpe);
        const AUMUS_INSTRUMENT& ins = player->instruments[i];
        const xmp_instrument& ri = ref.xxi[i];
        EXPECT_EQ(s->defvol, ri.sub[0].vol);
        EXPECT_EQ(ins.fadeout, ri.rls);
        EXPECT_EQ(ins.globalvolume, ri.vol * 2);
        const AUMUS_ENVELOPE& env = ins.envelopes[0];
        EXPECT_EQ((env.flags & AUMUS_ENV_ON) != 0, (ri.aei.flg & XMP_ENVELOPE_ON) != 0);
        for (int p = 0; (env.flags & AUMUS_ENV_ON) && p < env.points; ++p)
        {
            EXPECT_EQ(env.tick[p], ri.aei.data[p * 2]);
            EXPECT_EQ(env.value[p], ri.aei.data[p * 2 + 1]);
        }
    }
}

TEST_F(MusicTest, TimelineOfItEffectsEqualsLibxmp)
{
    ModuleSong s = ITSong();
    s.orders = {0, 1, 2, 1};
    s.Cell(1, 0, 0) = {49, 1, 0, Fx('A'), 5};
    s.Cell(1, 0, 1) = {52, 2, 0, Fx('T'), 140};
    s.Cell(1, 1, 0) = {0, 0, 0, Fx('E'), 0x08};
    s.Cell(1, 2, 0) = {0, 0, 0, Fx('F'), 0x06};
    s.Cell(1, 3, 0) = {0, 0, 0, Fx('F'), 0xF4};
    s.Cell(1, 4, 0) = {0, 0, 0, Fx('E'), 0xE3};
    s.Cell(1, 5, 0) = {56, 1, 0, Fx('G'), 0x10};
    s.Cell(1, 6, 0) = {0, 0, 0, Fx('G'), 0x10};
    s.Cell(1, 8, 1) = {0, 0, 0, Fx('D'), 0x04};
    s.Cell(1, 9, 1) = {0, 0, 0, Fx('D'), 0x30};
    s.Cell(1, 10, 1) = {0, 0, 0, Fx('D'), 0xF2};
    s.Cell(1, 11, 1) = {0, 0, 0, Fx('D'), 0x2F};
    s.Cell(1, 12, 2) = {44, 1, 0, 0, 0}; // libxmp reports IT periods without the arpeggio: not compared
    s.Cell(1, 14, 3) = {49, 3, 0, Fx('M'), 0x20};
    s.Cell(1, 15, 3) = {0, 0, 0, Fx('N'), 0x02};
    s.Cell(1, 16, 2) = {49, 3, 0, Fx('O'), 0x02};
    s.Cell(1, 17, 1) = {0, 0, 0, Fx('V'), 0x60};
    s.Cell(1, 18, 0) = {0, 0, 0, Fx('S'), 0xC2};
    s.Cell(1, 19, 0) = {49, 1, 0, Fx('S'), 0xD2};
    s.Cell(1, 20, 2) = {0, 0, 0, Fx('X'), 0x40};
    s.Cell(1, 21, 1) = {0, 0, 0, Fx('S'), 0xE1};
    s.Cell(1, 22, 3) = {0, 0, 0, Fx('W'), 0x02};
    s.Cell(1, 23, 3) = {0, 0, 0, Fx('C'), 0x10};
    s.Cell(2, 10, 0) = {49, 1, 0, Fx('S'), 0xB0};
    s.Cell(2, 11, 1) = {49, 2, 0, Fx('Q'), 0x03};
    s.Cell(2, 12, 0) = {0, 0, 0, Fx('S'), 0xB2};
    s.Cell(2, 13, 2) = {0, 0, 21, 0, 0};
    s.Cell(2, 14, 2) = {0, 0, 0, Fx('D'), 0x02};
    s.Cell(2, 15, 3) = {254, 0, 0, 0, 0};
    s.Cell(2, 16, 3) = {0, 0, 0, Fx('B'), 3};
    CompareTimeline(WriteIT(s), XMP_MODE_IT, 4000, 400);
}

TEST_F(MusicTest, ItOrderMarkersAndLongOrderListsAreHandled)
{
    ModuleSong s = ITSong();
    s.orders = {0, 254, 1, 2};
    std::vector<uint8_t> bytes = WriteIT(s);
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    EXPECT_EQ(AUMUS_GetNumOrders(song), 3);
    EXPECT_EQ(AUMUS_GetPattern(song), 0);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    MixBlocks(100);
    bytes.resize(150);
    EXPECT_EQ(Load(bytes), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
}
