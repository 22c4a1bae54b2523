// The tracker player shared by the S3M, XM and IT songs: instruments with
// envelopes, the effects of the three formats in one internal encoding, and
// the per-channel state that the loaders prepare.
#pragma once

#include "aulos/aumus_song.h"

#include <cstdint>

// Effects as the loaders translate them (cell byte 3); the parameter stays the file's.
enum AUMUS_EFFECTS : uint8_t
{
    FX_NONE = 0,
    FX_SPEED,            // S3M/IT A, XM F below 32
    FX_JUMP,             // B
    FX_BREAK,            // C (S3M/IT: decimal digits), XM D
    FX_S3M_VOLSLIDE,     // S3M/IT D with fine forms
    FX_S3M_PORTADOWN,    // S3M/IT E with fine forms
    FX_S3M_PORTAUP,      // S3M/IT F with fine forms
    FX_TONEPORTA,        // G, XM 3
    FX_VIBRATO,          // H, XM 4
    FX_TREMOR,           // I, XM T
    FX_ARPEGGIO,         // J, XM 0
    FX_VIBRATO_VOLSLIDE, // K, XM 6
    FX_PORTA_VOLSLIDE,   // L, XM 5
    FX_CHANNELVOL,       // IT M
    FX_CHANNELVOLSLIDE,  // IT N
    FX_OFFSET,           // O, XM 9
    FX_PANSLIDE,         // IT P, XM P
    FX_RETRIG,           // Q, XM R
    FX_TREMOLO,          // R, XM 7
    FX_S3M_SPECIAL,      // S3M/IT S
    FX_TEMPO,            // T, XM F from 32
    FX_FINEVIBRATO,      // U
    FX_GLOBALVOL,        // V, XM G
    FX_GLOBALVOLSLIDE,   // IT W, XM H
    FX_PAN,              // X, XM 8: 0-255
    FX_PANBRELLO,        // IT Y
    FX_ZXX,              // Z
    FX_XM_PORTAUP,       // XM 1
    FX_XM_PORTADOWN,     // XM 2
    FX_XM_VOLSLIDE,      // XM A
    FX_XM_EXTENDED,      // XM E
    FX_XM_SETVOL,        // XM C
    FX_XM_KEYOFF,        // XM K
    FX_XM_ENVPOS,        // XM L
    FX_XM_EXTRAFINE      // XM X
};

// Special note values in cell byte 0.
enum : uint8_t
{
    AUMUS_NOTE_FADE = 253,
    AUMUS_NOTE_CUT = 254,
    AUMUS_NOTE_OFF = 255,
    AUMUS_NOTE_MAX = 120
};

enum AUMUS_ENVFLAGS : uint8_t
{
    AUMUS_ENV_ON = 1,
    AUMUS_ENV_LOOP = 2,
    AUMUS_ENV_SUSTAIN = 4,
    AUMUS_ENV_FILTER = 8
};

struct AUMUS_ENVELOPE
{
    uint8_t flags;
    uint8_t points;
    uint8_t loopstart, loopend, sustainstart, sustainend;
    uint16_t tick[25];
    int8_t value[25]; // volume 0-64, pan and pitch -32..32
};

struct AUMUS_INSTRUMENT
{
    char name[32];
    uint8_t notesample[AUMUS_NOTE_MAX]; // sample number (1-based), 0 none
    uint8_t notemap[AUMUS_NOTE_MAX];    // note played (1-based)
    AUMUS_ENVELOPE envelopes[3];        // volume, pan, pitch
    int32_t fadeout;                    // per tick, of 65536 (XM doubled into that scale)
    uint8_t vibtype, vibsweep, vibdepth, vibrate;
    uint8_t nna, dct, dca;
    uint8_t globalvolume; // 0-128
    int16_t defpan;       // -1 none, else 0-255
    int8_t pitchpansep;   // IT: pan moves by this much per 8 notes from the centre
    uint8_t pitchpancentre; // IT: the note (file numbering) that keeps its pan
    uint8_t volumeswing;  // IT: random volume change, percent either way
    uint8_t panswing;     // IT: random pan change, 0-64 either way
    int16_t cutoff;       // IT: filter cutoff 0-127 a new note sets, -1 none
    int16_t resonance;    // IT: filter resonance 0-127 a new note sets, -1 none
};

