// 4-bit IMA ADPCM block decoding into 16-bit signed PCM, for WAV files and
// for IMA ADPCM data kept in samples.
#pragma once

#include <cstdint>

extern const int16_t AUSND_IMAAdpcm_StepTab[89];
extern const int8_t AUSND_IMAAdpcm_IndexTab[16];

// Decodes blockCount mono blocks of blockAlign bytes, samplesPerBlock samples
// each, writing every sample `stride` 16-bit slots after the previous one.
// False at a block whose step index is above 88 (the blocks before it are
// written). The caller makes sure that samplesPerBlock fits in blockAlign.
bool AUSND_IMAAdpcm_DecodeM16(const uint8_t* source, int16_t* destination, int blockCount, int blockAlign,
                              int samplesPerBlock, int stride);
// The same for stereo blocks, writing interleaved left/right pairs.
bool AUSND_IMAAdpcm_DecodeS16(const uint8_t* source, int16_t* destination, int blockCount, int blockAlign,
                              int samplesPerBlock);

// Whether a block of blockAlign bytes holds samplesPerBlock samples of the
// given channel count (1 or 2).
bool AUSND_IMAAdpcm_BlockFits(int blockAlign, int samplesPerBlock, int channels);

// Single steps of the decoder, for code that decodes one value at a time.
int AUSND_IMAAdpcm_DecodeSample(int code, int predictor, int step);
int AUSND_IMAAdpcm_NextStepIndex(int code, int index);
bool ValidStepIndex(int index);
