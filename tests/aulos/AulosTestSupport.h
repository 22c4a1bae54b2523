// Helpers shared by the sound-system tests: a device started on the capture
// output, and samples built from literal values.
#pragma once

#include "aulos/ausnd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// A device on the capture output with 32 channels at 44100 Hz. The block that
// AUSND_Init itself mixes is dropped, so the capture starts with the test's own.
class CaptureDevice : public ::testing::Test
{
protected:
    void StartDevice(int mixer = AUSND_MIXER_QUALITY_AUTODETECT, unsigned int flags = 0)
    {
        ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
        ASSERT_TRUE(AUSND_SetMixer(mixer));
        ASSERT_TRUE(AUSND_Init(44100, 32, flags));
        AUSND_Capture_Clear();
    }

    void SetUp() override { StartDevice(); }

    void TearDown() override
    {
        AUSND_Close();
        AUSND_SetMixer(AUSND_MIXER_QUALITY_AUTODETECT);
    }

    static void MixBlocks(int blocks)
    {
        for (int i = 0; i < blocks; ++i)
            AUSND_Update();
    }

    // Interleaved captured values (left, right for stereo).
    static std::vector<int16_t> Captured()
    {
        unsigned int frames = 0;
        const int16_t* data = AUSND_Capture_GetData(&frames);
        return std::vector<int16_t>(data, data + frames * AUSND_Capture_GetChannels());
    }

    // A 2D (no 3D processing) 16-bit mono sample of the values, full volume, full stereo pan.
    static AUSND_SAMPLE* Mono16(const std::vector<int16_t>& values, unsigned int extramode = 0, int pan = -1)
    {
        AUSND_SAMPLE* sample = AUSND_Sample_Alloc(-1, static_cast<int>(values.size()),
                                                  AUSND_16BITS | AUSND_MONO | AUSND_2D | extramode, 44100, 255,
                                                  pan, 128);
        EXPECT_NE(sample, nullptr);
        if (sample)
        {
            EXPECT_TRUE(AUSND_Sample_Upload(sample, values.data(), AUSND_16BITS | AUSND_MONO | AUSND_SIGNED));
        }
        return sample;
    }

    // What a 16-bit value contributes at gain 255.
    static int16_t FullGain(int value) { return static_cast<int16_t>((value * 255) >> 8); }
};