// What a song sample carries besides the sound-system sample.
struct AUMUS_SAMPLEINFO
{
    int16_t defpan;        // -1 none, else 0-255
    uint8_t globalvolume;  // 0-64
    uint8_t vibtype, vibsweep, vibdepth, vibrate; // IT sample vibrato
};

// Everything a voice needs beyond the core's virtual channel.
struct AUMUS_VOICE
{
    AUSND_SAMPLE* sample;
    const AUMUS_INSTRUMENT* instrument;
    int32_t sampleindex;
    int32_t envpos[3];
    uint8_t keyoff;
    uint8_t fading;
    uint8_t fadeskip; // the fade starts one tick later
    uint8_t background; // left behind by a new note
    int32_t fadevolume; // 0-65536
    int32_t autovibpos;
    int32_t autovibsweep;
    int32_t notevolume; // 0-64
    int32_t pan;        // 0-255
    int32_t period;     // the channel's pitch when the voice was left
    int32_t channelvolume;
    uint8_t note;       // as the pattern gave it, for the duplicate check
    int32_t volumeswing; // percent added to the note volume
    int32_t panoffset;   // random and pitch pan, 0-255 scale
    int32_t cutoff, resonance; // the channel's filter when the voice was left
};

struct AUMUS_PLAYERCHANNEL
{
    uint8_t note;      // as played, after the note map
    int32_t period;    // linear (64 per semitone) or quarter Amiga units
    int32_t volume;    // 0-64
    int32_t pan;       // 0-255
    int32_t channelvolume; // 0-64
    uint8_t instrument;    // 1-based, 0 none
    uint8_t effect, parameter;
    uint8_t memory[40]; // last non-zero parameter per effect
    uint8_t portamemory;
    int32_t portatarget;
    uint8_t portaspeed;
    int32_t vibpos, vibspeed, vibdepth;
    int32_t trempos, tremspeed, tremdepth;
    int32_t panbrellopos, panbrellospeed, panbrellodepth;
    uint8_t vibwave, tremwave, panbrellowave;
    int32_t looprow, loopcount;
    int32_t tremorcount;
    uint8_t tremoroff;
    int32_t retrigcount;
    int32_t delaytick; // note delay: tick that plays the cell, -1 none
    int32_t cuttick;
    int32_t voldelta, perioddelta, pandelta;
    uint32_t offsetmemory;
    int32_t finevolup, finevoldown, xmfineup, xmfinedown, xmextrafine;
    int32_t cutoff, resonance; // IT filter, 0-127
    uint8_t xmvolslide, xmglobalslide, xmpanslide;
    AUMUS_VOICE* voice; // the voice in the channel's foreground
    AUMUS_VCHANNEL* vc;
};

struct AUMUS_PLAYER
{
    AUMUS_INSTRUMENT* instruments;
    AUMUS_SAMPLEINFO* sampleinfo;
    AUMUS_PLAYERCHANNEL channels[64];
    AUMUS_VOICE* voices; // one per entry of the song's virtual-channel table
    bool linear;
    bool fastslides;  // S3M: volume slides on tick 0 too
    bool instrumentmode;
    bool oldeffects;  // IT
    bool compatgxx;   // IT
    int32_t flags;
    int32_t globalvolume_max; // 64 (S3M, XM) or 128 (IT)
    int32_t rowdelay;  // pattern delay in rows, the row repeats
    bool rowdelayset;
    int32_t jumped;
    uint32_t random; // the swing generator, restarted with each play so renders repeat
};

// Creates the player state for a song of numinstruments instruments (0: the samples play directly).
AUMUS_PLAYER* AUMUS_Player_Create(AUMUS_SONG* song, int numinstruments);
AUMUS_PLAYER* AUMUS_Player_Of(AUMUS_SONG* song);
// The update hook of S3M, XM and IT songs.
void AUMUS_Player_Update(SongRecord* song);
// Resets the player at the song's start (the play hook).
bool AUMUS_Player_Play(AUMUS_SONG* song);
// Frequency of a note of a sample whose C-5 frequency (note 49 here) is deffreq.
int AUMUS_Player_NotePeriod(const AUMUS_PLAYER* player, int note, int deffreq);
