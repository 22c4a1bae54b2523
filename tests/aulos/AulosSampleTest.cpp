#include "aulos/ausnd_device.h"
#include "aulos/format_imaadpcm.h"
#include "tests/aulos/AulosTestSupport.h"

#include <cstring>

namespace
{
using AulosSample = CaptureDevice;

const int16_t* Values16(AUSND_SAMPLE* sample)
{
    return static_cast<const int16_t*>(sample->data);
}
} // namespace

TEST_F(AulosSample, ModesAreNormalisedAtAllocation)
{
    struct Case
    {
        unsigned int given;
        unsigned int expected;
    };
    const Case cases[] = {
        {0, AUSND_8BITS | AUSND_MONO | AUSND_LOOP_OFF | AUSND_SIGNED},
        {AUSND_16BITS | AUSND_8BITS | AUSND_UNSIGNED, AUSND_16BITS | AUSND_MONO | AUSND_LOOP_OFF | AUSND_SIGNED},
        {AUSND_STEREO | AUSND_MONO | AUSND_LOOP_NORMAL, AUSND_8BITS | AUSND_STEREO | AUSND_LOOP_NORMAL | AUSND_SIGNED},
        {AUSND_HW3D | AUSND_16BITS, AUSND_16BITS | AUSND_MONO | AUSND_LOOP_OFF | AUSND_SIGNED},
        {AUSND_ENABLEFX, AUSND_ENABLEFX | AUSND_2D | AUSND_FXREADY | AUSND_8BITS | AUSND_MONO | AUSND_LOOP_OFF |
                             AUSND_SIGNED},
        {AUSND_ENABLEFX | AUSND_HW3D, AUSND_8BITS | AUSND_MONO | AUSND_LOOP_OFF | AUSND_SIGNED},
        {AUSND_IMAADPCM | AUSND_8BITS, AUSND_16BITS | AUSND_MONO | AUSND_LOOP_OFF | AUSND_SIGNED},
    };
    for (const Case& c : cases)
    {
        AUSND_SAMPLE* sample = AUSND_Sample_AllocHeader(-2, c.given);
        ASSERT_NE(sample, nullptr);
        EXPECT_EQ(sample->mode, c.expected) << std::hex << c.given;
        AUSND_Sample_Free(sample);
    }
}

