#include "aulos/ausnd.h"
#include "aulos/ausnd_device.h"
#include "tests/aulos/AulosTestSupport.h"

#include <cmath>

namespace
{
using AulosMixer = CaptureDevice;

std::vector<int16_t> Ramp(int count, int step, int start = 0)
{
    std::vector<int16_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(static_cast<int16_t>(start + i * step));
    return values;
}

// Left values of the first `count` captured frames.
std::vector<int16_t> LeftValues(const std::vector<int16_t>& frames, size_t count)
{
    std::vector<int16_t> left;
    for (size_t i = 0; i < count && 2 * i < frames.size(); ++i)
        left.push_back(frames[2 * i]);
    return left;
}

std::vector<int16_t> FullGainOf(const std::vector<int>& values)
{
    std::vector<int16_t> out;
    for (int v : values)
        out.push_back(static_cast<int16_t>((v * 255) >> 8));
    return out;
}
} // namespace

TEST(AulosGeometry, BlockAndBufferFollowTheRate)
{
    struct Case
    {
        int rate;
        int block;
        int total;
        int buffersize;
    };
    // 50 ms rounded down to whole blocks, at least two of them.
    for (const Case& c : {Case{44100, 1024, 2048, 46}, Case{8000, 256, 512, 64}, Case{48000, 1024, 2048, 42}})
    {
        ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
        ASSERT_TRUE(AUSND_Init(c.rate, 8, 0));
        EXPECT_EQ(AUSND_DSP_GetBufferLength(), c.block) << c.rate;
        EXPECT_EQ(AUSND_DSP_GetBufferLengthTotal(), c.total) << c.rate;
        EXPECT_EQ(AUSND_CurrentDevice->buffersize, c.buffersize) << c.rate;
        AUSND_Close();
    }
}

TEST_F(AulosMixer, KnownSampleMixesToPredictedFrames)
{
    const std::vector<int16_t> values = {1000, -2000, 3000, -32768, 32767, 7};
    AUSND_SAMPLE* sample = Mono16(values);
    ASSERT_TRUE(AUSND_Sample_SetDefaults(sample, 44100, 200, 64, 128));
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_GE(ch, 0);
    EXPECT_EQ(AUSND_GetVolume(ch), 200);
    EXPECT_EQ(AUSND_GetPan(ch), 64);
    MixBlocks(1);

    // Volume 200 at pan 64: left = table[191] * 200 / 255 = 221 * 200 / 255 = 173,
    // right = table[64] * 200 / 255 = 128 * 200 / 255 = 100; 16-bit values are scaled by >> 8.
    const std::vector<int16_t> frames = Captured();
    ASSERT_EQ(frames.size(), 2048u);
    for (size_t i = 0; i < values.size(); ++i)
    {
        EXPECT_EQ(frames[2 * i], static_cast<int16_t>((values[i] * 173) >> 8)) << i;
        EXPECT_EQ(frames[2 * i + 1], static_cast<int16_t>((values[i] * 100) >> 8)) << i;
    }
    for (size_t i = 2 * values.size(); i < frames.size(); ++i)
        ASSERT_EQ(frames[i], 0) << i;
    EXPECT_FALSE(AUSND_IsPlaying(ch));
}

TEST_F(AulosMixer, CentrePanUsesTheSquareRootTable)
{
    EXPECT_EQ(AUSND_Software_PanTable[0], 0);
    EXPECT_EQ(AUSND_Software_PanTable[1], 16);
    EXPECT_EQ(AUSND_Software_PanTable[4], 32);
    EXPECT_EQ(AUSND_Software_PanTable[128], 181);
    EXPECT_EQ(AUSND_Software_PanTable[255], 255);

    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(4000, 1000), 0, 128);
    ASSERT_GE(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), 0);
    MixBlocks(1);
    const std::vector<int16_t> frames = Captured();
    EXPECT_EQ(frames[0], (1000 * 180) >> 8);
    EXPECT_EQ(frames[1], (1000 * 181) >> 8);
}

