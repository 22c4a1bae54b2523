// The sound manager over the capture output: master volumes, mute, cross-fades
// with a start delay, pauses and the switch at a sync point, seen in the
// captured signal level.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "aulos/ausnd.h"
#include "engine/core/SmartPtr.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundStream.h"
#include "tests/MonoWav.h"

using namespace ZQ2;

namespace {
// A mono 16-bit WAV file holding one value throughout.
std::string ConstantWav(const std::string& name, int16_t value, uint32_t frames) {
    return mono_wav::Write(::testing::TempDir() + "soundmanager_" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name,
                           std::vector<int16_t>(frames, value));
}

class SoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("DELVOR_AUDIO_OUTPUT", "capture", 1);
        SoundManager::CreateInstance(0, 44100, 32);
        ASSERT_TRUE(SoundManager::g_AudioAvailable);
        m_pA = MakeStream("a.wav", 8000);
        m_pB = MakeStream("b.wav", 16000);
    }
    void TearDown() override {
        SoundManager::ReleaseInstance();
        m_pA = nullptr;
        m_pB = nullptr;
    }

    static SmartPtr<SoundStream> MakeStream(const std::string& name, int16_t value) {
        SmartPtr<SoundStream> stream(new SoundStream(nullptr));
        stream->SetFileName(ConstantWav(name, value, 44100 * 4));
        return stream;
    }

    static SoundManager* Manager() { return SoundManager::g_Instance; }

    // One frame of about one mix block; the level of its captured block (left side).
    static int Frame() {
        Manager()->OnUpdate(23);
        unsigned int frames = 0;
        const int16_t* data = AUSND_Capture_GetData(&frames);
        const int block = AUSND_DSP_GetBufferLength();
        if (frames < static_cast<unsigned int>(block))
            return 0;
        return std::abs(data[(frames - 1) * AUSND_Capture_GetChannels()]);
    }

    static int Frames(int count) {
        int level = 0;
        for (int i = 0; i < count; ++i)
            level = Frame();
        return level;
    }

    SmartPtr<SoundStream> m_pA;
    SmartPtr<SoundStream> m_pB;
};

TEST_F(SoundManagerTest, MasterVolumeMuteAndFactorsAboveOne) {
    ASSERT_TRUE(Manager()->PlayStream(m_pA.Get(), false, SoundManager::STREAM_MODE));
    const int full = Frames(3);
    ASSERT_GT(full, 1000);

    Manager()->SetOverallStreamVolume(0.5f);
    EXPECT_NEAR(Frames(2), full / 2, full / 50);

    Manager()->SetMuted(true);
    EXPECT_EQ(Frames(2), 0);
    Manager()->SetMuted(false);
    EXPECT_NEAR(Frames(2), full / 2, full / 50);

    // A factor above 1 is held at full level, never wrapped into quiet.
    Manager()->SetOverallStreamVolume(1.0f);
    m_pA->SetVolume(1.2f);
    EXPECT_EQ(Frames(2), full);
    m_pA->SetVolume(1.0f / 0.98f);
    EXPECT_EQ(Frames(2), full);
}

TEST_F(SoundManagerTest, CrossFadeWaitsOutItsStartDelayAndEndsOnTheNewMusic) {
    ASSERT_TRUE(Manager()->PlayStream(m_pA.Get(), false, SoundManager::STREAM_MODE));
    const int a = Frames(3);
    ASSERT_TRUE(Manager()->CrossFadeStream(1000, 1.0f, 100, m_pB.Get(), 600, SoundManager::STREAM_MODE));
    EXPECT_TRUE(Manager()->IsCrossFading());
    // During the start delay only the outgoing music sounds, fading down.
    const int during = Frames(20);  // about 460 ms
    EXPECT_LT(during, a);
    EXPECT_NEAR(during, a * m_pA->GetCurrentVolume(), a / 50 + 1);
    EXPECT_EQ(m_pB->GetCurrentVolume(), 0.0f);
    // After the delay the new music fades in over 100 ms, then the old one ends.
    Frames(40);
    EXPECT_FALSE(Manager()->IsCrossFading());
    EXPECT_EQ(Manager()->GetCurrentStream(), m_pB.Get());
    EXPECT_EQ(m_pA->GetStream(), nullptr);
    EXPECT_NEAR(Frame(), 2 * a, a / 25 + 1);

    // The same music again only moves the level.
    SmartPtr<SoundStream> same(new SoundStream(nullptr));
    same->SetFileName(m_pB->GetFileName());
    ASSERT_TRUE(Manager()->CrossFadeStream(100, 0.5f, 100, same.Get(), 0, SoundManager::STREAM_MODE));
    EXPECT_FALSE(Manager()->IsCrossFading());
    EXPECT_EQ(Manager()->GetCurrentStream(), m_pB.Get());
    EXPECT_NEAR(Frames(10), a, a / 25 + 1);
}

