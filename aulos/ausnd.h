// The public interface of the Aulos sound system: a plain function API over one
// device. Calls return true/false, a handle or -1, or null, and leave the
// reason in the calling thread's error number (AUSND_GetError).
#pragma once

#include "aulos/system_memory.h"

#include <cstdint>

struct AUSND_SAMPLE;
struct AUSND_DSPUNIT;

enum AUSND_ERRORS
{
    AUSND_ERR_NONE = 0,
    AUSND_ERR_BUSY = 1,          // a set-up call after AUSND_Init
    AUSND_ERR_UNINITIALIZED = 2, // AUSND_Init has not run
    AUSND_ERR_INIT = 3,          // the output or the mixer could not start
    AUSND_ERR_PLAY = 5,          // a channel refused to play
    AUSND_ERR_FILE_NOTFOUND = 9,
    AUSND_ERR_FILE_FORMAT = 10,
    AUSND_ERR_FILE_BAD = 11,
    AUSND_ERR_MEMORY = 12,
    AUSND_ERR_VERSION = 13,
    AUSND_ERR_INVALID_PARAM = 14,
    AUSND_ERR_CHANNEL_ALLOC = 16, // no free channel
    AUSND_ERR_RECORD = 17         // recording not possible
};

enum AUSND_OUTPUTTYPES
{
    AUSND_OUTPUT_DEFAULT = -1,
    AUSND_OUTPUT_NOSOUND = 0,               // discards the sound, mixer thread driven by the clock
    AUSND_OUTPUT_SDL = 10,                  // the machine's audio device
    AUSND_OUTPUT_NOSOUND_NONREALTIME = 12,  // discards the sound, one block per AUSND_Update, no threads
    AUSND_OUTPUT_CAPTURE = 20               // like the previous, but keeps every block in memory
};

enum AUSND_MIXERTYPES
{
    AUSND_MIXER_AUTODETECT = 0,
    AUSND_MIXER_BLENDMODE = 1,
    AUSND_MIXER_MMXP5 = 2,
    AUSND_MIXER_MMXP6 = 3,
    AUSND_MIXER_QUALITY_AUTODETECT = 4,
    AUSND_MIXER_QUALITY_FPU = 5,
    AUSND_MIXER_QUALITY_MMXP5 = 6,
    AUSND_MIXER_QUALITY_MMXP6 = 7,
    AUSND_MIXER_MONO = 8,
    AUSND_MIXER_QUALITY_MONO = 9,
    AUSND_MIXER_C = 10,
    AUSND_MIXER_QUALITY_C = 11,
    AUSND_MIXER_QUALITY_C_CUBIC = 12,
    AUSND_MIXER_QUALITY_C_SPLINE = 13,
    AUSND_MIXER_COUNT = 14
};

// The mode word of samples and streams.
enum AUSND_MODES : uint32_t
{
    AUSND_LOOP_OFF = 0x1,
    AUSND_LOOP_NORMAL = 0x2,
    AUSND_LOOP_BIDI = 0x4,
    AUSND_8BITS = 0x8,
    AUSND_16BITS = 0x10,
    AUSND_MONO = 0x20,
    AUSND_STEREO = 0x40,
    AUSND_UNSIGNED = 0x80,
    AUSND_SIGNED = 0x100,
    AUSND_DELTA = 0x200,
    AUSND_TRACKERPACKED = 0x400,
    AUSND_TRACKERPACKED2 = 0x800,
    AUSND_HW3D = 0x1000,
    AUSND_2D = 0x2000,
    AUSND_FXREADY = 0x4000,
    AUSND_LOADMEMORY = 0x8000,
    AUSND_LOADRAW = 0x10000,
    AUSND_MPEGACCURATE = 0x20000,
    AUSND_FORCEMONO = 0x40000,
    AUSND_HW2D = 0x80000,
    AUSND_ENABLEFX = 0x100000,
    AUSND_IMAADPCM = 0x400000,
    AUSND_ADPCM28 = 0x800000,
    AUSND_NONBLOCKING = 0x1000000,
    AUSND_ADPCM14 = 0x2000000,
    AUSND_MULTICHANNEL = 0x4000000,
    AUSND_SKIPTAGS = 0x40000000,
    AUSND_NETWORK = 0x80000000u,
    AUSND_LOOPBITS = AUSND_LOOP_OFF | AUSND_LOOP_NORMAL | AUSND_LOOP_BIDI
};

