// Sound nodes and sound modifiers: user counting, the restart interval, the
// end of a play after its length, and the modifier's timing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "aulos/ausnd.h"
#include "engine/core/SmartPtr.h"
#include "engine/modifier/ModifierSound.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sprite/SoundNode.h"
#include "tests/MonoWav.h"

using namespace ZQ2;

namespace {
// 500 ms of a mono 16-bit tone at 44100 Hz.
std::string HalfSecondWav() {
    std::vector<int16_t> samples(22050);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint16_t>((i % 100) * 200));
    return mono_wav::Write(::testing::TempDir() + "soundnode_" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav",
                           samples);
}

class SoundNodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("DELVOR_AUDIO_OUTPUT", "capture", 1);
        SoundManager::CreateInstance(0, 44100, 32);
        m_pSound = new Sound(1.0f, 1.0f, 1.0f);
        ASSERT_EQ(m_pSound->LoadSample(HalfSecondWav(), ARCHIVE_FILE, 304), 0);
        ASSERT_EQ(m_pSound->GetLength(), 500u);
    }
    void TearDown() override {
        m_pSound = nullptr;
        SoundManager::ReleaseInstance();
    }
    SmartPtr<Sound> m_pSound;
};

TEST_F(SoundNodeTest, RestartsOnlyAfterTheIntervalAndCountsOnlyRealPlays) {
    SmartPtr<SoundNode> node(new SoundNode(m_pSound.Get()));
    const int first = node->PlaySample(false);
    ASSERT_GE(first, 0);
    node->Tick(100);
    EXPECT_EQ(node->PlaySample(false), first);  // refused: 100 ms after the start
    EXPECT_EQ(node->GetUserCount(), 1);
    node->Tick(150);
    const int second = node->PlaySample(false);  // 250 ms after the start: a new play
    EXPECT_GE(second, 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(node->GetUserCount(), 2);
    EXPECT_TRUE(AUSND_IsPlaying(first));

    // The interval counts from the last real start, not from a refused one.
    node->Tick(100);
    EXPECT_EQ(node->PlaySample(false), second);
    EXPECT_EQ(node->GetUserCount(), 2);

    // Each play ends after its length and releases its user.
    node->Tick(500);
    EXPECT_EQ(node->GetUserCount(), 1);
    EXPECT_TRUE(node->StopSample(false));
    EXPECT_EQ(node->GetUserCount(), 0);
    EXPECT_EQ(node->GetChannel(), -1);
    EXPECT_FALSE(node->StopSample(false));
}

TEST_F(SoundNodeTest, LoopingAtTheLimitNeverRestartsAndAForcedStopEndsIt) {
    SmartPtr<SoundNode> node(new SoundNode(m_pSound.Get()));
    const int channel = node->PlaySample(true);
    ASSERT_GE(channel, 0);
    node->Tick(1000);
    EXPECT_EQ(node->PlaySample(true), channel);
    EXPECT_EQ(node->GetUserCount(), 1);
    EXPECT_TRUE(AUSND_IsPlaying(channel));  // a loop does not end with its length
    EXPECT_TRUE(node->StopSample(true));
    EXPECT_FALSE(AUSND_IsPlaying(channel));
}

TEST_F(SoundNodeTest, TwoPlaysAndOneStopKeepTheSoundPlaying) {
    SmartPtr<SoundNode> node(new SoundNode(m_pSound.Get()));
    const int channel = node->PlaySample(1.0f, 0.0f, 1.0f, false, true);
    node->PlaySample(1.0f, 0.0f, 1.0f, false, true);
    EXPECT_FALSE(node->StopSample(false));
    EXPECT_EQ(node->GetUserCount(), 1);
    EXPECT_TRUE(AUSND_IsPlaying(channel));
}

// A pause (the pause dialog's, say) may outlast the play: the play time
// stands still meanwhile, and the sound ends only after what was left of it.
TEST_F(SoundNodeTest, APauseStopsThePlayTimeAndTheRestPlaysAfterIt) {
    SmartPtr<SoundNode> node(new SoundNode(m_pSound.Get()));
    const int channel = node->PlaySample(false);
    ASSERT_GE(channel, 0);
    node->Tick(200);
    ASSERT_TRUE(node->PauseSample(true));
    node->Tick(1000);
    EXPECT_EQ(node->GetUserCount(), 1);
    EXPECT_EQ(node->GetChannel(), channel);
    ASSERT_TRUE(node->PauseSample(false));
    EXPECT_TRUE(AUSND_IsPlaying(channel));

    node->Tick(299);
    EXPECT_EQ(node->GetUserCount(), 1);
    EXPECT_TRUE(AUSND_IsPlaying(channel));
    node->Tick(1);
    EXPECT_EQ(node->GetUserCount(), 0);
    EXPECT_EQ(node->GetChannel(), -1);
    EXPECT_FALSE(AUSND_IsPlaying(channel));
}

TEST_F(SoundNodeTest, ChannelSettingsClampAndMap) {
    SmartPtr<SoundNode> node(new SoundNode(m_pSound.Get()));
    const int channel = node->PlaySample(false);
    node->SetPan(-1.0f);
    EXPECT_EQ(AUSND_GetPan(channel), 1);
    node->SetPan(1.0f);
    EXPECT_EQ(AUSND_GetPan(channel), 255);
    node->SetVolume(1.2f);
    EXPECT_EQ(AUSND_GetVolume(channel), 255);  // held, never wrapped
    node->SetPitch(0.001f);
    EXPECT_EQ(AUSND_GetFrequency(channel), 100);
}

TEST_F(SoundNodeTest, ModifierLastsAsLongAsItsSoundUnlessToldNotToWait) {
    SmartPtr<ModifierSound> waiting(new ModifierSound(m_pSound.Get(), false));
    waiting->Tick(200);
    EXPECT_TRUE(waiting->HasPlayed());
    EXPECT_FALSE(waiting->IsDone());
    waiting->Tick(300);
    EXPECT_TRUE(waiting->IsDone());

    SmartPtr<ModifierSound> quick(new ModifierSound(m_pSound.Get(), true));
    quick->Tick(10);
    EXPECT_TRUE(quick->HasPlayed());
    EXPECT_TRUE(quick->IsDone());

    // Ended before it ran, it still plays its sound once.
    SmartPtr<ModifierSound> ended(new ModifierSound(m_pSound.Get(), false));
    ended->EndModifier();
    EXPECT_TRUE(ended->HasPlayed());

    // Without a sound it plays its client sound node.
    SmartPtr<SoundNode> node(new SoundNode(m_pSound.Get()));
    SmartPtr<ModifierSound> client(new ModifierSound(false));
    client->SetClient(node.Get());
    client->Tick(10);
    EXPECT_EQ(node->GetUserCount(), 1);
    EXPECT_FALSE(client->IsDone());
}
}  // namespace
