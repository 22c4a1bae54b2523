// The sound core's remaining calls: envelopes and effects (which the software
// output does not have), the clear and clip helpers, the built-in units, the
// clocks, the 3D model, the music unit's timing and the buffer mixing calls.
#include "aulos/ausnd.h"
#include "aulos/ausnd_device.h"
#include "tests/aulos/AulosTestSupport.h"

#include <array>

namespace
{
using AulosCore = CaptureDevice;

std::vector<int16_t> Ramp(int count)
{
    std::vector<int16_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(static_cast<int16_t>((i * 37) % 20000 - 10000));
    return values;
}

// Left values of the captured frames.
std::vector<int16_t> Left(const std::vector<int16_t>& frames, size_t count)
{
    std::vector<int16_t> left;
    for (size_t i = 0; i < count && 2 * i < frames.size(); ++i)
        left.push_back(frames[2 * i]);
    return left;
}

std::vector<int16_t> FullGainOf(const std::vector<int16_t>& values)
{
    std::vector<int16_t> out;
    for (int16_t v : values)
        out.push_back(static_cast<int16_t>((v * 255) >> 8));
    return out;
}
} // namespace

TEST(AulosCoreBeforeInit, EnvelopeAndEffectCallsNeedTheDevice)
{
    EXPECT_FALSE(AUSND_SetADSR(0, 10, 10, 200, 10));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
    EXPECT_FALSE(AUSND_SetADSRKeyoff(AUSND_CHANNEL_ALL));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
    EXPECT_FALSE(AUSND_FX_SetEcho(0, 50, 50, 500, 500, 0));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
    EXPECT_EQ(AUSND_FX_Enable(0, 1), -1);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_UNINITIALIZED);
}

TEST_F(AulosCore, EnvelopeAndEffectCallsLeaveTheSoundAlone)
{
    const std::vector<int16_t> values = Ramp(3000);
    AUSND_SAMPLE* sample = Mono16(values);
    const int ch = AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, sample, nullptr, true);
    ASSERT_GE(ch, 0);
    const int index = ch & 0xFFF;

    EXPECT_TRUE(AUSND_SetADSR(ch, 10, 20, 128, 30));
    EXPECT_TRUE(AUSND_SetADSR(AUSND_CHANNEL_ALL, 10, 20, 128, 30));
    EXPECT_TRUE(AUSND_SetADSRKeyoff(ch));
    EXPECT_FALSE(AUSND_SetADSR(4000, 0, 0, 0, 0));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);

    // Even a paused channel gets no effect on this output.
    EXPECT_EQ(AUSND_FX_Enable(ch, 3), -1);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_TRUE(AUSND_FX_Disable(ch));

    // Ids name a channel in their low 16 bits; bits 16-23 must be clear.
    EXPECT_TRUE(AUSND_FX_SetChorus(index, 50, 10, 25, 1.1f, 1, 16, 3));
    EXPECT_TRUE(AUSND_FX_SetCompressor(index | (2 << 24), 0, 10, 200, -20, 3, 4));
    EXPECT_TRUE(AUSND_FX_SetDistortion(index, -18, 15, 2400, 2400, 8000));
    EXPECT_TRUE(AUSND_FX_SetEcho(index, 50, 50, 500, 500, 0));
    EXPECT_TRUE(AUSND_FX_SetFlanger(index, 50, 100, -50, 0.25f, 1, 2, 2));
    EXPECT_TRUE(AUSND_FX_SetGargle(index, 20, 0));
    EXPECT_TRUE(AUSND_FX_SetI3DL2Reverb(index, -1000, -100, 0, 1.49f, 0.83f, -2602, 0.007f, 200, 0.011f, 100, 100,
                                        5000));
    EXPECT_TRUE(AUSND_FX_SetParamEQ(index, 8000, 12, 0));
    EXPECT_TRUE(AUSND_FX_SetWavesReverb(index, 0, 0, 1000, 0.001f));
    EXPECT_FALSE(AUSND_FX_SetParamEQ(index | (1 << 16), 8000, 12, 0));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_FALSE(AUSND_FX_SetGargle(3000, 20, 0));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);

    ASSERT_TRUE(AUSND_SetPaused(ch, false));
    MixBlocks(3);
    EXPECT_EQ(Left(Captured(), values.size()), FullGainOf(values));
    AUSND_Sample_Free(sample);
}