enum AUSND_INITFLAGS : unsigned int
{
    AUSND_INIT_OUTPUTFX = 0x4,            // the primary mix buffer is made ready for effects
    AUSND_INIT_LEVELHISTORY = 0x8,        // channels keep their peak levels per block
    AUSND_INIT_SPECTRUM_CURRENT = 0x80,   // the spectrum reads the newest block, not the oldest
    AUSND_INIT_MANUALUPDATE = 0x200       // streams are updated by AUSND_Update
};

enum AUSND_CHANNELS
{
    AUSND_CHANNEL_FREE = -1,      // any free channel
    AUSND_CHANNEL_ALL = -3,       // every channel
    AUSND_CHANNEL_PRIMARY = -1000 // the channel that plays the mix
};

enum AUSND_DSPPRIORITIES
{
    AUSND_DSP_PRIORITY_CLEAR = 0,
    AUSND_DSP_PRIORITY_SFX = 100,
    AUSND_DSP_PRIORITY_MUSIC = 200,
    AUSND_DSP_PRIORITY_SPECTRUM = 900,
    AUSND_DSP_PRIORITY_CLIPANDCOPY = 1000
};

// (block buffer, buffer from the previous unit, length in samples, parameter) -> buffer for the next unit
typedef void* (*AUSND_DSPCALLBACK)(void* block, void* current, int length, void* param);

// The caller's file routines, used for every file name the sound system opens
// once all five are installed. Open returns a handle, null for failure; read
// returns the bytes read; seek (origin 0 start, 1 current, 2 end) returns 0
// on success.
typedef void* (*AUSND_OPENCALLBACK)(const char* name);
typedef void (*AUSND_CLOSECALLBACK)(void* handle);
typedef int (*AUSND_READCALLBACK)(void* buffer, int size, void* handle);
typedef int (*AUSND_SEEKCALLBACK)(void* handle, int pos, signed char origin);
typedef int (*AUSND_TELLCALLBACK)(void* handle);

// Installs all five when none is null; otherwise removes all five.
void AUSND_File_SetCallbacks(AUSND_OPENCALLBACK useropen, AUSND_CLOSECALLBACK userclose, AUSND_READCALLBACK userread,
                             AUSND_SEEKCALLBACK userseek, AUSND_TELLCALLBACK usertell);

// Set-up, before AUSND_Init.
bool AUSND_SetOutput(int outputtype);
bool AUSND_SetDriver(int driver);
bool AUSND_SetMixer(int mixer);
bool AUSND_SetBufferSize(int ms);
bool AUSND_SetHWND(void* hwnd);
bool AUSND_SetMinHardwareChannels(int min);
bool AUSND_SetMaxHardwareChannels(int max);
bool AUSND_SetMemorySystem(void* pool, int poollen, AUSND_ALLOCCALLBACK useralloc, AUSND_REALLOCCALLBACK userrealloc,
                           AUSND_FREECALLBACK userfree);

// Life cycle.
bool AUSND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
void AUSND_Close();
bool AUSND_Update();

// Global settings.
void AUSND_SetSpeakerMode(unsigned int speakermode);
void AUSND_SetSFXMasterVolume(int volume);
void AUSND_SetPanSeperation(float pansep);

// Queries.
int AUSND_GetError();
float AUSND_GetVersion();
int AUSND_GetOutput();
void* AUSND_GetOutputHandle();
int AUSND_GetDriver();
int AUSND_GetMixer();
bool AUSND_EnumerateDrivers();
int AUSND_GetNumDrivers();
const char* AUSND_GetDriverName(int id);
bool AUSND_GetDriverCaps(int id, unsigned int* caps);
int AUSND_GetOutputRate();
int AUSND_GetMaxChannels();
int AUSND_GetMaxSamples();
int AUSND_GetSFXMasterVolume();
bool AUSND_GetNumHWChannels(int* num2d, int* num3d, int* total);
int AUSND_GetNumHardwareChannels();
int AUSND_GetChannelsPlaying();
float AUSND_GetCPUUsage();
void AUSND_GetMemoryStats(unsigned int* currentalloced, unsigned int* maxalloced);

// Channels.
int AUSND_PlaySound(int channel, AUSND_SAMPLE* sample);
int AUSND_PlaySoundEx(int channel, AUSND_SAMPLE* sample, AUSND_DSPUNIT* unit, signed char startpaused);
bool AUSND_StopSound(int channel);

