#include "aulos/ausnd.h"
#include "aulos/ausnd_device.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
class AulosDevice : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE)); }
    void TearDown() override
    {
        AUSND_Close();
        AUSND_SetMixer(AUSND_MIXER_QUALITY_AUTODETECT);
        AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
    }
};
} // namespace

TEST_F(AulosDevice, InitRefusesRatesAndChannelCountsOutOfRange)
{
    struct Case
    {
        int rate;
        int channels;
        bool accepted;
    };
    for (const Case& c : {Case{3999, 32, false}, Case{65536, 32, false}, Case{44100, 1025, false},
                          Case{44100, -1, false}, Case{4000, 0, true}, Case{65535, 1024, true}})
    {
        EXPECT_EQ(AUSND_Init(c.rate, c.channels, 0), c.accepted) << c.rate << " " << c.channels;
        EXPECT_EQ(AUSND_GetError(), c.accepted ? AUSND_ERR_NONE : AUSND_ERR_INVALID_PARAM);
        if (c.accepted)
        {
            EXPECT_EQ(AUSND_GetMaxChannels(), c.channels);
        }
        AUSND_Close();
    }
}

TEST_F(AulosDevice, SetUpCallsAreRefusedOnceInitialised)
{
    EXPECT_FALSE(AUSND_SetMixer(5));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_FALSE(AUSND_SetMinHardwareChannels(-1));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);

    ASSERT_TRUE(AUSND_SetBufferSize(10));
    EXPECT_EQ(AUSND_CurrentDevice->buffersize, 25);
    ASSERT_TRUE(AUSND_SetBufferSize(130));
    EXPECT_EQ(AUSND_CurrentDevice->buffersize, 125);

    ASSERT_TRUE(AUSND_Init(44100, 8, 0));
    EXPECT_EQ(AUSND_CurrentDevice->buffersize, 46); // always 50 ms, rewritten from whole blocks
    EXPECT_FALSE(AUSND_SetMixer(AUSND_MIXER_QUALITY_AUTODETECT));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_BUSY);
    EXPECT_FALSE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_BUSY);
    EXPECT_FALSE(AUSND_SetBufferSize(100));
    EXPECT_FALSE(AUSND_SetHWND(nullptr));
    EXPECT_FALSE(AUSND_SetDriver(0));
    EXPECT_FALSE(AUSND_SetMaxHardwareChannels(4));
    unsigned int caps = 0;
    EXPECT_FALSE(AUSND_GetDriverCaps(0, &caps));
    EXPECT_FALSE(AUSND_SetMemorySystem(nullptr, 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_BUSY);

    AUSND_Close();
    EXPECT_EQ(AUSND_CurrentDevice->buffersize, -1);
}

TEST_F(AulosDevice, MixerChoiceIsRewrittenAtStart)
{
    struct Case
    {
        int chosen;
        int running;
    };
    for (const Case& c : {Case{AUSND_MIXER_QUALITY_AUTODETECT, AUSND_MIXER_QUALITY_C},
                          Case{AUSND_MIXER_AUTODETECT, AUSND_MIXER_C}, Case{AUSND_MIXER_MONO, AUSND_MIXER_MONO}})
    {
        ASSERT_TRUE(AUSND_SetMixer(c.chosen));
        ASSERT_TRUE(AUSND_Init(44100, 4, 0));
        EXPECT_EQ(AUSND_GetMixer(), c.running);
        AUSND_Close();
        EXPECT_EQ(AUSND_GetMixer(), c.running); // survives the close
    }
}

TEST_F(AulosDevice, RepeatedInitAndCloseStartClean)
{
    for (int cycle = 0; cycle < 3; ++cycle)
    {
        ASSERT_TRUE(AUSND_Init(44100, 32, 0));
        AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 5000, AUSND_16BITS | AUSND_LOOP_NORMAL, 44100, 255, 128, 128);
        ASSERT_NE(sample, nullptr);
        ASSERT_GE(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), 0);
        ASSERT_TRUE(AUSND_Update());
        EXPECT_EQ(AUSND_GetChannelsPlaying(), 1);
        // A second init while running closes the first device first.
        ASSERT_TRUE(AUSND_Init(22050, 16, 0));
        EXPECT_EQ(AUSND_GetChannelsPlaying(), 0);
        EXPECT_EQ(AUSND_GetOutputRate(), 22050);
        AUSND_Close();
        EXPECT_FALSE(AUSND_Update());
    }
    unsigned int current = 1;
    AUSND_GetMemoryStats(&current, nullptr);
    EXPECT_EQ(current, 0u); // everything went back to the pool
}

