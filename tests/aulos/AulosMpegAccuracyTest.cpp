// Decoding accuracy of layers II and III against mpg123's 32-bit float
// decoding of the same files; the files are encoded at test time by lame and
// twolame (test-only tools) from a signal with tones, noise and transients.
#include "aulos/ausnd_device.h"
#include "tests/aulos/AulosTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace
{
std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::string Temp(const std::string& name)
{
    // Per process: ctest runs the cases of a suite side by side.
    return ::testing::TempDir() + "aulos_mpeg_" + std::to_string(getpid()) + "_" + name;
}

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A WAV of a chirp, noise and sharp clicks (the clicks force short blocks).
std::vector<uint8_t> TestWav(int rate, int channels, double seconds)
{
    const int frames = static_cast<int>(rate * seconds);
    std::vector<uint8_t> wav;
    const uint32_t dataBytes = static_cast<uint32_t>(frames * channels * 2);
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    Put(wav, 36 + dataBytes, 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(wav, 16, 4);
    Put(wav, 1, 2);
    Put(wav, static_cast<uint32_t>(channels), 2);
    Put(wav, static_cast<uint32_t>(rate), 4);
    Put(wav, static_cast<uint32_t>(rate * channels * 2), 4);
    Put(wav, static_cast<uint32_t>(channels * 2), 2);
    Put(wav, 16, 2);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    Put(wav, dataBytes, 4);
    uint32_t noise = 7;
    for (int i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / rate;
        const bool click = (i % (rate / 3)) < 40;
        for (int c = 0; c < channels; ++c)
        {
            noise = noise * 1664525u + 1013904223u;
            double v = 9000.0 * std::sin(2 * M_PI * (150 + 1500 * t) * t * (c + 1)) +
                       4000.0 * std::sin(2 * M_PI * 440.0 * t + c) + static_cast<int>(noise >> 19) - 4096;
            if (click)
                v += (i & 1) ? 20000.0 : -20000.0;
            v = std::max(-32768.0, std::min(32767.0, v));
            Put(wav, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v))), 2);
        }
    }
    return wav;
}

struct Case
{
    const char* name;
    int rate;
    int channels;
    const char* encoder; // command with IN and OUT
};

std::string Substitute(std::string command, const std::string& in, const std::string& out)
{
    command.replace(command.find("IN"), 2, in);
    command.replace(command.find("OUT"), 3, out);
    return command;
}

struct Difference
{
    double rms = 0;
    double peak = 0;
    size_t compared = 0;
};

class MpegAccuracy : public CaptureDevice
{
protected:
    // Our decoding (as a loaded sample) against mpg123's float output scaled by 32767.
    Difference Compare(const Case& c, size_t* oursOut, size_t* theirsOut)
    {
        const std::string wav = Temp(std::string(c.name) + ".wav");
        const std::string coded = Temp(c.name);
        const std::string reference = Temp(std::string(c.name) + ".f32");
        WriteAll(wav, TestWav(c.rate, c.channels, 3.0));
        const std::string encode = Substitute(c.encoder, wav, coded) + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(encode.c_str()), 0) << encode;
        const std::string decode = "mpg123 -q --no-gapless -e f32 -s " + coded + " > " + reference + " 2>/dev/null";
        EXPECT_EQ(std::system(decode.c_str()), 0) << decode;
        const std::vector<uint8_t> raw = ReadAll(reference);
        std::remove(wav.c_str());
        std::remove(reference.c_str());
        std::vector<float> theirs(raw.size() / 4);
        if (!theirs.empty())
            std::memcpy(theirs.data(), raw.data(), theirs.size() * 4);

        Difference d;
        AUSND_SAMPLE* sample = AUSND_Sample_Load(-1, coded.c_str(), 0, 0, 0);
        std::remove(coded.c_str());
        EXPECT_NE(sample, nullptr) << c.name << " error " << AUSND_GetError();
        if (!sample)
            return d;
        void* p1 = nullptr;
        void* p2 = nullptr;
        unsigned int l1 = 0;
        unsigned int l2 = 0;
        EXPECT_TRUE(AUSND_Sample_Lock(sample, 0, static_cast<int>(AUSND_Sample_ByteSize(sample)), &p1, &p2, &l1, &l2));
        std::vector<int16_t> ours(l1 / 2);
        std::memcpy(ours.data(), p1, l1);
        AUSND_Sample_Unlock(sample, p1, p2, l1, l2);
        AUSND_Sample_Free(sample);
        *oursOut = ours.size();
        *theirsOut = theirs.size();
        const size_t n = std::min(ours.size(), theirs.size());
        double sum = 0;
        for (size_t i = 0; i < n; ++i)
        {
            const double diff = static_cast<double>(ours[i]) - static_cast<double>(theirs[i]) * 32767.0;
            sum += diff * diff;
            d.peak = std::max(d.peak, std::fabs(diff));
        }
        d.compared = n;
        d.rms = n ? std::sqrt(sum / static_cast<double>(n)) : 0;
        return d;
    }

    void Check(const Case* cases, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
        {
            size_t ours = 0;
            size_t theirs = 0;
            const Difference d = Compare(cases[i], &ours, &theirs);
            std::printf("%-24s rms %.3f LSB, peak %.2f LSB over %zu values (ours %zu, mpg123 %zu)\n", cases[i].name,
                        d.rms, d.peak, d.compared, ours, theirs);
            EXPECT_EQ(ours, theirs) << cases[i].name;
            EXPECT_GT(d.compared, 0u) << cases[i].name;
            EXPECT_LE(d.rms, 1.0) << cases[i].name;
            EXPECT_LE(d.peak, 2.0) << cases[i].name;
        }
    }
};