bool AUSND_SetFrequency(int channel, int freq);
bool AUSND_SetFrequencyEx(int channel, float freq);
bool AUSND_SetVolume(int channel, int vol);
bool AUSND_SetVolumeAbsolute(int channel, int vol);
bool AUSND_SetPan(int channel, int pan);
bool AUSND_SetSurround(int channel, bool surround);
bool AUSND_SetMute(int channel, bool mute);
bool AUSND_SetPriority(int channel, int priority);
bool AUSND_SetReserved(int channel, bool reserved);
bool AUSND_SetPaused(int channel, bool paused);
bool AUSND_SetLoopMode(int channel, unsigned int loopmode);
bool AUSND_SetCurrentPosition(int channel, unsigned int offset);
bool AUSND_SetLevels(int channel, int frontleft, int center, int frontright, int backleft, int backright, int lfe);
bool AUSND_3D_SetAttributes(int channel, const float* pos, const float* vel);
bool AUSND_3D_SetMinMaxDistance(int channel, float min, float max);
bool AUSND_Reverb_SetChannelProperties(int channel, const void* properties72);

bool AUSND_IsPlaying(int channel);
AUSND_SAMPLE* AUSND_GetCurrentSample(int channel);
int AUSND_GetVolume(int channel);
int AUSND_GetPan(int channel);
int AUSND_GetFrequency(int channel);
bool AUSND_GetMute(int channel);
bool AUSND_GetPaused(int channel);
bool AUSND_GetSurround(int channel);
bool AUSND_GetReserved(int channel);
int AUSND_GetPriority(int channel);
unsigned int AUSND_GetLoopMode(int channel);
unsigned int AUSND_GetCurrentPosition(int channel);
bool AUSND_GetCurrentLevels(int channel, float* l, float* r);
int AUSND_GetAmplitude(int channel);
int AUSND_GetNumSubChannels(int channel);
int AUSND_GetSubChannel(int channel, int subchannel);
bool AUSND_3D_GetAttributes(int channel, float* pos, float* vel);
bool AUSND_3D_GetMinMaxDistance(int channel, float* min, float* max);
bool AUSND_Reverb_GetChannelProperties(int channel, void* properties72);

// Volume envelopes: attack, decay and release times in milliseconds, the
// sustain level 0..255. Key-off starts the release. The software output keeps
// no envelopes: both calls succeed and leave the sound as it is.
bool AUSND_SetADSR(int channel, int attackms, int decayms, int sustainlevel, int releasems);
bool AUSND_SetADSRKeyoff(int channel);

// Effects do not exist on this platform's outputs: enabling one gives -1 with
// error 14; disabling succeeds.
int AUSND_FX_Enable(int channel, unsigned int fxtype);
bool AUSND_FX_Disable(int channel);
// Parameters of an enabled effect, named by the id that AUSND_FX_Enable gave.
// An id with any of bits 16-23 set fails with error 14; otherwise the channel in
// the id's low 16 bits must be valid, and the software output accepts and
// ignores the values. Mixes are 0..100 (percent), times in milliseconds,
// frequencies in Hz, gains in dB.
bool AUSND_FX_SetChorus(int fxid, float wetdrymix, float depth, float feedback, float frequency, int waveform,
                        float delay, int phase);
bool AUSND_FX_SetCompressor(int fxid, float gain, float attack, float release, float threshold, float ratio,
                            float predelay);
bool AUSND_FX_SetDistortion(int fxid, float gain, float edge, float postEQcenterfrequency, float postEQbandwidth,
                            float prelowpasscutoff);
bool AUSND_FX_SetEcho(int fxid, float wetdrymix, float feedback, float leftdelay, float rightdelay, int pandelay);
bool AUSND_FX_SetFlanger(int fxid, float wetdrymix, float depth, float feedback, float frequency, int waveform,
                         float delay, int phase);
bool AUSND_FX_SetGargle(int fxid, int ratehz, int waveshape);
bool AUSND_FX_SetI3DL2Reverb(int fxid, int room, int roomHF, float roomrollofffactor, float decaytime,
                             float decayHFratio, int reflections, float reflectionsdelay, int reverb,
                             float reverbdelay, float diffusion, float density, float HFreference);
