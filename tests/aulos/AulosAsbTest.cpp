// Sound banks written by a small writer in the test: single sounds load as
// samples, banks of several sounds index their data, and malformed banks are
// refused with an error.
#include "aulos/ausnd_device.h"
#include "aulos/format_asb.h"
#include "tests/aulos/AulosTestSupport.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{
void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

struct Sound
{
    std::string name;
    uint32_t mode;
    std::vector<uint8_t> data;
    uint32_t length; // samples
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    int channels = 1;
    int rate = 22050;
};

// A bank of the sounds: "ASB3" (or "ASB2" when `old`), full headers for
// every sound unless `compact`.
std::vector<uint8_t> WriteBank(const std::vector<Sound>& sounds, bool old = false, bool compact = false,
                               uint32_t flags = 0)
{
    std::vector<uint8_t> area;
    for (size_t i = 0; i < sounds.size(); ++i)
    {
        const Sound& s = sounds[i];
        if (compact && i > 0)
        {
            Put(area, s.length, 4);
            Put(area, static_cast<uint32_t>(s.data.size()), 4);
            continue;
        }
        Put(area, 64, 2);
        char name[30] = {};
        std::strncpy(name, s.name.c_str(), sizeof(name) - 1);
        area.insert(area.end(), name, name + 30);
        Put(area, s.length, 4);
        Put(area, static_cast<uint32_t>(s.data.size()), 4);
        Put(area, s.loopStart, 4);
        Put(area, s.loopEnd, 4);
        Put(area, s.mode, 4);
        Put(area, static_cast<uint32_t>(s.rate), 4);
        Put(area, 200, 2);
        Put(area, 128, 2);
        Put(area, 100, 2);
        Put(area, static_cast<uint32_t>(s.channels), 2);
    }
    std::vector<uint8_t> bank;
    bank.insert(bank.end(), {'A', 'S', 'B', static_cast<uint8_t>(old ? '2' : '3')});
    Put(bank, static_cast<uint32_t>(sounds.size()), 4);
    Put(bank, static_cast<uint32_t>(area.size()), 4);
    uint32_t dataBytes = 0;
    for (const Sound& s : sounds)
        dataBytes += static_cast<uint32_t>(s.data.size());
    Put(bank, dataBytes, 4);
    if (!old)
    {
        Put(bank, 0x30000, 4);
        Put(bank, flags | (compact ? AUSND_ASB_FLAG_COMPACT : 0u), 4);
    }
    bank.insert(bank.end(), area.begin(), area.end());
    for (const Sound& s : sounds)
        bank.insert(bank.end(), s.data.begin(), s.data.end());
    return bank;
}

Sound Ramp16(const std::string& name, uint32_t length, uint32_t mode = AUSND_16BITS | AUSND_MONO)
{
    Sound s{name, mode, {}, length};
    for (uint32_t i = 0; i < length * ((mode & AUSND_STEREO) ? 2u : 1u); ++i)
        Put(s.data, static_cast<uint16_t>(static_cast<int16_t>(i * 37 - 5000)), 2);
    return s;
}

AUSND_SAMPLE* LoadMemory(const std::vector<uint8_t>& bank, unsigned int mode = 0)
{
    return AUSND_Sample_Load(-1, reinterpret_cast<const char*>(bank.data()), mode | AUSND_LOADMEMORY, 0,
                             static_cast<int>(bank.size()));
}

std::vector<uint8_t> Bytes(AUSND_SAMPLE* sample)
{
    void* p1 = nullptr;
    void* p2 = nullptr;
    unsigned int l1 = 0;
    unsigned int l2 = 0;
    EXPECT_TRUE(AUSND_Sample_Lock(sample, 0, static_cast<int>(AUSND_Sample_ByteSize(sample)), &p1, &p2, &l1, &l2));
    std::vector<uint8_t> out(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + l1);
    AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
    return out;
}

