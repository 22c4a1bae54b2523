// Sound banks played as songs: their sounds in bank order, each once.
#include "MusicTestSupport.h"

namespace
{
std::vector<ModuleSample> ThreeSounds()
{
    std::vector<ModuleSample> sounds;
    sounds.push_back(SineSample("one", 3000, 30));
    sounds.push_back(SquareSample("two", 2000, 40));
    sounds.push_back(SineSample("three", 1000, 20));
    return sounds;
}

// The orders the song played, one entry per sound started, over enough blocks.
std::vector<int> PlayedOrders(AUMUS_SONG* song, int blocks)
{
    std::vector<int> orders;
    for (int i = 0; i < blocks && AUMUS_IsPlaying(song); ++i)
    {
        AUSND_Update();
        const int order = AUMUS_GetOrder(song);
        if (orders.empty() || orders.back() != order)
            orders.push_back(order);
    }
    return orders;
}
} // namespace

TEST_F(MusicTest, BankPlaysItsSoundsInOrderOnce)
{
    for (const bool compact : {false, true})
    {
        SCOPED_TRACE(compact ? "compact headers" : "full headers");
        AUMUS_SONG* song = Load(WriteASB(ThreeSounds(), true, compact), AUMUS_LOAD_NOLOOP);
        ASSERT_NE(song, nullptr) << AUSND_GetError();
        EXPECT_EQ(AUMUS_GetType(song), AUMUS_TYPE_ASB);
        EXPECT_STREQ(AUMUS_GetName(song), "Aulos Sample Bank");
        EXPECT_EQ(AUMUS_GetNumOrders(song), 3);
        EXPECT_EQ(AUMUS_GetNumChannels(song), 0);
        EXPECT_EQ(AUMUS_GetSample(song, 1)->length, 2000u);
        ASSERT_TRUE(AUMUS_PlaySong(song));
        EXPECT_EQ(PlayedOrders(song, 400), (std::vector<int>{0, 1, 2}));
        EXPECT_FALSE(AUMUS_IsPlaying(song));
        EXPECT_TRUE(AUMUS_IsFinished(song));
    }
}

TEST_F(MusicTest, LoopingBankStartsAgainAndReportsFinished)
{
    AUMUS_SONG* song = Load(WriteASB(ThreeSounds(), false));
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    ASSERT_TRUE(AUMUS_PlaySong(song));
    const std::vector<int> orders = PlayedOrders(song, 120);
    ASSERT_GE(orders.size(), 4u);
    EXPECT_EQ(std::vector<int>(orders.begin(), orders.begin() + 4), (std::vector<int>{0, 1, 2, 0}));
    EXPECT_TRUE(AUMUS_IsFinished(song));
    EXPECT_TRUE(AUMUS_IsPlaying(song));
}

TEST_F(MusicTest, BanksSkipEmptySlotsAndFinishEmptyAtOnce)
{
    const int list[] = {0, 2};
    const std::vector<uint8_t> bank = WriteASB(ThreeSounds());
    AUMUS_SONG* song = AUMUS_LoadSongEx(reinterpret_cast<const char*>(bank.data()), 0, static_cast<int>(bank.size()),
                                        AUSND_LOADMEMORY | AUMUS_LOAD_NOLOOP, list, 2);
    ASSERT_NE(song, nullptr);
    m_Songs.push_back(song);
    EXPECT_EQ(AUMUS_GetSample(song, 1), nullptr);
    ASSERT_TRUE(AUMUS_PlaySong(song));
    EXPECT_EQ(PlayedOrders(song, 400), (std::vector<int>{0, 2}));

    const int none[] = {7};
    AUMUS_SONG* empty = AUMUS_LoadSongEx(reinterpret_cast<const char*>(bank.data()), 0,
                                         static_cast<int>(bank.size()), AUSND_LOADMEMORY, none, 1);
    ASSERT_NE(empty, nullptr);
    m_Songs.push_back(empty);
    ASSERT_TRUE(AUMUS_PlaySong(empty));
    MixBlocks(2);
    EXPECT_FALSE(AUMUS_IsPlaying(empty));
    EXPECT_TRUE(AUMUS_IsFinished(empty));
}