bool AUSND_FX_SetParamEQ(int fxid, float center, float bandwidth, float gain);
bool AUSND_FX_SetWavesReverb(int fxid, float ingain, float reverbmix, float reverbtime, float highfreqRTratio);

// 3D listener and world.
void AUSND_3D_Listener_SetAttributes(const float* pos, const float* vel, float fx, float fy, float fz, float tx,
                                     float ty, float tz);
void AUSND_3D_Listener_GetAttributes(float* pos, float* vel, float* fx, float* fy, float* fz, float* tx, float* ty,
                                     float* tz);
void AUSND_3D_Listener_SetCurrent(int current, int numlisteners);
void AUSND_3D_SetDopplerFactor(float scale);
void AUSND_3D_SetDistanceFactor(float scale);
void AUSND_3D_SetRolloffFactor(float scale);
bool AUSND_Reverb_SetProperties(const void* properties120);
bool AUSND_Reverb_GetProperties(void* properties120);

// Processing units.
AUSND_DSPUNIT* AUSND_DSP_Create(AUSND_DSPCALLBACK callback, int priority, void* param);
void AUSND_DSP_Free(AUSND_DSPUNIT* unit);
void AUSND_DSP_SetPriority(AUSND_DSPUNIT* unit, int priority);
int AUSND_DSP_GetPriority(AUSND_DSPUNIT* unit);
void AUSND_DSP_SetActive(AUSND_DSPUNIT* unit, bool active);
bool AUSND_DSP_GetActive(AUSND_DSPUNIT* unit);
AUSND_DSPUNIT* AUSND_DSP_GetClearUnit();
AUSND_DSPUNIT* AUSND_DSP_GetSFXUnit();
AUSND_DSPUNIT* AUSND_DSP_GetMusicUnit();
AUSND_DSPUNIT* AUSND_DSP_GetClipAndCopyUnit();
AUSND_DSPUNIT* AUSND_DSP_GetFFTUnit();
float* AUSND_DSP_GetSpectrum();
int AUSND_DSP_GetBufferLength();
int AUSND_DSP_GetBufferLengthTotal();
bool AUSND_DSP_ClearMixBuffer();
bool AUSND_DSP_MixBuffers(void* destbuffer, void* srcbuffer, int len, int freq, int vol, int pan, unsigned int mode);

// Samples.
AUSND_SAMPLE* AUSND_Sample_Alloc(int index, int length, unsigned int mode, int deffreq, int defvol, int defpan,
                                 int defpri);
AUSND_SAMPLE* AUSND_Sample_AllocEx(int index, int length, unsigned int mode, int deffreq, int defvol, int defpan,
                                   int defpri, int channels);
void AUSND_Sample_Free(AUSND_SAMPLE* sample);
AUSND_SAMPLE* AUSND_Sample_Load(int index, const char* nameordata, unsigned int mode, int offset, int length);
bool AUSND_Sample_Lock(AUSND_SAMPLE* sample, int offset, int length, void** ptr1, void** ptr2, unsigned int* len1,
                       unsigned int* len2);
bool AUSND_Sample_Unlock(AUSND_SAMPLE* sample, void* ptr1, void* ptr2, unsigned int len1, unsigned int len2);
bool AUSND_Sample_Upload(AUSND_SAMPLE* sample, const void* srcdata, unsigned int mode);
bool AUSND_Sample_UploadEx(AUSND_SAMPLE* sample, const void* srcdata, unsigned int offset, unsigned int length,
                           unsigned int mode);
bool AUSND_Sample_SetLoopPoints(AUSND_SAMPLE* sample, int loopstart, int loopend);
bool AUSND_Sample_GetLoopPoints(AUSND_SAMPLE* sample, int* loopstart, int* loopend);
bool AUSND_Sample_SetMode(AUSND_SAMPLE* sample, unsigned int mode);
unsigned int AUSND_Sample_GetMode(AUSND_SAMPLE* sample);
bool AUSND_Sample_SetDefaults(AUSND_SAMPLE* sample, int deffreq, int defvol, int defpan, int defpri);
bool AUSND_Sample_SetDefaultsEx(AUSND_SAMPLE* sample, int deffreq, int defvol, int defpan, int defpri, int varfreq,
                                int varvol, int varpan);
bool AUSND_Sample_GetDefaults(AUSND_SAMPLE* sample, int* deffreq, int* defvol, int* defpan, int* defpri);
bool AUSND_Sample_GetDefaultsEx(AUSND_SAMPLE* sample, int* deffreq, int* defvol, int* defpan, int* defpri,
                                int* varfreq, int* varvol, int* varpan);