TEST_F(SoundManagerTest, PauseWithAFadeIsScheduledThenResumesWhereItStopped) {
    ASSERT_TRUE(Manager()->PlayStream(m_pA.Get(), false, SoundManager::STREAM_MODE));
    Frames(10);
    EXPECT_TRUE(Manager()->PauseStream(200));
    EXPECT_FALSE(Manager()->PauseStream(200));  // already pending
    EXPECT_EQ(Frames(15), 0);
    EXPECT_TRUE(Manager()->IsStreamPaused());
    const unsigned int resume = m_pA->GetResumePosition();
    EXPECT_GT(resume, 0u);
    ASSERT_TRUE(Manager()->PlayStream(nullptr, false, SoundManager::STREAM_MODE));
    EXPECT_FALSE(Manager()->IsStreamPaused());
    Manager()->SetStreamVolumeTimed(1.0f, 0);  // 0 ms counts as 1 ms
    EXPECT_GT(Frames(2), 1000);
    EXPECT_GE(AUSND_Stream_GetPosition(m_pA->GetStream()), resume);
}

TEST_F(SoundManagerTest, TheSyncPointSwitchHappensOnTheMainThread) {
    ASSERT_TRUE(Manager()->PlayStream(m_pA.Get(), false, SoundManager::STREAM_MODE));
    ASSERT_NE(AUSND_Stream_AddSyncPoint(m_pA->GetStream(), 44100, "bar"), nullptr);
    std::vector<std::thread::id> calls;
    Manager()->SetSyncMethod([&](SoundStream* current) {
        calls.push_back(std::this_thread::get_id());
        EXPECT_EQ(current, m_pB.Get());
    });
    Frames(2);
    ASSERT_TRUE(Manager()->PlayStream(m_pB.Get(), true, SoundManager::STREAM_MODE));
    EXPECT_EQ(Manager()->GetCurrentStream(), m_pA.Get());
    EXPECT_EQ(Manager()->GetNextStream(), m_pB.Get());
    for (int i = 0; i < 60 && calls.empty(); ++i)
        Frame();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::this_thread::get_id());
    EXPECT_EQ(Manager()->GetCurrentStream(), m_pB.Get());
    EXPECT_EQ(m_pA->GetStream(), nullptr);
}

TEST_F(SoundManagerTest, AStreamReleasedWhilePlayingLeavesTheManager) {
    ASSERT_TRUE(Manager()->PlayStream(m_pA.Get(), false, SoundManager::STREAM_MODE));
    ASSERT_TRUE(Manager()->CrossFadeStream(100, 1.0f, 100, m_pB.Get(), 0, SoundManager::STREAM_MODE));
    m_pB = nullptr;
    EXPECT_EQ(Manager()->GetNextStream(), nullptr);
    m_pA = nullptr;
    EXPECT_EQ(Manager()->GetCurrentStream(), nullptr);
    Frames(4);  // the update and the release that follow touch neither
}

TEST_F(SoundManagerTest, SoundsPlayWithTheirFactorsAndReportTheirLength) {
    const std::string path = ConstantWav("effect.wav", 12000, 22050);
    SmartPtr<Sound> sound(new Sound(1.0f, 1.0f, 1.0f));
    ASSERT_EQ(sound->LoadSample(path, ARCHIVE_FILE, 304), 0);
    EXPECT_EQ(sound->GetLength(), 500u);
    AUSND_Capture_Clear();
    const int channel = sound->PlaySample(1.0f, -1.0f, 1.0f, false);
    ASSERT_GE(channel, 0);
    EXPECT_EQ(AUSND_GetPan(channel), 1);
    EXPECT_GT(Frame(), 1000);

    Manager()->SetOverallSampleVolume(0.0f);
    EXPECT_EQ(Frame(), 0);
}

TEST(SoundManagerWithoutAudio, EveryOperationDoesNothing) {
    SoundManager::g_AudioAvailable = false;
    SmartPtr<SoundManager> manager(new SoundManager(44100, 32));
    SmartPtr<SoundStream> stream(new SoundStream(nullptr));
    EXPECT_FALSE(manager->PlayStream(stream.Get(), false, SoundManager::STREAM_MODE));
    EXPECT_FALSE(manager->StopSample(0));
    EXPECT_FALSE(manager->PauseAllSounds(true));
    Sound sound(1.0f, 1.0f, 1.0f);
    EXPECT_EQ(sound.LoadSample("nowhere.wav", ARCHIVE_FILE, 304), 0);
    EXPECT_EQ(sound.PlaySample(1.0f, 0.0f, 1.0f, false), -1);
}
}  // namespace

namespace {
// An audio device that does not open leaves the game running without sound.
TEST(SoundManagerOutput, FallsBackToNoSoundWhenTheDeviceFails) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = driver ? driver : "";
    unsetenv("DELVOR_AUDIO_OUTPUT");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SoundManager::CreateInstance(0, 44100, 32);
    EXPECT_TRUE(SoundManager::g_AudioAvailable);
    EXPECT_EQ(AUSND_GetOutput(), AUSND_OUTPUT_NOSOUND);
    SoundManager::ReleaseInstance();
    EXPECT_FALSE(SoundManager::g_AudioAvailable);
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    setenv("DELVOR_AUDIO_OUTPUT", "capture", 1);
}
}  // namespace