TEST_F(AulosMixer, InterpolationWeighsTheNextSampleByTheFraction)
{
    const std::vector<int16_t> values = {0, 32000, -32000, 8000, 4000, 0, 0, 0};
    AUSND_SAMPLE* sample = Mono16(values);
    const int half = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_TRUE(AUSND_SetFrequency(half, 22050)); // half speed: weight 16384 of 32768 on odd frames
    MixBlocks(1);
    EXPECT_EQ(LeftValues(Captured(), 8), FullGainOf({0, 16000, 32000, 0, -32000, -12000, 8000, 6000}));

    AUSND_Capture_Clear();
    const int quarter = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_TRUE(AUSND_SetFrequency(quarter, 11025)); // weights 0, 8192, 16384, 24576
    MixBlocks(1);
    auto mix = [](int s0, int s1, int w) { return (s0 * (32768 - w) + s1 * w) >> 15; };
    EXPECT_EQ(LeftValues(Captured(), 5),
              FullGainOf({0, mix(0, 32000, 8192), mix(0, 32000, 16384), mix(0, 32000, 24576), 32000}));
}

TEST(AulosMixerPlain, PlainMixerTakesTheSampleAtTheWholePosition)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
    ASSERT_TRUE(AUSND_SetMixer(AUSND_MIXER_AUTODETECT));
    ASSERT_TRUE(AUSND_Init(44100, 4, 0));
    EXPECT_EQ(AUSND_GetMixer(), AUSND_MIXER_C);
    AUSND_Capture_Clear();
    const std::vector<int16_t> values = {0, 32000, -32000, 8000, 0, 0};
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 6, AUSND_16BITS | AUSND_2D, 44100, 255, -1, 128);
    ASSERT_TRUE(AUSND_Sample_Upload(sample, values.data(), AUSND_16BITS));
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    AUSND_SetFrequency(ch, 22050);
    AUSND_Update();
    unsigned int frames = 0;
    const int16_t* data = AUSND_Capture_GetData(&frames);
    const int expected[] = {0, 0, 32000, 32000, -32000, -32000};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(data[2 * i], (expected[i] * 255) >> 8) << i;
    AUSND_Close();
    AUSND_SetMixer(AUSND_MIXER_QUALITY_AUTODETECT);
}

TEST_F(AulosMixer, SumsClipAtBothEnds)
{
    // A stereo source: +20000 on the left, -20000 on the right.
    std::vector<int16_t> values;
    for (int i = 0; i < 3000; ++i)
    {
        values.push_back(20000);
        values.push_back(-20000);
    }
    AUSND_SAMPLE* sample =
        AUSND_Sample_Alloc(-1, 3000, AUSND_16BITS | AUSND_STEREO | AUSND_2D, 44100, 255, -1, 128);
    ASSERT_TRUE(AUSND_Sample_Upload(sample, values.data(), AUSND_16BITS | AUSND_STEREO));
    ASSERT_GE(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), 0);
    MixBlocks(1);
    std::vector<int16_t> frames = Captured();
    EXPECT_EQ(frames[0], 19921); // one channel: not clipped
    EXPECT_EQ(frames[1], -19922);

    ASSERT_GE(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), 0);
    MixBlocks(1);
    frames = Captured();
    EXPECT_EQ(frames[2048], 32767); // 19921 + 19921 and -19922 + -19922
    EXPECT_EQ(frames[2049], -32768);
}

TEST_F(AulosMixer, OneShotEndingMidBlockLeavesSilenceAndFreesTheChannel)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(100, 1000));
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_TRUE(AUSND_IsPlaying(ch));
    MixBlocks(1);
    const std::vector<int16_t> frames = Captured();
    for (size_t i = 0; i < 200; ++i)
        ASSERT_EQ(frames[i], FullGain(1000)) << i;
    for (size_t i = 200; i < frames.size(); ++i)
        ASSERT_EQ(frames[i], 0) << i;
    EXPECT_FALSE(AUSND_IsPlaying(ch));
    EXPECT_EQ(AUSND_GetPriority(ch & 0xFFF), 0);
    EXPECT_EQ(AUSND_GetChannelsPlaying(), 0);
}