const Case kLayer3[] = {
    {"l3_441_joint_128.mp3", 44100, 2, "lame --quiet -b 128 -m j IN OUT"},
    {"l3_441_stereo_320.mp3", 44100, 2, "lame --quiet -b 320 -m s IN OUT"},
    {"l3_48_mono_32.mp3", 48000, 1, "lame --quiet -b 32 -m m IN OUT"},
    {"l3_32_joint_64_nores.mp3", 32000, 2, "lame --quiet -b 64 -m j --nores IN OUT"},
    {"l3_441_vbr_v2.mp3", 44100, 2, "lame --quiet -V 2 IN OUT"},
    {"l3_441_vbr_v7_mono.mp3", 44100, 1, "lame --quiet -V 7 -m m IN OUT"},
    {"l3_441_dual_192.mp3", 44100, 2, "lame --quiet -b 192 -m d IN OUT"},
    {"l3_441_forced_ms_160.mp3", 44100, 2, "lame --quiet -b 160 -m f IN OUT"},
    {"l3_441_crc_96.mp3", 44100, 2, "lame --quiet -b 96 -p IN OUT"},
    {"l3_22_joint_64.mp3", 22050, 2, "lame --quiet -b 64 -m j IN OUT"},
    {"l3_24_stereo_96_nores.mp3", 24000, 2, "lame --quiet -b 96 -m s --nores IN OUT"},
    {"l3_16_mono_24.mp3", 16000, 1, "lame --quiet -b 24 -m m IN OUT"},
    {"l3_22_vbr_v5.mp3", 22050, 2, "lame --quiet -V 5 IN OUT"},
    {"l3_11_mono_16.mp3", 11025, 1, "lame --quiet -b 16 -m m IN OUT"},
    {"l3_12_joint_32.mp3", 12000, 2, "lame --quiet -b 32 -m j IN OUT"},
    {"l3_8_stereo_16_nores.mp3", 8000, 2, "lame --quiet -b 16 -m s --nores IN OUT"},
};

const Case kLayer2[] = {
    {"l2_48_stereo_192.mp2", 48000, 2, "twolame --quiet -b 192 -m s IN OUT"},
    {"l2_441_joint_128.mp2", 44100, 2, "twolame --quiet -b 128 -m j IN OUT"},
    {"l2_441_joint_384.mp2", 44100, 2, "twolame --quiet -b 384 -m j IN OUT"},
    {"l2_441_dual_256.mp2", 44100, 2, "twolame --quiet -b 256 -m d IN OUT"},
    {"l2_441_mono_64.mp2", 44100, 1, "twolame --quiet -b 64 -m m IN OUT"},
    {"l2_48_mono_32.mp2", 48000, 1, "twolame --quiet -b 32 -m m IN OUT"},
    {"l2_32_stereo_64.mp2", 32000, 2, "twolame --quiet -b 64 -m s IN OUT"},
    {"l2_32_mono_48_crc.mp2", 32000, 1, "twolame --quiet -b 48 -m m -p IN OUT"},
    {"l2_441_stereo_96.mp2", 44100, 2, "twolame --quiet -b 96 -m s IN OUT"},
    {"l2_22_joint_64.mp2", 22050, 2, "twolame --quiet -b 64 -m j IN OUT"},
    {"l2_16_mono_32.mp2", 16000, 1, "twolame --quiet -b 32 -m m IN OUT"},
    {"l2_24_stereo_160.mp2", 24000, 2, "twolame --quiet -b 160 -m s IN OUT"},
};
} // namespace

TEST_F(MpegAccuracy, LayerIIIMatchesReferenceDecoder)
{
    Check(kLayer3, std::size(kLayer3));
}

TEST_F(MpegAccuracy, LayerIIMatchesReferenceDecoder)
{
    Check(kLayer2, std::size(kLayer2));
}
