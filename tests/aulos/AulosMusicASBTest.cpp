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
}