bool AUSND_Sample_SetMinMaxDistance(AUSND_SAMPLE* sample, float min, float max);
bool AUSND_Sample_GetMinMaxDistance(AUSND_SAMPLE* sample, float* min, float* max);
bool AUSND_Sample_SetMaxPlaybacks(AUSND_SAMPLE* sample, int max);
unsigned int AUSND_Sample_GetLength(AUSND_SAMPLE* sample);
const char* AUSND_Sample_GetName(AUSND_SAMPLE* sample);
AUSND_SAMPLE* AUSND_Sample_Get(int sampno);

// Recording (no input device exists on this platform: starting fails).
bool AUSND_Record_EnumerateDrivers();
int AUSND_Record_GetNumDrivers();
const char* AUSND_Record_GetDriverName(int id);
bool AUSND_Record_SetDriver(int outputtype);
int AUSND_Record_GetDriver();
bool AUSND_Record_StartSample(AUSND_SAMPLE* sample, signed char loop);
bool AUSND_Record_Stop();
int AUSND_Record_GetPosition();

// CD audio (no CD tracks exist on this platform).
bool AUSND_CD_Init();
bool AUSND_CD_Open(char drive);
bool AUSND_CD_Play(char drive, int track);
bool AUSND_CD_Stop(char drive);
bool AUSND_CD_Eject(char drive);
bool AUSND_CD_SetPlayMode(char drive, signed char mode);
bool AUSND_CD_SetPaused(char drive, bool paused);
bool AUSND_CD_GetPaused(char drive);
bool AUSND_CD_SetVolume(char drive, int volume);
int AUSND_CD_GetVolume(char drive);
bool AUSND_CD_SetTrackTime(char drive, unsigned int ms);
unsigned int AUSND_CD_GetTrackTime(char drive);
int AUSND_CD_GetTrack(char drive);
int AUSND_CD_GetNumTracks(char drive);
int AUSND_CD_GetTrackLength(char drive, int track);
bool AUSND_CD_Close(char drive);

// Streams: sound decoded while it plays (music files, or data that a fill
// callback produces). Positions are bytes of data, milliseconds or PCM frames.
struct AUSND_STREAM;
struct AUSND_STREAMSYNC;
typedef bool (*AUSND_STREAMCALLBACK)(AUSND_STREAM* stream, void* buffer, int length, void* userdata);
typedef bool (*AUSND_STREAMSYNCCALLBACK)(AUSND_STREAM* stream, const char* name, unsigned int offset,
                                         void* userdata);

AUSND_STREAM* AUSND_Stream_Open(const char* nameordata, unsigned int mode, int offset, int length);
AUSND_STREAM* AUSND_Stream_Create(AUSND_STREAMCALLBACK callback, int halfbytes, unsigned int mode, int rate,
                                  void* userdata);