TEST_F(AulosMixer, SilentChannelStillAdvancesAndEndsOnTime)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(1500, 1000));
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_TRUE(AUSND_SetVolume(ch, 0));
    MixBlocks(1);
    EXPECT_TRUE(AUSND_IsPlaying(ch));
    EXPECT_EQ(AUSND_GetCurrentPosition(ch), 1024u);
    MixBlocks(1);
    EXPECT_FALSE(AUSND_IsPlaying(ch));
    for (int16_t v : Captured())
        ASSERT_EQ(v, 0);
}

TEST_F(AulosMixer, NormalLoopRepeatsTheLoopForever)
{
    const std::vector<int16_t> values = {100, 200, 300, 400, 500, 600};
    AUSND_SAMPLE* sample = Mono16(values, AUSND_LOOP_NORMAL);
    ASSERT_TRUE(AUSND_Sample_SetLoopPoints(sample, 1, 3));
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    MixBlocks(3);
    const std::vector<int16_t> left = LeftValues(Captured(), 3072);
    const int cycle[] = {200, 300, 400};
    EXPECT_EQ(left[0], FullGain(100));
    for (size_t i = 1; i < left.size(); ++i)
        ASSERT_EQ(left[i], FullGain(cycle[(i - 1) % 3])) << i;
    EXPECT_TRUE(AUSND_IsPlaying(ch));
}

TEST_F(AulosMixer, PingPongLoopTurnsAtBothEnds)
{
    const std::vector<int16_t> values = {100, 200, 300, 400, 500, 600};
    AUSND_SAMPLE* sample = Mono16(values, AUSND_LOOP_BIDI);
    ASSERT_TRUE(AUSND_Sample_SetLoopPoints(sample, 1, 3));
    AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    MixBlocks(2);
    // Forward 0..3, then backward from the loop's end (where the guard frame
    // repeats the last loop frame) down to the loop start, and forward again.
    const int expected[] = {100, 200, 300, 400, 400, 400, 300, 200, 300, 400, 400, 400, 300, 200, 300};
    const std::vector<int16_t> left = LeftValues(Captured(), 2048);
    for (size_t i = 0; i < sizeof(expected) / sizeof(expected[0]); ++i)
        EXPECT_EQ(left[i], FullGain(expected[i])) << i;
    for (size_t i = 1; i + 6 < left.size(); ++i)
        ASSERT_EQ(left[i], left[i + 6]) << i; // for ever, period 6
}

TEST_F(AulosMixer, NegativeFrequencyPlaysBackwardToTheStart)
{
    AUSND_SAMPLE* sample = Mono16(Ramp(10, 100, 100));
    const int ch = AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, sample, nullptr, 1);
    ASSERT_TRUE(AUSND_GetPaused(ch));
    ASSERT_TRUE(AUSND_SetCurrentPosition(ch, 9));
    ASSERT_TRUE(AUSND_SetFrequency(ch, -44100));
    ASSERT_TRUE(AUSND_SetPaused(ch, false));
    MixBlocks(1);
    const std::vector<int16_t> left = LeftValues(Captured(), 12);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(left[i], FullGain(1000 - 100 * i)) << i;
    EXPECT_EQ(left[9], 0); // reaching 0.0 ends a one-shot
    EXPECT_FALSE(AUSND_IsPlaying(ch));
}

TEST_F(AulosMixer, FrequencyIsClampedTo100And705600)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(40000, 1), AUSND_LOOP_NORMAL);
    const int slow = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    const int fast = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_TRUE(AUSND_SetFrequency(slow, 50));
    ASSERT_TRUE(AUSND_SetFrequency(fast, 800000));
    EXPECT_EQ(AUSND_GetFrequency(fast), 800000);
    MixBlocks(1);
    EXPECT_EQ(AUSND_GetCurrentPosition(slow), 1024u * 100 / 44100);
    EXPECT_EQ(AUSND_GetCurrentPosition(fast), 1024u * 16);
}