TEST(AulosCoreHelpers, ClearAndClipCopyRows)
{
    const int16_t stereo16[6] = {100, 300, -5, -6, 32767, 32767};
    int16_t mono16[3] = {};
    AUSND_Mixer_ClipCopy_StereoToMono(mono16, stereo16, 3, AUSND_16BITS);
    EXPECT_EQ(mono16[0], 200);
    EXPECT_EQ(mono16[1], -6); // (-11) >> 1 rounds down
    EXPECT_EQ(mono16[2], 32767);

    const uint8_t unsigned8[4] = {0, 255, 128, 130};
    uint8_t monoU8[2] = {};
    AUSND_Mixer_ClipCopy_StereoToMono(monoU8, unsigned8, 2, AUSND_8BITS | AUSND_UNSIGNED);
    EXPECT_EQ(monoU8[0], 127);
    EXPECT_EQ(monoU8[1], 129);

    const int8_t signed8[4] = {-128, -128, 100, -50};
    int8_t monoS8[2] = {};
    AUSND_Mixer_ClipCopy_StereoToMono(monoS8, signed8, 2, AUSND_8BITS | AUSND_SIGNED);
    EXPECT_EQ(monoS8[0], -128);
    EXPECT_EQ(monoS8[1], 25);

    std::array<int16_t, 6> frames = {1, 2, 3, 4, 5, 6};
    std::array<int16_t, 6> copy = {};
    AUSND_Mixer_ClipCopy_Int16C(copy.data(), frames.data(), 2);
    EXPECT_EQ(copy, (std::array<int16_t, 6>{1, 2, 3, 4, 0, 0}));
    AUSND_Mixer_Clear_Int16C(frames.data(), 2);
    EXPECT_EQ(frames, (std::array<int16_t, 6>{0, 0, 0, 0, 5, 6}));
    AUSND_Mixer_Clear_Int16C(frames.data(), 0);
    EXPECT_EQ(frames[4], 5);

    const int32_t sums[4] = {40000, -40000, 12, -12};
    int16_t clipped[4] = {};
    AUSND_Mixer_ClipCopy_Int32C(clipped, sums, 2);
    EXPECT_EQ(clipped[0], 32767);
    EXPECT_EQ(clipped[1], -32768);
    EXPECT_EQ(clipped[3], -12);
}

TEST_F(AulosCore, BuiltInUnitsCannotBeFreed)
{
    AUSND_DSPUNIT* builtins[] = {AUSND_DSP_GetClearUnit(), AUSND_DSP_GetSFXUnit(), AUSND_DSP_GetMusicUnit(),
                                 AUSND_DSP_GetClipAndCopyUnit(), AUSND_DSP_GetFFTUnit()};
    for (AUSND_DSPUNIT* unit : builtins)
    {
        ASSERT_NE(unit, nullptr);
        AUSND_DSP_Free(unit);
        EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    }
    EXPECT_EQ(AUSND_DSP_GetSFXUnit(), builtins[1]);
    AUSND_DSPUNIT* own = AUSND_DSP_Create(nullptr, 300, nullptr);
    ASSERT_NE(own, nullptr);
    AUSND_DSP_Free(own);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_NONE);

    const std::vector<int16_t> values = Ramp(100);
    AUSND_SAMPLE* sample = Mono16(values);
    ASSERT_GE(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), 0);
    MixBlocks(1);
    EXPECT_EQ(Left(Captured(), values.size()), FullGainOf(values));
}

TEST_F(AulosCore, NonRealTimeThreadsAreTheFixedValue)
{
    AUSND_THREADHANDLE thread = AUSND_Thread_Create([](void*) { return 0; }, nullptr, 0, 0);
    EXPECT_EQ(thread, reinterpret_cast<AUSND_THREADHANDLE>(static_cast<uintptr_t>(1)));
    AUSND_Thread_Destroy(thread);
}

TEST(AulosCoreClock, BlocksAddUpWithoutDrift)
{
    uint32_t fraction = 0;
    uint64_t ms = 0;
    for (int block = 0; block < 4307; ++block)
        ms += AUSND_AdvanceClock(fraction, 1024, 44100);
    // 4307 blocks of 1024 frames are 100008.9 ms; 23 ms a block would make 99061.
    EXPECT_EQ(ms, 4307ull * 1024 * 1000 / 44100);
    EXPECT_EQ(AUSND_AdvanceClock(fraction, 0, 44100), 0u);
    EXPECT_EQ(AUSND_AdvanceClock(fraction, 1024, 0), 0u);
}