bool OpenBank(const std::vector<uint8_t>& bank, uint32_t* mode, AUSND_ASBBANK** out, uint32_t* pcmBytes = nullptr)
{
    AUSND_FILE* file = AUSND_File_Open(reinterpret_cast<const char*>(bank.data()), AUSND_FILE_MEMORY,
                                       static_cast<int>(bank.size()));
    int rate = 0;
    uint32_t dataBytes = 0;
    uint32_t pcm = 0;
    int block = 0;
    uint32_t dataOffset = 0;
    const bool ok = AUSND_ASB_Open(file, mode, &rate, &dataBytes, &pcm, out, &block, &dataOffset);
    if (pcmBytes)
        *pcmBytes = pcm;
    AUSND_File_Close(file);
    return ok;
}

class AsbBank : public CaptureDevice
{
};
} // namespace

TEST_F(AsbBank, SingleSoundsLoadAsNamedSamples)
{
    struct Case
    {
        const char* what;
        Sound sound;
        bool old;
    };
    Sound mono = Ramp16("ramp", 1000);
    mono.loopStart = 100;
    mono.loopEnd = 900;
    Sound stereo8{"stereo8", AUSND_8BITS | AUSND_STEREO, {}, 500};
    for (int i = 0; i < 1000; ++i)
        stereo8.data.push_back(static_cast<uint8_t>(i * 3));
    const Case cases[] = {{"16-bit mono ASB3", mono, false}, {"8-bit stereo ASB2", stereo8, true}};
    for (const Case& c : cases)
    {
        AUSND_SAMPLE* sample = LoadMemory(WriteBank({c.sound}, c.old));
        ASSERT_NE(sample, nullptr) << c.what << " error " << AUSND_GetError();
        EXPECT_STREQ(sample->name, c.sound.name.c_str()) << c.what;
        EXPECT_EQ(AUSND_Sample_GetLength(sample), c.sound.length) << c.what;
        const std::vector<uint8_t> bytes = Bytes(sample);
        ASSERT_EQ(bytes.size(), c.sound.data.size()) << c.what;
        const auto diff = std::mismatch(bytes.begin(), bytes.end(), c.sound.data.begin());
        EXPECT_EQ(diff.first, bytes.end()) << c.what << " differs at " << (diff.first - bytes.begin());
        int freq = 0;
        int vol = 0;
        AUSND_Sample_GetDefaults(sample, &freq, &vol, nullptr, nullptr);
        EXPECT_EQ(freq, 22050) << c.what;
        EXPECT_EQ(vol, 200) << c.what;
        if (c.sound.loopEnd)
        {
            int start = 0;
            int end = 0;
            AUSND_Sample_GetLoopPoints(sample, &start, &end);
            EXPECT_EQ(start, 100);
            EXPECT_EQ(end, 900);
        }
        AUSND_Sample_Free(sample);
    }
}