TEST_F(AulosMixer, EightBitSamplesLandOnTheSixteenBitScale)
{
    const int8_t values[] = {100, -50, 0, 0};
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 4, AUSND_8BITS | AUSND_2D, 44100, 255, -1, 128);
    ASSERT_TRUE(AUSND_Sample_Upload(sample, values, AUSND_8BITS | AUSND_SIGNED));
    AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    MixBlocks(1);
    const std::vector<int16_t> left = LeftValues(Captured(), 3);
    EXPECT_EQ(left[0], 100 * 255);
    EXPECT_EQ(left[1], -50 * 255);
    EXPECT_EQ(left[2], 0);
}

TEST_F(AulosMixer, MasterVolumeAndMuteScaleTheGains)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(20000, 1000), AUSND_LOOP_NORMAL);
    const int normal = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    AUSND_SetSFXMasterVolume(128);
    EXPECT_EQ(AUSND_GetSFXMasterVolume(), 128);
    MixBlocks(1);
    EXPECT_EQ(Captured()[0], (1000 * 128) >> 8); // 255 * 128 / 255

    const int absolute = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_TRUE(AUSND_SetVolumeAbsolute(absolute, 255));
    ASSERT_TRUE(AUSND_SetMute(normal, true));
    EXPECT_TRUE(AUSND_GetMute(normal));
    AUSND_Capture_Clear();
    MixBlocks(1);
    EXPECT_EQ(Captured()[0], FullGain(1000)); // only the absolute channel, unscaled

    ASSERT_TRUE(AUSND_SetMute(normal, false));
    AUSND_Capture_Clear();
    MixBlocks(1);
    EXPECT_EQ(Captured()[0], FullGain(1000) + ((1000 * 128) >> 8));
    AUSND_SetSFXMasterVolume(255);
}

TEST_F(AulosMixer, PanIsClampedAndFollowsTheSeparation)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(20000, 1000), AUSND_LOOP_NORMAL, 128);
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_TRUE(AUSND_SetPan(ch, 300));
    EXPECT_EQ(AUSND_GetPan(ch), 255);
    MixBlocks(1);
    EXPECT_EQ(Captured()[0], 0);
    EXPECT_EQ(Captured()[1], FullGain(1000));

    AUSND_SetPanSeperation(0.0f);
    ASSERT_TRUE(AUSND_SetPan(ch, 0));
    EXPECT_EQ(AUSND_GetPan(ch), 128);
    AUSND_SetPanSeperation(1.0f);
}

TEST_F(AulosMixer, AllChannelsHandleReachesEveryChannel)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(20000, 1000), AUSND_LOOP_NORMAL);
    for (int i = 0; i < 3; ++i)
        AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_TRUE(AUSND_SetVolume(AUSND_CHANNEL_ALL, 64));
    for (int i = 0; i < AUSND_GetMaxChannels(); ++i)
        ASSERT_EQ(AUSND_GetVolume(i), 64) << i;
    ASSERT_TRUE(AUSND_StopSound(AUSND_CHANNEL_ALL));
    EXPECT_EQ(AUSND_GetChannelsPlaying(), 0);
}