namespace
{
struct TickCounter
{
    int ticks = 0;
    uint32_t firedAt = 0;
    int fired = 0;
};

TickCounter* g_pCounter = nullptr;

void CountTick(SongRecord*)
{
    ++g_pCounter->ticks;
}

void RecordCallback(SongRecord* song, void* param)
{
    TickCounter* counter = static_cast<TickCounter*>(param);
    counter->firedAt = song->time;
    ++counter->fired;
}
} // namespace

TEST_F(AulosCore, MusicUnitTicksAndCallsBackOnTime)
{
    TickCounter counter;
    g_pCounter = &counter;
    SongRecord song{};
    AUSND_Link_Init(&song.channelring);
    song.playing = 1;
    song.speed = 1.0f;
    song.tick = CountTick;
    AUMUS_SetBPM(&song, 125); // 50 ticks a second: 882 frames a tick
    EXPECT_EQ(song.ticklength, 882);
    std::vector<AUSND_SONGCALLBACK> queue(AUSND_SONG_CALLBACKQUEUE_LENGTH, AUSND_SONGCALLBACK{-1, nullptr, nullptr});
    queue[5] = AUSND_SONGCALLBACK{500, RecordCallback, &counter};
    song.callbacks[0] = queue.data();
    AUSND_Link_AddTail(&AUSND_CurrentDevice->songring, &song.link);

    MixBlocks(431);
    AUSND_Link_Remove(&song.link);
    g_pCounter = nullptr;
    // 431 blocks are 441344 frames: 10007.8 ms, and a tick at frame 0 and every 882 after.
    EXPECT_EQ(song.time, 10007u);
    EXPECT_EQ(counter.ticks, 441343 / 882 + 1);
    // Callbacks fire at the start of the first block at or after their time:
    // block 22 starts at 22 x 1024 frames = 510.8 ms.
    EXPECT_EQ(counter.fired, 1);
    EXPECT_EQ(counter.firedAt, 510u);
    EXPECT_EQ(queue[5].time, -1);
}

TEST_F(AulosCore, LoopModeAndExactFrequencyChangePlayback)
{
    const std::vector<int16_t> values = {1000, 2000, 3000, 4000, 5000, 6000};
    AUSND_SAMPLE* sample = Mono16(values, AUSND_LOOP_OFF);
    const int once = AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, sample, nullptr, true);
    ASSERT_TRUE(AUSND_SetLoopMode(once, AUSND_LOOP_NORMAL));
    EXPECT_EQ(AUSND_GetLoopMode(once) & AUSND_LOOPBITS, static_cast<unsigned int>(AUSND_LOOP_NORMAL));
    ASSERT_TRUE(AUSND_SetPaused(once, false));
    MixBlocks(1);
    const std::vector<int16_t> looped = Left(Captured(), 14);
    for (size_t i = 0; i < looped.size(); ++i)
        EXPECT_EQ(looped[i], FullGain(values[i % values.size()])) << i;
    AUSND_StopSound(once);

    AUSND_Capture_Clear();
    const int fast = AUSND_PlaySoundEx(AUSND_CHANNEL_FREE, sample, nullptr, true);
    ASSERT_TRUE(AUSND_SetFrequencyEx(fast, 88200.0f)); // twice the mix rate: every other value
    ASSERT_TRUE(AUSND_SetPaused(fast, false));
    MixBlocks(1);
    EXPECT_EQ(Left(Captured(), 4), FullGainOf({1000, 3000, 5000, 0}));
}

