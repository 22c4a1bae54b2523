// Renders authored songs of every format through the capture output and
// through libxmp (linear interpolation), and compares their loudness row by row.
#include "MusicTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
constexpr int kRowFrames = 6 * 882; // speed 6 at 125 BPM
constexpr int kRows = 48;

enum class Format
{
    MOD,
    S3M,
    XM,
    IT
};

// A volume of 0-64 in the format's own cell encoding.
void SetVolume(ModuleCell& cell, Format format, int volume)
{
    switch (format)
    {
    case Format::MOD:
        cell.effect = 0xC;
        cell.parameter = static_cast<uint8_t>(volume);
        break;
    case Format::S3M:
    case Format::IT:
        cell.volume = static_cast<uint8_t>(volume + 1);
        break;
    case Format::XM:
        cell.volume = static_cast<uint8_t>(0x10 + volume);
        break;
    }
}

// Notes come and go and change loudness on every row, so the envelope moves.
ModuleSong LoudnessSong(Format format)
{
    ModuleSong song;
    song.name = "loudness";
    song.channels = 4;
    song.samples.push_back(SineSample("sine", 4096, 64));
    song.samples.push_back(SquareSample("square", 4000, 100));
    song.AddPatterns(1);
    song.orders = {0};
    static const int kVolumes[8] = {64, 8, 40, 0, 56, 20, 64, 30};
    for (int row = 0; row < kRows; ++row)
    {
        const int c = row % 2;
        ModuleCell& cell = song.Cell(0, row, c);
        if (row % 4 == 0)
        {
            cell.note = static_cast<uint8_t>(40 + (row / 4) % 12);
            cell.instrument = static_cast<uint8_t>(1 + c);
        }
        SetVolume(cell, format, kVolumes[(row * 3 + c) % 8]);
    }
    return song;
}

std::vector<uint8_t> Write(const ModuleSong& song, Format format)
{
    switch (format)
    {
    case Format::MOD:
        return WriteMOD(song);
    case Format::S3M:
        return WriteS3M(song);
    case Format::XM:
        return WriteXM(song);
    default:
        return WriteIT(song);
    }
}

std::vector<double> RowLoudness(const std::vector<int16_t>& stereo)
{
    std::vector<double> rms;
    for (int row = 0; row < kRows; ++row)
    {
        double sum = 0.0;
        for (int i = row * kRowFrames; i < (row + 1) * kRowFrames; ++i)
        {
            const double mono = (stereo[static_cast<size_t>(i) * 2] + stereo[static_cast<size_t>(i) * 2 + 1]) * 0.5;
            sum += mono * mono;
        }
        rms.push_back(std::sqrt(sum / kRowFrames));
    }
    return rms;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    double ma = 0.0, mb = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
    {
        ma += a[i];
        mb += b[i];
    }
    ma /= static_cast<double>(a.size());
    mb /= static_cast<double>(b.size());
    double sab = 0.0, saa = 0.0, sbb = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
    {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return saa > 0.0 && sbb > 0.0 ? sab / std::sqrt(saa * sbb) : 0.0;
}
} // namespace

TEST_F(MusicTest, RenderedLoudnessFollowsLibxmpInEveryFormat)
{
    const struct
    {
        Format format;
        const char* name;
    } cases[] = {{Format::MOD, "MOD"}, {Format::S3M, "S3M"}, {Format::XM, "XM"}, {Format::IT, "IT"}};
    const size_t frames = static_cast<size_t>(kRows) * kRowFrames;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = Write(LoudnessSong(c.format), c.format);
        AUMUS_SONG* song = Load(bytes);
        ASSERT_NE(song, nullptr) << AUSND_GetError();
        AUSND_Capture_Clear();
        ASSERT_TRUE(AUMUS_PlaySong(song));
        while (Captured().size() < frames * 2)
            MixBlocks(1);
        AUMUS_StopSong(song);
        const std::vector<double> ours = RowLoudness(Captured());

        xmp_context context = xmp_create_context();
        ASSERT_EQ(xmp_load_module_from_memory(context, bytes.data(), static_cast<long>(bytes.size())), 0);
        ASSERT_EQ(xmp_start_player(context, 44100, 0), 0);
        xmp_set_player(context, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
        std::vector<int16_t> theirs(frames * 2);
        xmp_play_buffer(context, theirs.data(), static_cast<int>(theirs.size() * sizeof(int16_t)), 0);
        xmp_end_player(context);
        xmp_release_module(context);
        xmp_free_context(context);

        EXPECT_GT(Correlation(ours, RowLoudness(theirs)), 0.95);
    }
}