TEST_F(AulosMixer, PrioritiesDecideWhatIsStolen)
{
    AUSND_SAMPLE* playing = Mono16(std::vector<int16_t>(20000, 100), AUSND_LOOP_NORMAL);
    AUSND_Sample_SetDefaults(playing, -1, 200, -1, 128);
    int handles[32];
    for (int i = 0; i < 32; ++i)
        ASSERT_GE(handles[i] = AUSND_PlaySound(AUSND_CHANNEL_FREE, playing), 0);
    ASSERT_TRUE(AUSND_SetVolume(handles[7], 50));

    AUSND_SAMPLE* lower = Mono16({1, 2, 3});
    AUSND_Sample_SetDefaults(lower, -1, -1, -1, 100);
    EXPECT_EQ(AUSND_PlaySound(AUSND_CHANNEL_FREE, lower), -1);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_CHANNEL_ALLOC);

    AUSND_SAMPLE* equal = Mono16({1, 2, 3});
    AUSND_Sample_SetDefaults(equal, -1, -1, -1, 128);
    const int stolen = AUSND_PlaySound(AUSND_CHANNEL_FREE, equal);
    EXPECT_EQ(stolen & 0xFFF, 7); // the quietest
    EXPECT_FALSE(AUSND_IsPlaying(handles[7]));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM); // its old handle is stale

    // Equally quiet: the scan starts after the last choice and takes the first.
    AUSND_SetVolume(stolen, 200);
    EXPECT_EQ(AUSND_PlaySound(AUSND_CHANNEL_FREE, equal) & 0xFFF, 8);
    EXPECT_EQ(AUSND_PlaySound(AUSND_CHANNEL_FREE, equal) & 0xFFF, 9);
}

TEST_F(AulosMixer, ReservedChannelsAreNeverChosen)
{
    AUSND_SAMPLE* sample = Mono16({1, 2, 3});
    ASSERT_TRUE(AUSND_SetReserved(0, true));
    EXPECT_EQ(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample) & 0xFFF, 1);
    EXPECT_EQ(AUSND_PlaySound(0, sample) & 0xFFF, 0); // a direct request still works
    EXPECT_TRUE(AUSND_GetReserved(AUSND_CHANNEL_PRIMARY));
}

TEST_F(AulosMixer, HandlesGoStaleAfterStopButIndexesStayValid)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(20000, 1), AUSND_LOOP_NORMAL);
    const int handle = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_NE(handle & 0x7FFFF000, 0);
    ASSERT_TRUE(AUSND_StopSound(handle));
    EXPECT_FALSE(AUSND_SetVolume(handle, 10));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_TRUE(AUSND_SetVolume(handle & 0xFFF, 10));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_NONE);

    const int again = AUSND_PlaySound(handle & 0xFFF, sample);
    EXPECT_NE(again, handle);
    EXPECT_EQ(AUSND_PlaySound(again, sample), again); // a handle with reference bits is kept
    EXPECT_FALSE(AUSND_IsPlaying(AUSND_GetMaxChannels()));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
}

TEST_F(AulosMixer, MaxPlaybacksRefusesWithoutAnError)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(20000, 1), AUSND_LOOP_NORMAL);
    ASSERT_TRUE(AUSND_Sample_SetMaxPlaybacks(sample, 2));
    EXPECT_GE(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), 0);
    EXPECT_GE(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), 0);
    EXPECT_EQ(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), -1);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_NONE);
}

TEST_F(AulosMixer, MultichannelSampleLinksSubChannels)
{
    AUSND_SAMPLE* sample =
        AUSND_Sample_AllocEx(-1, 4, AUSND_16BITS | AUSND_MULTICHANNEL | AUSND_2D, 44100, 255, -1, 128, 3);
    ASSERT_NE(sample, nullptr);
    const int16_t interleaved[] = {10, 20, 30, 11, 21, 31, 12, 22, 32, 13, 23, 33};
    ASSERT_TRUE(AUSND_Sample_Upload(sample, interleaved, AUSND_16BITS | AUSND_MULTICHANNEL));
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    ASSERT_GE(ch, 0);
    EXPECT_EQ(AUSND_GetNumSubChannels(ch), 3);
    EXPECT_GE(AUSND_GetSubChannel(ch, 2), 0);
    EXPECT_EQ(AUSND_GetSubChannel(ch, 3), -1);
    MixBlocks(1);
    // Each sub-channel plays its own area; the three sum.
    EXPECT_EQ(Captured()[0], FullGain(10) + FullGain(20) + FullGain(30));
    EXPECT_EQ(Captured()[6], FullGain(13) + FullGain(23) + FullGain(33));
    ASSERT_TRUE(AUSND_StopSound(ch));
    EXPECT_EQ(AUSND_GetChannelsPlaying(), 0);
}