TEST_F(AulosCore, MixBuffersAndClearMixBuffer)
{
    const int16_t source[4] = {1000, -2000, 3000, -4000};
    int32_t mix[8] = {10, 10, 10, 10, 10, 10, 10, 10};
    ASSERT_TRUE(AUSND_DSP_MixBuffers(mix, const_cast<int16_t*>(source), 4, 44100, 255, -1,
                                     AUSND_16BITS | AUSND_MONO | AUSND_2D));
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(mix[2 * i], 10 + ((source[i] * 255) >> 8)) << i;
        EXPECT_EQ(mix[2 * i + 1], 10 + ((source[i] * 255) >> 8)) << i;
    }
    EXPECT_FALSE(AUSND_DSP_MixBuffers(nullptr, const_cast<int16_t*>(source), 4, 44100, 255, -1, AUSND_16BITS));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_FALSE(AUSND_DSP_MixBuffers(mix, const_cast<int16_t*>(source), 0, 44100, 255, -1, AUSND_16BITS));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);

    AUSND_SAMPLE* sample = Mono16(std::vector<int16_t>(5000, 1000));
    ASSERT_GE(AUSND_PlaySound(AUSND_CHANNEL_FREE, sample), 0);
    MixBlocks(1);
    EXPECT_TRUE(AUSND_DSP_ClearMixBuffer());
    const int16_t* primary = static_cast<const int16_t*>(AUSND_CurrentDevice->primarysample->data);
    for (int i = 0; i < AUSND_DSP_GetBufferLengthTotal() * 2; ++i)
        ASSERT_EQ(primary[i], 0) << i;
}

TEST_F(AulosCore, ThreeDModelAttenuatesPansAndShiftsPitch)
{
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 50000, AUSND_16BITS | AUSND_MONO, 44100, 255, 128, 128);
    ASSERT_NE(sample, nullptr);
    const float origin[3] = {0, 0, 0};
    const float front[3] = {0, 0, 0};
    AUSND_3D_Listener_SetAttributes(origin, front, 0, 0, 1, 0, 1, 0);
    auto channel = [](int handle) { return &AUSND_CurrentDevice->channels[handle & 0xFFF]; };

    const int near = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    const int far = AUSND_PlaySound(AUSND_CHANNEL_FREE, sample);
    const float at1[3] = {0, 0, 1};
    const float at4[3] = {0, 0, 4};
    ASSERT_TRUE(AUSND_3D_SetAttributes(near, at1, nullptr));
    ASSERT_TRUE(AUSND_3D_SetAttributes(far, at4, nullptr));
    // Inverse distance from the minimum distance 1: a quarter at 4.
    EXPECT_EQ(channel(near)->volumescale3d, 255);
    EXPECT_EQ(channel(far)->volumescale3d, 63);

    // Roll-off 0.5 halves the distance beyond the minimum: 1 + 3 x 0.5 = 2.5.
    AUSND_3D_SetRolloffFactor(0.5f);
    const float at4b[3] = {0, 0.0001f, 4};
    ASSERT_TRUE(AUSND_3D_SetAttributes(far, at4b, nullptr));
    EXPECT_EQ(channel(far)->volumescale3d, static_cast<int>(255.0f / 2.5f));
    AUSND_3D_SetRolloffFactor(1.0f);

    // To the listener's right the sound pans right.
    const float right[3] = {3, 0, 0};
    ASSERT_TRUE(AUSND_3D_SetAttributes(near, right, nullptr));
    EXPECT_GT(channel(near)->rightvolume, channel(near)->leftvolume);
    EXPECT_EQ(channel(near)->actualpan, 255);

    // Coming closer raises the pitch (Doppler), going away lowers it.
    const float approach[3] = {0, 0, -10};
    const float leave[3] = {0, 0, 10};
    const float at20[3] = {0, 0, 20};
    ASSERT_TRUE(AUSND_3D_SetAttributes(near, at20, approach));
    EXPECT_GT(channel(near)->frequencyscale, 1.0f);
    ASSERT_TRUE(AUSND_3D_SetAttributes(near, at20, leave));
    EXPECT_LT(channel(near)->frequencyscale, 1.0f);
    AUSND_3D_SetDopplerFactor(0.0f);
    ASSERT_TRUE(AUSND_3D_SetAttributes(near, at1, approach));
    EXPECT_EQ(channel(near)->frequencyscale, 1.0f);

    // -3 moves every channel.
    const float everywhere[3] = {7, 0, 0};
    ASSERT_TRUE(AUSND_3D_SetAttributes(AUSND_CHANNEL_ALL, everywhere, nullptr));
    float pos[3] = {};
    ASSERT_TRUE(AUSND_3D_GetAttributes(far, pos, nullptr));
    EXPECT_EQ(pos[0], 7.0f);
    ASSERT_TRUE(AUSND_3D_GetAttributes(near, pos, nullptr));
    EXPECT_EQ(pos[0], 7.0f);
    AUSND_Sample_Free(sample);
}