TEST_F(AsbBank, SoundsStoredAsCompleteFilesLoadThroughTheirOwnFormat)
{
    // A WAV file as the bank's one sound.
    std::vector<uint8_t> wav;
    const Sound pcm = Ramp16("", 300);
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    Put(wav, static_cast<uint32_t>(36 + pcm.data.size()), 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(wav, 16, 4);
    Put(wav, 1, 2);
    Put(wav, 1, 2);
    Put(wav, 11025, 4);
    Put(wav, 22050, 4);
    Put(wav, 2, 2);
    Put(wav, 16, 2);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    Put(wav, static_cast<uint32_t>(pcm.data.size()), 4);
    wav.insert(wav.end(), pcm.data.begin(), pcm.data.end());
    Sound file{"wrapped", AUSND_16BITS | AUSND_MONO, wav, 300};
    AUSND_SAMPLE* sample = LoadMemory(WriteBank({file}, false, false, AUSND_ASB_FLAG_FILES));
    ASSERT_NE(sample, nullptr) << AUSND_GetError();
    EXPECT_STREQ(sample->name, "wrapped");
    EXPECT_EQ(Bytes(sample), pcm.data);
    int freq = 0;
    AUSND_Sample_GetDefaults(sample, &freq, nullptr, nullptr, nullptr);
    EXPECT_EQ(freq, 11025);
    AUSND_Sample_Free(sample);
}

TEST_F(AsbBank, CompactBanksIndexEverySoundsData)
{
    const std::vector<Sound> sounds = {Ramp16("first", 100), Ramp16("", 250), Ramp16("", 40)};
    const std::vector<uint8_t> bank = WriteBank(sounds, false, true);
    uint32_t mode = AUSND_LOOP_NORMAL;
    AUSND_ASBBANK* opened = nullptr;
    uint32_t pcm = 0;
    ASSERT_TRUE(OpenBank(bank, &mode, &opened, &pcm));
    ASSERT_EQ(opened->count, 3);
    const uint32_t dataStart = 24 + 64 + 8 + 8;
    EXPECT_EQ(opened->dataOffsets[0], dataStart);
    EXPECT_EQ(opened->dataOffsets[1], dataStart + 200);
    EXPECT_EQ(opened->dataOffsets[2], dataStart + 200 + 500);
    EXPECT_EQ(opened->lengths[2], 40u);
    EXPECT_EQ(opened->current, 0);
    EXPECT_EQ(pcm, 200u);
    // The caller's loop bit wins over the sound's.
    EXPECT_EQ(mode & AUSND_LOOPBITS, static_cast<uint32_t>(AUSND_LOOP_NORMAL));
    AUSND_ASB_Close(opened);

    // The sample loader takes banks of one sound only.
    EXPECT_EQ(LoadMemory(bank), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_FORMAT);
}

TEST_F(AsbBank, MalformedBanksAreRefused)
{
    const std::vector<uint8_t> good = WriteBank({Ramp16("a", 100), Ramp16("b", 100)});
    struct Case
    {
        const char* what;
        size_t at;
        uint32_t value;
        int bytes;
        int error;
    };
    const Case cases[] = {
        {"wrong magic", 3, 'X', 1, AUSND_ERR_FILE_FORMAT},
        {"no sounds", 4, 0, 4, AUSND_ERR_FILE_BAD},
        {"negative count", 4, 0x80000000u, 4, AUSND_ERR_FILE_BAD},
        {"more sounds than the header area holds", 4, 1000000, 4, AUSND_ERR_FILE_BAD},
        {"header area beyond the file", 8, 0x7FFFFFF0u, 4, AUSND_ERR_FILE_BAD},
        {"header size 0", 24 + 64, 0, 2, AUSND_ERR_FILE_BAD},
        {"header size past the area", 24 + 64, 200, 2, AUSND_ERR_FILE_BAD},
        {"data shorter than its length", 24 + 32, 5000, 4, AUSND_ERR_FILE_BAD},
        {"data beyond the file", 24 + 36, 0x10000000u, 4, AUSND_ERR_FILE_BAD},
        {"unsupported mode", 24 + 48, AUSND_16BITS | AUSND_ADPCM28, 4, AUSND_ERR_FILE_FORMAT},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> bank = good;
        for (int i = 0; i < c.bytes; ++i)
            bank[c.at + static_cast<size_t>(i)] = static_cast<uint8_t>(c.value >> (8 * i));
        uint32_t mode = 0;
        AUSND_ASBBANK* opened = nullptr;
        AUSND_ErrorNo = 0;
        EXPECT_FALSE(OpenBank(bank, &mode, &opened)) << c.what;
        EXPECT_EQ(AUSND_ErrorNo, c.error) << c.what;
    }
    // Cut inside the header.
    const std::vector<uint8_t> cut(good.begin(), good.begin() + 20);
    uint32_t mode = 0;
    AUSND_ASBBANK* opened = nullptr;
    EXPECT_FALSE(OpenBank(cut, &mode, &opened));
    EXPECT_FALSE(AUSND_ASB_Close(nullptr));
}