TEST(AulosMixerMono, MonoMixerUsesTheAverageGain)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
    ASSERT_TRUE(AUSND_SetMixer(AUSND_MIXER_QUALITY_MONO));
    ASSERT_TRUE(AUSND_Init(44100, 4, 0));
    AUSND_Capture_Clear();
    EXPECT_EQ(AUSND_Capture_GetChannels(), 1);
    const std::vector<int16_t> values(3000, 1000);
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 3000, AUSND_16BITS | AUSND_2D, 44100, 255, 128, 128);
    ASSERT_TRUE(AUSND_Sample_Upload(sample, values.data(), AUSND_16BITS));
    AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    AUSND_Update();
    unsigned int frames = 0;
    const int16_t* data = AUSND_Capture_GetData(&frames);
    ASSERT_EQ(frames, 1024u);
    EXPECT_EQ(data[0], (1000 * ((180 + 181) / 2)) >> 8);
    AUSND_Close();
    AUSND_SetMixer(AUSND_MIXER_QUALITY_AUTODETECT);
}

namespace
{
std::vector<int> g_UnitCalls;

void* RecordingUnit(void* /*block*/, void* current, int /*length*/, void* param)
{
    g_UnitCalls.push_back(static_cast<int>(reinterpret_cast<intptr_t>(param)));
    return current;
}

void* AddFive(void* /*block*/, void* current, int length, void* /*param*/)
{
    int32_t* sums = static_cast<int32_t*>(current);
    for (int i = 0; i < length * 2; ++i)
        sums[i] += 5;
    return current;
}
} // namespace

TEST_F(AulosMixer, ProcessingUnitsRunInPriorityOrder)
{
    g_UnitCalls.clear();
    AUSND_DSPUNIT* a = AUSND_DSP_Create(RecordingUnit, 150, reinterpret_cast<void*>(1));
    AUSND_DSPUNIT* b = AUSND_DSP_Create(RecordingUnit, 50, reinterpret_cast<void*>(2));
    AUSND_DSPUNIT* c = AUSND_DSP_Create(RecordingUnit, 150, reinterpret_cast<void*>(3));
    AUSND_DSPUNIT* d = AUSND_DSP_Create(RecordingUnit, -5, reinterpret_cast<void*>(4));
    EXPECT_EQ(AUSND_DSP_GetPriority(d), 0);
    EXPECT_FALSE(AUSND_DSP_GetActive(a)); // units start inactive
    for (AUSND_DSPUNIT* unit : {a, b, c, d})
        AUSND_DSP_SetActive(unit, true);
    MixBlocks(1);
    EXPECT_EQ(g_UnitCalls, (std::vector<int>{4, 2, 1, 3}));

    g_UnitCalls.clear();
    AUSND_DSP_SetPriority(c, 10);
    AUSND_DSP_Free(b);
    MixBlocks(1);
    EXPECT_EQ(g_UnitCalls, (std::vector<int>{4, 3, 1}));
    EXPECT_EQ(AUSND_DSP_GetPriority(nullptr), -1);

    // Between the sound effects and clip-and-copy a unit changes what is heard; after it, nothing.
    AUSND_DSPUNIT* before = AUSND_DSP_Create(AddFive, 500, nullptr);
    AUSND_DSPUNIT* after = AUSND_DSP_Create(AddFive, 1100, nullptr);
    AUSND_DSP_SetActive(before, true);
    AUSND_DSP_SetActive(after, true);
    AUSND_Capture_Clear();
    MixBlocks(2);
    EXPECT_EQ(Captured()[0], 5);
    EXPECT_EQ(Captured()[2048], 5);

    // Clip-and-copy is what writes the output: without it a new sound is not heard.
    AUSND_DSP_SetActive(AUSND_DSP_GetClipAndCopyUnit(), false);
    AUSND_PlaySound(AUSND_CHANNEL_FREE, Mono16(std::vector<int16_t>(3000, 1000)));
    AUSND_Capture_Clear();
    MixBlocks(1);
    EXPECT_EQ(Captured()[0], 5);
}

