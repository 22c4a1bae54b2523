// IT instruments that shape each voice: new-note actions with the duplicate
// check, random volume and pan swing, pitch-pan separation and the resonant
// filter, against libxmp where its behaviour is not random.
#include "MusicTestSupport.h"

#include <set>

namespace
{
// Voices of a channel that still sound.
int SoundingVoices(const AUMUS_SONG* song, int channel)
{
    int count = 0;
    for (const AUMUS_VCHANNEL* vc = song->channels[channel].vchannels; vc; vc = vc->next)
        count += vc->real && vc->real->ops.IsPlaying(vc->real) ? 1 : 0;
    return count;
}

// One channel whose instrument continues its notes in the background and
// plays C, C, D, C, D, C on every fourth row.
ModuleSong DuplicateSong(uint8_t dct, uint8_t dca)
{
    ModuleSong song;
    song.name = "duplicates";
    song.channels = 2;
    song.samples.push_back(SineSample("sine", 2048, 32));
    song.samples.push_back(SquareSample("square", 1000, 50));
    ModuleSample& s = song.samples[0];
    s.nna = 1;
    s.dct = dct;
    s.dca = dca;
    s.fadeout = 128;
    song.AddPatterns(1);
    song.orders = {0};
    const uint8_t notes[] = {49, 49, 51, 49, 51, 49};
    for (int i = 0; i < 6; ++i)
        song.Cell(0, i * 4, 0) = {notes[i], 1, 0, 0, 0};
    return song;
}

// The same note on every row of channel 0 with instrument 1.
ModuleSong RepeatedNotes(const ModuleSample& sample, uint8_t note, int rows)
{
    ModuleSong song;
    song.name = "repeats";
    song.channels = 1;
    song.samples.push_back(sample);
    song.AddPatterns(1);
    song.orders = {0};
    for (int row = 0; row < rows; ++row)
        song.Cell(0, row, 0) = {note, 1, 0, 0, 0};
    return song;
}

// Steps a song one tick at a time; the foreground voice's volume and pan at the end of every row.
std::vector<std::pair<int, int>> RowEndVolumeAndPan(AUMUS_SONG* song, int rows)
{
    std::vector<std::pair<int, int>> seen;
    for (int tick = 0; tick < rows * 6; ++tick)
    {
        StepOurs(song);
        if (tick % 6 != 5)
            continue;
        const AUMUS_VCHANNEL* vc = AUMUS_Player_Of(song)->channels[0].vc;
        seen.emplace_back(vc ? vc->volume : -1, vc ? vc->pan : -1);
    }
    return seen;
}
} // namespace

TEST_F(MusicTest, ItDuplicateCheckCountsVoicesAsLibxmp)
{
    struct Case
    {
        uint8_t dct, dca;
        const char* name;
        std::vector<int> expected; // voices of channel 0 at the end of each note's rows
    };
    const Case cases[] = {
        {0, 0, "no check", {1, 2, 3, 4, 5, 6}},
        {1, 0, "note, cut", {1, 1, 2, 2, 2, 2}},
        {2, 0, "sample, cut", {1, 1, 1, 1, 1, 1}},
        {3, 0, "instrument, cut", {1, 1, 1, 1, 1, 1}},
        {1, 1, "note, note off", {1, 1, 2, 2, 2, 2}},
        {3, 2, "instrument, fade", {1, 1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = WriteIT(DuplicateSong(c.dct, c.dca));
        AUMUS_SONG* song = Load(bytes);
        ASSERT_NE(song, nullptr) << AUSND_GetError();
        ASSERT_TRUE(AUMUS_PlaySong(song));
        XmpReference xmp(bytes, XMP_MODE_IT);
        ASSERT_TRUE(xmp.Loaded());
        for (int tick = 0; tick < 6 * 4 * 6; ++tick)
        {
            const xmp_frame_info& ref = xmp.Step();
            StepOurs(song);
            if (tick % 24 != 23)
                continue;
            const int note = tick / 24;
            EXPECT_EQ(SoundingVoices(song, 0), c.expected[static_cast<size_t>(note)]) << "note " << note;
            EXPECT_EQ(SoundingVoices(song, 0), ref.virt_used) << "note " << note;
        }
    }
}

TEST_F(MusicTest, ItRandomSwingStaysInItsRangeAndRepeats)
{
    ModuleSample sample = SineSample("sine", 2048, 32);
    sample.volume = 48;
    sample.volumeswing = 25;
    sample.panswing = 16;
    const std::vector<uint8_t> bytes = WriteIT(RepeatedNotes(sample, 49, 32));
    AUMUS_SONG* song = Load(bytes);
    ASSERT_NE(song, nullptr) << AUSND_GetError();
    ASSERT_TRUE(AUMUS_PlaySong(song));
    const std::vector<std::pair<int, int>> first = RowEndVolumeAndPan(song, 32);
    std::set<int> volumes;
    std::set<int> pans;
    // Mixing volume is the note volume (48 +-25%) at the full global and mix volumes; pan 64 +-64.
    for (const auto& [volume, pan] : first)
    {
        EXPECT_GE(volume, 36);
        EXPECT_LE(volume, 60);
        EXPECT_GE(pan, 0);
        EXPECT_LE(pan, 128);
        volumes.insert(volume);
        pans.insert(pan);
    }
    EXPECT_GT(volumes.size(), 4u);
    EXPECT_GT(pans.size(), 4u);
    // A new play of the song swings the same way, so that renders repeat.
    ASSERT_TRUE(AUMUS_PlaySong(song));
    EXPECT_EQ(RowEndVolumeAndPan(song, 32), first);

    sample.volumeswing = 0;
    sample.panswing = 0;
    AUMUS_SONG* steady = Load(WriteIT(RepeatedNotes(sample, 49, 8)));
    ASSERT_NE(steady, nullptr) << AUSND_GetError();
    ASSERT_TRUE(AUMUS_PlaySong(steady));
    for (const auto& seen : RowEndVolumeAndPan(steady, 8))
        EXPECT_EQ(seen, std::make_pair(48, 64));
}

TEST_F(MusicTest, ItPitchPanSeparationMovesThePanWithTheNote)
{
    struct Case
    {
        uint8_t note; // player numbering: file note - 11
        int8_t separation;
        uint8_t centre;
        int pan;
    };
    // Channel 0 sits at 64; a step of separation 8 per note moves the pan by 4 units of 0-255 per note.
    const Case cases[] = {
        {49, 8, 60, 64},  // the centre itself
        {61, 8, 60, 112}, // an octave up: +48
        {37, 8, 60, 16},  // an octave down: -48
        {61, -8, 60, 16}, // a negative separation turns it round
        {97, 32, 60, 255}, // clamped at the right
        {49, 8, 48, 112},  // a lower centre
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("note " + std::to_string(c.note) + " separation " + std::to_string(c.separation));
        ModuleSample sample = SineSample("sine", 2048, 32);
        sample.pitchpansep = c.separation;
        sample.pitchpancentre = c.centre;
        AUMUS_SONG* song = Load(WriteIT(RepeatedNotes(sample, c.note, 2)));
        ASSERT_NE(song, nullptr) << AUSND_GetError();
        ASSERT_TRUE(AUMUS_PlaySong(song));
        const auto seen = RowEndVolumeAndPan(song, 2);
        EXPECT_EQ(seen[0].second, c.pan);
        EXPECT_EQ(seen[1].second, c.pan);
    }
}