int AUSND_Stream_Play(int channel, AUSND_STREAM* stream);
int AUSND_Stream_PlayEx(int channel, AUSND_STREAM* stream, AUSND_DSPUNIT* unit, signed char paused);
bool AUSND_Stream_Stop(AUSND_STREAM* stream);
bool AUSND_Stream_Close(AUSND_STREAM* stream);
bool AUSND_Stream_SetBufferSize(int ms);
bool AUSND_Stream_SetEndCallback(AUSND_STREAM* stream, AUSND_STREAMCALLBACK callback, void* userdata);
bool AUSND_Stream_SetSyncCallback(AUSND_STREAM* stream, AUSND_STREAMSYNCCALLBACK callback, void* userdata);
AUSND_STREAMSYNC* AUSND_Stream_AddSyncPoint(AUSND_STREAM* stream, unsigned int pcmoffset, const char* name);
bool AUSND_Stream_DeleteSyncPoint(AUSND_STREAMSYNC* point);
int AUSND_Stream_GetNumSyncPoints(AUSND_STREAM* stream);
AUSND_STREAMSYNC* AUSND_Stream_GetSyncPoint(AUSND_STREAM* stream, int index);
const char* AUSND_Stream_GetSyncPointInfo(AUSND_STREAMSYNC* point, unsigned int* pcmoffset);
int AUSND_Stream_GetOpenState(AUSND_STREAM* stream);
AUSND_SAMPLE* AUSND_Stream_GetSample(AUSND_STREAM* stream);
AUSND_DSPUNIT* AUSND_Stream_CreateDSP(AUSND_STREAM* stream, AUSND_DSPCALLBACK callback, int priority, void* param);
bool AUSND_Stream_SetMode(AUSND_STREAM* stream, unsigned int mode);
unsigned int AUSND_Stream_GetMode(AUSND_STREAM* stream);
int AUSND_Stream_GetLength(AUSND_STREAM* stream);
int AUSND_Stream_GetLengthMs(AUSND_STREAM* stream);
bool AUSND_Stream_SetPosition(AUSND_STREAM* stream, unsigned int position);
unsigned int AUSND_Stream_GetPosition(AUSND_STREAM* stream);
bool AUSND_Stream_SetTime(AUSND_STREAM* stream, int ms);
int AUSND_Stream_GetTime(AUSND_STREAM* stream);
bool AUSND_Stream_SetPCM(AUSND_STREAM* stream, unsigned int pcm);
bool AUSND_Stream_SetLoopPoints(AUSND_STREAM* stream, unsigned int loopstartpcm, unsigned int loopendpcm);
bool AUSND_Stream_SetLoopCount(AUSND_STREAM* stream, int count);
int AUSND_Stream_GetNumSubStreams(AUSND_STREAM* stream);
bool AUSND_Stream_SetSubStream(AUSND_STREAM* stream, int index);
// keepplaying: the new sound follows what is buffered without a stop.
bool AUSND_Stream_SetSubStreamEx(AUSND_STREAM* stream, int index, bool duringopen, bool keepplaying);
bool AUSND_Stream_SetSubStreamSentence(AUSND_STREAM* stream, const int* sentencelist, int numitems);
// Network streams ("http://" names given to AUSND_Stream_Open).
typedef void (*AUSND_METADATACALLBACK)(const char* name, const char* value, void* userdata);
typedef void (*AUSND_NETDATACALLBACK)(const void* data, unsigned int bytes, void* userdata);
// Read-ring bytes and the fill (%) that ends the first buffering and a
// rebuffering after an underrun; for streams opened afterwards.
bool AUSND_Stream_Net_SetBufferProperties(int buffersize, int prebuffer_percent, int rebuffer_percent);
bool AUSND_Stream_Net_GetBufferProperties(int* buffersize, int* prebuffer_percent, int* rebuffer_percent);
bool AUSND_Stream_Net_SetProxy(const char* proxy);
const char* AUSND_Stream_Net_GetLastServerStatus();
// status: 1 connecting, 2 buffering, 3 streaming, 4 stopped by an error.
bool AUSND_Stream_Net_GetStatus(AUSND_STREAM* stream, int* status, int* bufferpercent, int* bitrate,
                                unsigned int* flags);
bool AUSND_Stream_Net_SetMetadataCallback(AUSND_STREAM* stream, AUSND_METADATACALLBACK callback, void* userdata);
// For the streams opened afterwards: every block of stream bytes received.
bool AUSND_Stream_Net_SetNetDataCallback(AUSND_NETDATACALLBACK callback, void* userdata);
// Calls off a network open still connecting or buffering; false when it does not end in time.
bool AUSND_Stream_Net_CancelOpen(AUSND_STREAM* stream);
// Bytes of data of a mode and channel count as frames, and back.
// The stream's tags, in the order read. A stream without tags is error 14 for
// the field queries; an index past the last field is false without an error.
// Find compares the name exactly and takes a field of any type.
bool AUSND_Stream_GetNumTagFields(AUSND_STREAM* stream, int* count);
bool AUSND_Stream_GetTagField(AUSND_STREAM* stream, int index, int* type, char** name, void** value, int* length);
bool AUSND_Stream_FindTagField(AUSND_STREAM* stream, int type, const char* name, void** value, int* length);
unsigned int AUSND_Stream_BytesToSamples(unsigned int bytes, unsigned int mode, int channels);
unsigned int AUSND_Stream_SamplesToBytes(unsigned int samples, unsigned int mode, int channels);

// The capture output: every block mixed since AUSND_Init, as interleaved
// signed 16-bit frames at the mix rate.
const int16_t* AUSND_Capture_GetData(unsigned int* numframes);
int AUSND_Capture_GetChannels();
void AUSND_Capture_Clear();
bool AUSND_Capture_WriteWAV(const char* filename);