TEST_F(AulosSample, SlotsGrowAndOccupiedSlotsAreReplaced)
{
    const int capacity = AUSND_GetMaxSamples();
    ASSERT_GT(capacity, 0);
    std::vector<AUSND_SAMPLE*> taken;
    for (int i = 0; i < capacity; ++i)
        taken.push_back(AUSND_Sample_Alloc(-1, 10, AUSND_16BITS, 44100, 255, 128, 255));
    EXPECT_EQ(taken.back()->index, capacity - 1);
    AUSND_SAMPLE* extra = AUSND_Sample_Alloc(-1, 10, AUSND_16BITS, 44100, 255, 128, 255);
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(extra->index, capacity);
    EXPECT_EQ(AUSND_GetMaxSamples(), capacity + 256);
    EXPECT_EQ(AUSND_Sample_Get(capacity + 1), nullptr);

    // A new sample in an occupied slot frees the old one first.
    AUSND_SAMPLE* replacement = AUSND_Sample_Alloc(3, 10, AUSND_8BITS, 44100, 255, 128, 255);
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(AUSND_Sample_Get(3), replacement);
    EXPECT_EQ(AUSND_Sample_Get(-1000), nullptr);
    EXPECT_EQ(AUSND_Sample_Get(-5), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    EXPECT_EQ(AUSND_Sample_Alloc(-1, 0, 0, 44100, 255, 128, 255), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
}

TEST_F(AulosSample, LoopPointsAndTheGuardFrame)
{
    const std::vector<int16_t> values = {10, 20, 30, 40, 50, 60, 70, 80};
    AUSND_SAMPLE* sample = Mono16(values, AUSND_LOOP_NORMAL);
    EXPECT_FALSE(AUSND_Sample_SetLoopPoints(sample, 3, 3));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    ASSERT_TRUE(AUSND_Sample_SetLoopPoints(sample, 2, 100)); // the end is clamped to the last frame
    int start = 0;
    int end = 0;
    AUSND_Sample_GetLoopPoints(sample, &start, &end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 7);
    EXPECT_EQ(Values16(sample)[8], 30); // the guard after the data repeats the loop start

    ASSERT_TRUE(AUSND_Sample_SetLoopPoints(sample, 1, 4));
    EXPECT_EQ(Values16(sample)[5], 20);
    EXPECT_EQ(Values16(sample)[8], 0); // the previous guard is given back its own frame
    ASSERT_TRUE(AUSND_Sample_SetMode(sample, AUSND_LOOP_OFF));
    EXPECT_EQ(Values16(sample)[5], 60); // restored
    EXPECT_EQ(Values16(sample)[8], 0);  // loop off: silence after the data
    ASSERT_TRUE(AUSND_Sample_SetMode(sample, AUSND_LOOP_BIDI));
    EXPECT_EQ(Values16(sample)[5], 50); // a ping-pong loop repeats its last frame
    EXPECT_EQ(AUSND_Sample_GetMode(sample) & AUSND_LOOPBITS, static_cast<unsigned int>(AUSND_LOOP_BIDI));
    AUSND_Sample_Free(sample);
}

TEST(AulosSampleConvert, WidthsDeltasAndSignedness)
{
    const int8_t bytes[3] = {1, -1, 127};
    int16_t wide[3] = {};
    AUSND_Sample_Convert(wide, bytes, 3, AUSND_16BITS | AUSND_SIGNED, AUSND_8BITS | AUSND_SIGNED, 1);
    EXPECT_EQ(wide[0], 256);
    EXPECT_EQ(wide[1], -256);
    EXPECT_EQ(wide[2], 127 * 256);

    const int16_t words[2] = {0x1234, -2};
    int8_t narrow[2] = {};
    AUSND_Sample_Convert(narrow, words, 4, AUSND_8BITS | AUSND_SIGNED, AUSND_16BITS | AUSND_SIGNED, 1);
    EXPECT_EQ(narrow[0], 0x12);
    EXPECT_EQ(narrow[1], -1);

    const uint8_t deltas[4] = {100, 10, 200, 0};
    uint8_t summed[4] = {};
    AUSND_Sample_Convert(summed, deltas, 4, AUSND_8BITS | AUSND_SIGNED, AUSND_8BITS | AUSND_SIGNED | AUSND_DELTA, 1);
    EXPECT_EQ(summed[0], 100);
    EXPECT_EQ(summed[1], 110);
    EXPECT_EQ(summed[2], 54); // wraps at 8 bits
    EXPECT_EQ(summed[3], 54);

    const uint16_t unsignedWords[2] = {0, 0xFFFF};
    int16_t signedWords[2] = {};
    AUSND_Sample_Convert(signedWords, unsignedWords, 4, AUSND_16BITS | AUSND_SIGNED, AUSND_16BITS | AUSND_UNSIGNED,
                         1);
    EXPECT_EQ(signedWords[0], -32768);
    EXPECT_EQ(signedWords[1], 32767);
}

TEST_F(AulosSample, CompactImaAdpcmUploadsDecoded)
{
    // Two mono blocks of 36 bytes, 64 samples each.
    std::vector<uint8_t> blocks(72);
    for (size_t i = 0; i < blocks.size(); ++i)
        blocks[i] = static_cast<uint8_t>(i * 29 + 3);
    blocks[2] = 10;
    blocks[38] = 40;
    std::vector<int16_t> expected(128);
    ASSERT_TRUE(AUSND_IMAAdpcm_DecodeM16(blocks.data(), expected.data(), 2, 36, 64, 1));
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 128, AUSND_16BITS | AUSND_MONO, 44100, 255, 128, 255);
    ASSERT_NE(sample, nullptr);
    ASSERT_TRUE(AUSND_Sample_Upload(sample, blocks.data(), AUSND_IMAADPCM | AUSND_MONO));
    EXPECT_EQ(std::vector<int16_t>(Values16(sample), Values16(sample) + 128), expected);
    AUSND_Sample_Free(sample);
}

TEST_F(AulosSample, DefaultsAreClampedAndSkipped)
{
    AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, 10, AUSND_16BITS, 22050, 100, 50, 10);
    ASSERT_TRUE(AUSND_Sample_SetDefaultsEx(sample, 50, 999, -1, 300, 5, -1, 7));
    int freq = 0;
    int vol = 0;
    int pan = 0;
    int pri = 0;
    int varfreq = 0;
    int varvol = 0;
    int varpan = 0;
    ASSERT_TRUE(AUSND_Sample_GetDefaultsEx(sample, &freq, &vol, &pan, &pri, &varfreq, &varvol, &varpan));
    EXPECT_EQ(freq, 22050); // 100 Hz and below are ignored
    EXPECT_EQ(vol, 255);
    EXPECT_EQ(pan, 50);
    EXPECT_EQ(pri, 255);
    EXPECT_EQ(varfreq, 5);
    EXPECT_EQ(varpan, 7);
    EXPECT_FALSE(AUSND_Sample_SetMinMaxDistance(sample, 5, 1));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
    AUSND_Sample_Free(sample);
}