TEST_F(AulosMixer, UnitGivenToPlaySoundMixesItsOwnChannels)
{
    AUSND_DSPUNIT* unit = AUSND_DSP_Create(nullptr, 300, nullptr);
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(3000, 1000));
    const int ch = AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, sample, unit, 0);
    ASSERT_GE(ch, 0);
    MixBlocks(1);
    EXPECT_EQ(Captured()[0], 0); // not active yet: nothing mixes its ring
    AUSND_DSP_SetActive(unit, true);
    AUSND_Capture_Clear();
    MixBlocks(1);
    EXPECT_EQ(Captured()[0], FullGain(1000));

    // Freeing the unit stops what it mixed.
    AUSND_DSP_Free(unit);
    EXPECT_FALSE(AUSND_IsPlaying(ch));
    AUSND_DSPUNIT stranger{};
    EXPECT_EQ(AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, sample, &stranger, 0), -1);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
}

TEST_F(AulosMixer, SpectrumFindsATone)
{
    // 32 whole cycles in 1024 frames: all the energy falls into bin 32.
    std::vector<int16_t> tone(1024);
    for (int i = 0; i < 1024; ++i)
        tone[i] = static_cast<int16_t>(std::lround(20000.0 * std::sin(2.0 * M_PI * 32.0 * i / 1024.0)));
    AUSND_SAMPLE* sample = Mono16(tone, AUSND_LOOP_NORMAL);
    EXPECT_EQ(AUSND_DSP_GetSpectrum(), nullptr);
    AUSND_DSPUNIT* fft = AUSND_DSP_GetFFTUnit();
    ASSERT_NE(fft, nullptr);
    EXPECT_EQ(AUSND_DSP_GetPriority(fft), AUSND_DSP_PRIORITY_SPECTRUM);
    AUSND_DSP_SetActive(fft, true);
    AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    MixBlocks(3);
    const float* spectrum = AUSND_DSP_GetSpectrum();
    ASSERT_NE(spectrum, nullptr);
    int peak = 0;
    for (int k = 1; k < 512; ++k)
    {
        if (spectrum[k] > spectrum[peak])
            peak = k;
    }
    EXPECT_EQ(peak, 32);
    EXPECT_GT(spectrum[32], 0.9f);
    EXPECT_LT(spectrum[100], 0.01f);
}

TEST_F(AulosMixer, LevelsPeekAtTheNextBlock)
{
    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(3000, 16384), 0, 0);
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    float l = -1.0f;
    float r = -1.0f;
    ASSERT_TRUE(AUSND_GetCurrentLevels(ch, &l, &r));
    EXPECT_FLOAT_EQ(l, static_cast<float>((16384 * 255) >> 8) / 65536.0f);
    EXPECT_FLOAT_EQ(r, 0.0f);
    EXPECT_EQ(AUSND_GetAmplitude(ch), 127);
}

TEST(AulosMixerLevels, LevelHistoryRecordsEachBlock)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
    ASSERT_TRUE(AUSND_Init(44100, 4, AUSND_INIT_LEVELHISTORY));
    std::vector<int16_t> values(3000, 8192);
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 3000, AUSND_16BITS | AUSND_2D, 44100, 255, -1, 128);
    ASSERT_TRUE(AUSND_Sample_Upload(sample, values.data(), AUSND_16BITS));
    const int ch = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    AUSND_Update();
    AUSND_Update();
    float l = 0.0f;
    float r = 0.0f;
    ASSERT_TRUE(AUSND_GetCurrentLevels(ch, &l, &r));
    EXPECT_FLOAT_EQ(l, static_cast<float>((8192 * 255) >> 8) / 65536.0f);
    EXPECT_FLOAT_EQ(r, l);
    AUSND_Close();
}
