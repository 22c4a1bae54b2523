// The fixture of the tracker music tests: songs loaded from the module
// writer's bytes, and the tick-by-tick comparison with libxmp.
#pragma once

#include "AulosTestSupport.h"
#include "ModuleWriter.h"
#include "XmpReference.h"
#include "aulos/aumus.h"
#include "aulos/aumus_player.h"
#include "aulos/aumus_song.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

inline AUMUS_SONG* LoadMemory(const std::vector<uint8_t>& bytes, unsigned int mode = 0)
{
    return AUMUS_LoadSongEx(reinterpret_cast<const char*>(bytes.data()), 0, static_cast<int>(bytes.size()),
                            AUSND_LOADMEMORY | mode, nullptr, 0);
}

struct TickState
{
    int order, row, tick, speed, tempo;
};

// One tick of our player, stepped directly: what the tick was, and the position after it.
// libxmp keeps the skip (254) and end (255) markers in its order list; the
// loaders here drop them, so an order counts only the entries that play.
inline int PlayedOrder(const xmp_module& mod, int pos)
{
    int played = 0;
    for (int i = 0; i < pos && i < mod.len; ++i)
        played += mod.xxo[i] < 254 ? 1 : 0;
    return played;
}

inline TickState StepOurs(AUMUS_SONG* song)
{
    const int tick = song->tickcount;
    song->tick(song);
    return TickState{song->order, song->row, tick, song->rowspeed, static_cast<int>(song->bpm)};
}

class MusicTest : public CaptureDevice
{
protected:
    void TearDown() override
    {
        for (AUMUS_SONG* song : m_Songs)
            AUMUS_FreeSong(song);
        CaptureDevice::TearDown();
    }

    AUMUS_SONG* Load(const std::vector<uint8_t>& bytes, unsigned int mode = 0)
    {
        AUMUS_SONG* song = LoadMemory(bytes, mode);
        if (song)
            m_Songs.push_back(song);
        return song;
    }

    // Plays both players tick by tick while libxmp stays in its first pass of
    // the song; every timeline value must agree, and each channel's period
    // (finetune tables differ by under 1%) and volume within one step.
    void CompareTimeline(const std::vector<uint8_t>& bytes, int mode, int ticks, int minimumTicks)
    {
        AUMUS_SONG* song = Load(bytes);
        ASSERT_NE(song, nullptr) << AUSND_GetError();
        ASSERT_TRUE(AUMUS_PlaySong(song));
        XmpReference xmp(bytes, mode);
        ASSERT_TRUE(xmp.Loaded());
        int compared = 0;
        for (int i = 0; i < ticks; ++i, ++compared)
        {
            const xmp_frame_info& ref = xmp.Step();
            if (ref.loop_count > 0)
                break;
            const TickState ours = StepOurs(song);
            SCOPED_TRACE("tick " + std::to_string(i) + " order " + std::to_string(ref.pos) + " row " +
                         std::to_string(ref.row));
            ASSERT_EQ(ours.order, PlayedOrder(xmp.Module(), ref.pos));
            ASSERT_EQ(ours.row, ref.row);
            ASSERT_EQ(ours.tick, ref.frame);
            ASSERT_EQ(ours.speed, ref.speed);
            ASSERT_EQ(ours.tempo, ref.bpm);
            for (int c = 0; c < song->numchannels; ++c)
            {
                const AUMUS_VCHANNEL* vc = song->channels[c].vchannels;
                const xmp_channel_info& ci = ref.channel_info[c];
                if (!vc || ci.period == 0)
                    continue;
                const double ourPeriod = (vc->period + vc->perioddelta) / 4.0;
                const double refPeriod = ci.period / 4096.0;
                EXPECT_NEAR(ourPeriod, refPeriod, refPeriod * 0.01 + 1.0) << "channel " << c;
                EXPECT_NEAR(vc->volume + vc->volumedelta, ci.volume, 1.0) << "channel " << c;
            }
        }
        EXPECT_GE(compared, minimumTicks);
    }

    std::vector<AUMUS_SONG*> m_Songs;
};