TEST_F(MusicTest, TwoBanksPlayOnTheirOwnChannelsAndRestartFromTheFirstSound)
{
    AUMUS_SONG* a = Load(WriteASB(ThreeSounds()), AUMUS_LOAD_NOLOOP);
    AUMUS_SONG* b = Load(WriteASB(ThreeSounds()), AUMUS_LOAD_NOLOOP);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(AUMUS_PlaySong(a));
    ASSERT_TRUE(AUMUS_PlaySong(b));
    MixBlocks(3);
    EXPECT_EQ(AUSND_GetChannelsPlaying(), 2);
    EXPECT_TRUE(AUMUS_StopSong(a));
    MixBlocks(1);
    EXPECT_EQ(AUSND_GetChannelsPlaying(), 1);
    EXPECT_TRUE(AUMUS_IsPlaying(b));
    MixBlocks(20);
    ASSERT_TRUE(AUMUS_PlaySong(a));
    MixBlocks(1);
    EXPECT_EQ(AUMUS_GetOrder(a), 0);
}

TEST_F(MusicTest, CorruptBanksAreRefused)
{
    std::vector<uint8_t> bank = WriteASB(ThreeSounds());
    std::vector<uint8_t> cut(bank.begin(), bank.begin() + 60);
    EXPECT_EQ(Load(cut), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
    bank[4] = 0; // no sounds
    EXPECT_EQ(Load(bank), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
    // A codec the bank reader does not take is no bank it knows.
    std::vector<uint8_t> foreign = WriteASB(ThreeSounds());
    const uint32_t mode = 0x20 | 0x100 | 0x1 | AUSND_ADPCM28;
    for (int b = 0; b < 4; ++b)
        foreign[24 + 48 + static_cast<size_t>(b)] = static_cast<uint8_t>(mode >> (8 * b));
    EXPECT_EQ(Load(foreign), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
}

TEST_F(MusicTest, BankPlaysItsImaAdpcmSoundsDecoded)
{
    // Compact headers take the first sound's form: there every sound is packed.
    for (const bool compact : {false, true})
    {
        SCOPED_TRACE(compact ? "compact headers" : "full headers");
        std::vector<ModuleSample> sounds = ThreeSounds();
        sounds[1] = SineSample("packed", 1000, 50); // not a whole number of blocks
        const std::vector<bool> packing = compact ? std::vector<bool>{true, true, true} : std::vector<bool>{false, true, false};
        AUMUS_SONG* song = Load(WriteASB(sounds, true, compact, packing), AUMUS_LOAD_NOLOOP);
        ASSERT_NE(song, nullptr) << AUSND_GetError();
        AUSND_SAMPLE* packed = AUMUS_GetSample(song, 1);
        ASSERT_NE(packed, nullptr);
        ASSERT_EQ(packed->length, 1000u);
        EXPECT_TRUE(packed->mode & AUSND_16BITS);
        void* p1 = nullptr;
        void* p2 = nullptr;
        unsigned int l1 = 0;
        unsigned int l2 = 0;
        ASSERT_TRUE(AUSND_Sample_Lock(packed, 0, 2000, &p1, &p2, &l1, &l2));
        // Every whole block decodes to the sine it was made from, within the codec's error.
        const int16_t* values = static_cast<const int16_t*>(p1);
        // A wrong nibble order or block layout errs by the whole amplitude (32512).
        int worst = 0;
        long total = 0;
        for (size_t i = 0; i < 960; ++i)
        {
            const int error = std::abs(values[i] - sounds[1].data[i] * 256);
            worst = std::max(worst, error);
            total += error;
        }
        AUSND_Sample_Unlock(packed, p1, p2, l1, l2);
        EXPECT_LT(worst, 6000);
        EXPECT_LT(total / 960, 1000);
        ASSERT_TRUE(AUMUS_PlaySong(song));
        EXPECT_EQ(PlayedOrders(song, 400), (std::vector<int>{0, 1, 2}));
    }
}