namespace
{
// libxmp unpacks compressed modules only when it reads them from a file.
bool LoadInto(xmp_context context, const std::vector<uint8_t>& bytes, bool fromFile)
{
    if (!fromFile)
        return xmp_load_module_from_memory(context, bytes.data(), static_cast<long>(bytes.size())) == 0;
    const char* folder = std::getenv("TEST_TMPDIR");
    std::string path = std::string(folder ? folder : "/tmp") + "/reference.mod";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    return written && xmp_load_module(context, &path[0]) == 0;
}

std::vector<double> RenderLibxmp(const std::vector<uint8_t>& bytes, bool fromFile = false)
{
    const size_t frames = static_cast<size_t>(kRows) * kRowFrames;
    std::vector<int16_t> theirs(frames * 2);
    xmp_context context = xmp_create_context();
    if (LoadInto(context, bytes, fromFile))
    {
        if (xmp_start_player(context, 44100, 0) == 0)
        {
            xmp_set_player(context, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
            xmp_play_buffer(context, theirs.data(), static_cast<int>(theirs.size() * sizeof(int16_t)), 0);
            xmp_end_player(context);
        }
        xmp_release_module(context);
    }
    xmp_free_context(context);
    return RowLoudness(theirs);
}

// A bright square wave whose instrument sets the filter and sweeps its cutoff
// with a filter envelope; later notes change cutoff and resonance with Zxx.
ModuleSong FilterSong(bool filtered)
{
    ModuleSong song;
    song.name = "filter";
    song.channels = 2;
    song.samples.push_back(SquareSample("square", 4000, 100));
    ModuleSample& s = song.samples[0];
    if (filtered)
    {
        s.cutoff = 0x80 | 64;
        s.resonance = 0x80 | 32;
        s.pitchenvelope.points = {{0, 64}, {60, 0}, {120, 48}, {180, 4}, {288, 40}};
        s.filterenvelope = true;
    }
    song.AddPatterns(1);
    song.orders = {0};
    song.Cell(0, 0, 0) = {61, 1, 0, 0, 0};
    song.Cell(0, 32, 0) = {66, 1, 0, 0, 0};
    if (filtered)
    {
        song.Cell(0, 36, 0).effect = 26; // Z: cutoff
        song.Cell(0, 36, 0).parameter = 0x18;
        song.Cell(0, 40, 0).effect = 26; // Z: resonance
        song.Cell(0, 40, 0).parameter = 0x84;
        song.Cell(0, 44, 0).effect = 26;
        song.Cell(0, 44, 0).parameter = 0x60;
    }
    return song;
}
} // namespace

class MusicRenderTest : public MusicTest
{
protected:
    std::vector<double> RenderOurs(AUMUS_SONG* song)
    {
        const size_t frames = static_cast<size_t>(kRows) * kRowFrames;
        AUSND_Capture_Clear();
        if (!AUMUS_PlaySong(song))
            return {};
        while (Captured().size() < frames * 2)
            MixBlocks(1);
        AUMUS_StopSong(song);
        return RowLoudness(Captured());
    }
};

TEST_F(MusicRenderTest, ItResonantFilterFollowsLibxmp)
{
    const std::vector<uint8_t> bytes = WriteIT(FilterSong(true));
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    const std::vector<double> ours = RenderOurs(song);
    ASSERT_EQ(ours.size(), static_cast<size_t>(kRows));
    const std::vector<double> theirs = RenderLibxmp(bytes);
    EXPECT_GT(Correlation(ours, theirs), 0.95);

    // Without the filter the loudness stays put: the envelope above is the filter's doing.
    AUMUS_SONG* plain = Load(WriteIT(FilterSong(false)));
    ASSERT_NE(plain, nullptr) << AUSND_GetError();
    const std::vector<double> open = RenderOurs(plain);
    const auto spread = [](const std::vector<double>& rms) {
        return *std::max_element(rms.begin(), rms.end()) / *std::min_element(rms.begin(), rms.end());
    };
    EXPECT_GT(spread(ours), 2.0);
    EXPECT_LT(spread(open), 1.01);
}

TEST_F(MusicRenderTest, OggCompressedXmSamplesLoadAndPlayAsLibxmp)
{
    ModuleSong song = LoudnessSong(Format::XM);
    song.samples.push_back(SineSample("bidi", 800, 40));
    song.samples[0].loopstart = 100;
    song.samples[0].looplength = 1024;
    song.samples[2].sixteen = true;
    song.samples[2].bidi = true;
    song.Cell(0, 2, 2) = {49, 3, 0x30, 0, 0};
    for (ModuleSample& s : song.samples)
        s.ogg = true;
    const std::vector<uint8_t> bytes = WriteXM(song);
    ASSERT_TRUE(bytes.size() > 8);
    AUMUS_SONG* ours = Load(bytes);
    ASSERT_NE(ours, nullptr) << AUSND_GetError();

    xmp_context context = xmp_create_context();
    ASSERT_TRUE(LoadInto(context, bytes, true));
    xmp_module_info info{};
    xmp_get_module_info(context, &info);
    ASSERT_EQ(AUMUS_GetNumSamples(ours), info.mod->smp);
    for (int i = 0; i < info.mod->smp; ++i)
    {
        SCOPED_TRACE("sample " + std::to_string(i));
        const AUSND_SAMPLE* s = AUMUS_GetSample(ours, i);
        const xmp_sample& rs = info.mod->xxs[i];
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(static_cast<int>(s->length), rs.len);
        EXPECT_EQ(static_cast<int>(s->loopstart), rs.lps);
        EXPECT_EQ(static_cast<int>(s->loopstart + s->looplen), rs.lpe);
        EXPECT_EQ((s->mode & AUSND_LOOP_BIDI) != 0, (rs.flg & XMP_SAMPLE_LOOP_BIDIR) != 0);
    }
    xmp_release_module(context);
    xmp_free_context(context);

    EXPECT_GT(Correlation(RenderOurs(ours), RenderLibxmp(bytes, true)), 0.95);
}