TEST_F(AulosDevice, CallsBeforeInitReportNotInitialised)
{
    AUSND_Close();
    EXPECT_EQ(AUSND_PlaySound(AUSND_CHANNEL_FREE, nullptr), -1);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_FALSE(AUSND_SetVolume(0, 10));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
    EXPECT_FALSE(AUSND_StopSound(AUSND_CHANNEL_ALL));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
    EXPECT_EQ(AUSND_GetMaxSamples(), 0);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
    EXPECT_EQ(AUSND_GetCPUUsage(), 0.0f);
    EXPECT_EQ(AUSND_GetChannelsPlaying(), 0);
    EXPECT_EQ(AUSND_DSP_GetSFXUnit(), nullptr);
    EXPECT_EQ(AUSND_DSP_Create(nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(AUSND_GetOutputHandle(), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
    EXPECT_FLOAT_EQ(AUSND_GetVersion(), 1.00f);
}

TEST_F(AulosDevice, CloseWithoutAnyOutputInstalledIsSafe)
{
    AUSND_OUTPUT* saved = AUSND_CurrentDevice->output;
    AUSND_CurrentDevice->output = nullptr; // as in a fresh process
    AUSND_Close();
    AUSND_Close();
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_NONE);
    AUSND_CurrentDevice->output = saved;
}

TEST_F(AulosDevice, WithoutSoftwareChannelsNothingMixes)
{
    ASSERT_TRUE(AUSND_Init(44100, 0, 0));
    EXPECT_EQ(AUSND_CurrentDevice->primarychannel, nullptr);
    EXPECT_EQ(AUSND_CurrentDevice->primarysample, nullptr);
    AUSND_Capture_Clear();
    EXPECT_TRUE(AUSND_Update());
    unsigned int frames = 1;
    AUSND_Capture_GetData(&frames);
    EXPECT_EQ(frames, 0u);
}

TEST_F(AulosDevice, DriversAndOutputs)
{
    EXPECT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_DEFAULT));
    EXPECT_EQ(AUSND_GetOutput(), AUSND_OUTPUT_SDL);
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND_NONREALTIME));
    EXPECT_EQ(AUSND_GetNumDrivers(), 1);
    EXPECT_STREQ(AUSND_GetDriverName(-1), "No Sound Driver");
    EXPECT_EQ(AUSND_GetDriverName(1), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);

    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
    EXPECT_TRUE(AUSND_SetDriver(5)); // no such driver: no sound at all
    EXPECT_EQ(AUSND_GetOutput(), AUSND_OUTPUT_NOSOUND);
}

TEST_F(AulosDevice, NonRealTimeOutputMixesOneBlockPerUpdate)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND_NONREALTIME));
    ASSERT_TRUE(AUSND_Init(44100, 4, 0));
    EXPECT_TRUE(AUSND_CurrentDevice->initflags & AUSND_INIT_MANUALUPDATE);
    EXPECT_EQ(AUSND_CurrentDevice->mixerthread, nullptr);
    const int before = AUSND_CurrentDevice->mixer->currentblock;
    AUSND_Update();
    EXPECT_EQ(AUSND_CurrentDevice->mixer->currentblock, (before + 1) % 2);
    AUSND_Update();
    EXPECT_EQ(AUSND_CurrentDevice->mixer->currentblock, before);
}

TEST_F(AulosDevice, CaptureWritesAWaveFile)
{
    ASSERT_TRUE(AUSND_Init(44100, 4, 0));
    AUSND_Capture_Clear();
    AUSND_Update();
    const std::string path = ::testing::TempDir() + "aulos_capture.wav";
    ASSERT_TRUE(AUSND_Capture_WriteWAV(path.c_str()));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char header[44];
    ASSERT_EQ(std::fread(header, 1, sizeof(header), file), sizeof(header));
    std::fclose(file);
    std::remove(path.c_str());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(header), 4), "RIFF");
    EXPECT_EQ(header[22], 2); // channels
    EXPECT_EQ(header[24] | header[25] << 8 | header[26] << 16, 44100);
    EXPECT_EQ(header[40] | header[41] << 8 | header[42] << 16 | header[43] << 24, 1024 * 4);
    EXPECT_FALSE(AUSND_Capture_WriteWAV(nullptr));
}

TEST_F(AulosDevice, RecordingAndCDHaveNoDeviceHere)
{
    EXPECT_FALSE(AUSND_Record_SetDriver(0));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
    EXPECT_EQ(AUSND_Record_GetPosition(), -1);
    ASSERT_TRUE(AUSND_Init(44100, 4, 0));
    EXPECT_EQ(AUSND_Record_GetNumDrivers(), 1);
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 1000, AUSND_16BITS, 44100, 255, 128, 128);
    EXPECT_FALSE(AUSND_Record_StartSample(sample, 0));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_RECORD);
    EXPECT_FALSE(AUSND_Record_StartSample(nullptr, 0));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_TRUE(AUSND_Record_Stop());

    EXPECT_TRUE(AUSND_CD_Open(0));
    EXPECT_FALSE(AUSND_CD_Play(0, 1));
    EXPECT_EQ(AUSND_CD_GetTrackLength(0, 1), 0);
    EXPECT_TRUE(AUSND_CD_Eject(0));
    EXPECT_TRUE(AUSND_CD_Close(0));

    unsigned char block[120] = {1, 2, 3};
    unsigned char back[120] = {};
    EXPECT_TRUE(AUSND_Reverb_SetProperties(block));
    EXPECT_TRUE(AUSND_Reverb_GetProperties(back));
    EXPECT_EQ(back[2], 3);
    EXPECT_FALSE(AUSND_Reverb_SetProperties(nullptr));
    EXPECT_EQ(AUSND_FX_Enable(0, 1), -1);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
}

TEST(AulosErrorThreaded, ErrorNumbersBelongToTheirThread)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
    ASSERT_TRUE(AUSND_Init(44100, 4, 0));
    EXPECT_FALSE(AUSND_SetVolume(99, 1));
    ASSERT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);

    int afterFailure = -1;
    int afterSuccess = -1;
    std::thread other([&] {
        AUSND_SetVolume(99, 1);
        afterFailure = AUSND_GetError();
        AUSND_SetVolume(0, 1); // other threads do not reset their number first
        afterSuccess = AUSND_GetError();
    });
    other.join();
    EXPECT_EQ(afterFailure, AUSND_ERR_INVALID_PARAM);
    EXPECT_EQ(afterSuccess, AUSND_ERR_INVALID_PARAM);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM); // untouched by the other thread

    std::thread clean([&] { afterFailure = AUSND_GetError(); });
    clean.join();
    EXPECT_EQ(afterFailure, AUSND_ERR_NONE);

    EXPECT_TRUE(AUSND_SetVolume(0, 1)); // the owner thread starts every call from 0
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_NONE);
    AUSND_Close();
}
