// Writes small tracker modules for the music tests: patterns of cells and a
// few looped sine and square samples, in the byte layouts the players read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ModuleCell
{
    uint8_t note = 0; // 1.. in the player's numbering (note n is period table entry n - 1); 0 none
    uint8_t instrument = 0;
    uint8_t volume = 0; // volume column: S3M 0 none, else volume + 1; XM and IT the file's byte
    uint8_t effect = 0;
    uint8_t parameter = 0;
};

// Envelope points (tick, value) with optional sustain and loop point indices.
struct ModuleEnvelope
{
    std::vector<std::pair<uint16_t, uint16_t>> points;
    int sustain = -1;
    int loopstart = -1;
    int loopend = -1;
    int sustainend = -1; // IT sustain loops; -1: the sustain point alone
};

struct ModuleSample
{
    std::string name;
    std::vector<int8_t> data;
    uint32_t loopstart = 0;
    uint32_t looplength = 0;
    uint8_t volume = 64;
    uint8_t finetune = 0;
    uint32_t c2spd = 8363; // S3M, IT: frequency of note 49
    bool sixteen = false;  // write the data as 16-bit (value << 8)
    // XM and IT instruments (one per sample here).
    int8_t relnote = 0;
    int8_t xmfinetune = 0;
    uint8_t pan = 128;
    bool bidi = false;
    ModuleEnvelope volumeenvelope;
    ModuleEnvelope panenvelope;
    uint16_t fadeout = 0;
    uint8_t vibtype = 0, vibsweep = 0, vibdepth = 0, vibrate = 0;
    uint8_t nna = 0; // IT new-note action
    // IT instruments: duplicate check type and action, random swings,
    // pitch-pan separation and centre, the filter's defaults (bit 7: set) and
    // the pitch envelope, a filter envelope when filterenvelope is set.
    uint8_t dct = 0, dca = 0;
    uint8_t volumeswing = 0, panswing = 0;
    int8_t pitchpansep = 0;
    uint8_t pitchpancentre = 60;
    uint8_t cutoff = 0, resonance = 0;
    ModuleEnvelope pitchenvelope;
    bool filterenvelope = false;
    // XM: the data stored as an Ogg Vorbis stream, made at write time by oggenc.
    bool ogg = false;
};

struct ModuleSong
{
    std::string name;
    int channels = 4;
    int rows = 64;
    bool linear = true; // XM, IT: linear frequency slides
    int restart = 0;
    std::vector<uint8_t> orders;
    std::vector<std::vector<ModuleCell>> patterns; // rows x channels, row-major
    std::vector<ModuleSample> samples;

    ModuleCell& Cell(int pattern, int row, int channel)
    {
        return patterns[static_cast<size_t>(pattern)][static_cast<size_t>(row * channels + channel)];
    }
    void AddPatterns(int count)
    {
        patterns.resize(patterns.size() + static_cast<size_t>(count),
                        std::vector<ModuleCell>(static_cast<size_t>(rows * channels)));
    }
};

// One period of a sine or square wave repeated to the length, looped whole.
ModuleSample SineSample(const std::string& name, uint32_t length, uint32_t period);
ModuleSample SquareSample(const std::string& name, uint32_t length, uint32_t period);

// S3M: effects as letters (A = 1 .. Z = 26); unsigned sample data.
std::vector<uint8_t> WriteS3M(const ModuleSong& song);

// XM: effects and the volume column as the file's bytes; note 97 is key off.
std::vector<uint8_t> WriteXM(const ModuleSong& song);

// IT: effects as letters (A = 1 .. Z = 26), the volume column as the file's
// byte + 1 (0 none); one instrument per sample when instruments is set.
struct ITOptions
{
    bool instruments = true;
    bool compressed = false;
    bool it215 = false;
};
std::vector<uint8_t> WriteIT(const ModuleSong& song, const ITOptions& options = ITOptions());

// The tracker's sample compression of 8-bit or 16-bit values, choosing the
// bit width per value so that every width change of the format is used.
std::vector<uint8_t> CompressITSample(const std::vector<int16_t>& values, bool sixteen, bool it215);

// A sound bank of 8-bit signed mono sounds (ASB3, or ASB2 without the
// version and flags); compact headers after the first when asked; the sounds
// flagged in adpcm are stored as IMA ADPCM.
std::vector<uint8_t> WriteASB(const std::vector<ModuleSample>& sounds, bool v3 = true, bool compact = false,
                              const std::vector<bool>& adpcm = {});

// MOD: up to 31 samples, 64 rows; the signature follows the channel count
// unless one is given.
std::vector<uint8_t> WriteMOD(const ModuleSong& song, const char* signature = nullptr);
