// Ogg Vorbis through libvorbisfile: file callbacks onto the sound system's
// file layer, opening with format checks and tags, reading 16-bit PCM for
// streams and loading whole files into samples.
#include "aulos/ausnd_stream.h"

#include <vorbis/vorbisfile.h>

#include <cstring>

namespace
{
bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

size_t ReadCallback(void* buffer, size_t size, size_t count, void* file)
{
    if (size == 0 || count == 0)
        return 0;
    const int n = AUSND_File_Read(buffer, 1, static_cast<int>(size * count), static_cast<AUSND_FILE*>(file));
    return n > 0 ? static_cast<size_t>(n) / size : 0;
}

int SeekCallback(void* file, ogg_int64_t offset, int whence)
{
    // The file layer counts in 32 bits: larger offsets are truncated.
    const int pos = AUSND_File_Seek(static_cast<AUSND_FILE*>(file), static_cast<int>(offset), whence);
    return pos < 0 ? -1 : 0;
}

long TellCallback(void* file)
{
    return AUSND_File_Tell(static_cast<AUSND_FILE*>(file));
}

OggVorbis_File* Decoder(void* codec)
{
    return static_cast<OggVorbis_File*>(codec);
}

void FreeDecoder(OggVorbis_File* vf, bool opened)
{
    if (opened)
        ov_clear(vf);
    AUSND_Memory_Free(vf);
}
} // namespace

void AUSND_OggVorbis_Init()
{
    // The Vorbis library of this platform builds its window tables as constants.
}

bool AUSND_OggVorbis_Open(AUSND_FILE* file, AUSND_STREAMFORMAT* f, AUSND_TAGLIST* tags)
{
    f->datalength = 0;
    f->dataoffset = 0;
    if (!file)
        return false;
    char magic[4] = {0, 0, 0, 0};
    AUSND_File_Seek(file, 0, 0);
    if (AUSND_File_Read(magic, 1, 4, file) != 4 || std::memcmp(magic, "OggS", 4) != 0)
        return Fail(AUSND_ERR_FILE_FORMAT);
    OggVorbis_File* vf = static_cast<OggVorbis_File*>(AUSND_Memory_Calloc(sizeof(OggVorbis_File)));
    if (!vf)
        return Fail(AUSND_ERR_MEMORY);
    AUSND_File_Seek(file, 0, 2);
    f->datalength = static_cast<uint32_t>(AUSND_File_Tell(file));
    AUSND_File_Seek(file, 0, 0);
    const ov_callbacks callbacks{ReadCallback, SeekCallback, nullptr, TellCallback};
    if (ov_open_callbacks(file, vf, nullptr, 0, callbacks) < 0)
    {
        FreeDecoder(vf, false);
        return Fail(AUSND_ERR_FILE_FORMAT);
    }
    const vorbis_info* info = ov_info(vf, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0)
    {
        FreeDecoder(vf, true);
        return Fail(AUSND_ERR_FILE_FORMAT);
    }
    const ogg_int64_t total = ov_pcm_total(vf, 0);
    if (total <= 0)
    {
        FreeDecoder(vf, true);
        return Fail(AUSND_ERR_FILE_FORMAT);
    }
    vorbis_comment* comment = ov_comment(vf, -1);
    if (tags && comment && comment->comments > 0)
        AUSND_Tag_ReadVorbisComments(comment->user_comments, comment->comment_lengths, comment->comments, tags);

    uint32_t mode = f->mode & ~static_cast<uint32_t>(AUSND_8BITS | AUSND_16BITS | AUSND_MONO | AUSND_STEREO |
                                                     AUSND_UNSIGNED | AUSND_SIGNED);
    mode |= AUSND_16BITS | AUSND_SIGNED | (info->channels == 1 ? AUSND_MONO : AUSND_STEREO);
    f->mode = mode;
    f->rate = static_cast<int>(info->rate);
    f->pcmbytes = static_cast<uint64_t>(total) * 2 * static_cast<uint64_t>(info->channels);
    f->bytesperframe = 0;
    const ogg_int64_t headers = ov_raw_tell(vf);
    f->dataoffset = headers > 0 ? static_cast<uint32_t>(headers) : 0;
    f->lengthms = static_cast<int64_t>(ov_time_total(vf, -1) * 1000.0);
    f->codec = vf;
    f->read = AUSND_Stream_ReadOggVorbis;
    f->close = AUSND_OggVorbis_Close;
    return true;
}

bool AUSND_OggVorbis_Read(void* codec, void* buffer, uint32_t* bytesInOut)
{
    const uint32_t wanted = *bytesInOut;
    *bytesInOut = 0;
    if (!codec || !buffer)
        return false;
    const int cap = wanted > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(wanted);
    int bitstream = 0;
    const long n = ov_read(Decoder(codec), static_cast<char*>(buffer), cap, 0, 2, 1, &bitstream);
    if (n < 0)
        return false;
    *bytesInOut = static_cast<uint32_t>(n);
    return true;
}

bool AUSND_OggVorbis_SeekPCM(void* codec, uint64_t frame, bool lap)
{
    if (!codec)
        return false;
    const ogg_int64_t at = static_cast<ogg_int64_t>(frame);
    return (lap ? ov_pcm_seek_lap(Decoder(codec), at) : ov_pcm_seek(Decoder(codec), at)) == 0;
}

bool AUSND_OggVorbis_SeekRaw(void* codec, uint64_t bytes, bool lap)
{
    if (!codec)
        return false;
    const ogg_int64_t at = static_cast<ogg_int64_t>(bytes);
    return (lap ? ov_raw_seek_lap(Decoder(codec), at) : ov_raw_seek(Decoder(codec), at)) == 0;
}

bool AUSND_OggVorbis_Close(void* codec)
{
    if (!codec)
        return false;
    OggVorbis_File* vf = Decoder(codec);
    vf->datasource = nullptr; // the stream or the loader owns the file
    FreeDecoder(vf, true);
    return true;
}

AUSND_SAMPLE* AUSND_OggVorbis_Load(int index, AUSND_FILE* file, unsigned int mode)
{
    AUSND_STREAMFORMAT f;
    f.mode = mode;
    if (!AUSND_OggVorbis_Open(file, &f, nullptr))
        return nullptr;
    const bool stereo = (f.mode & AUSND_STEREO) != 0;
    const uint64_t frames = f.pcmbytes / (stereo ? 4 : 2);
    uint32_t allocmode = (f.mode & ~static_cast<uint32_t>(AUSND_LOADMEMORY | AUSND_LOADRAW | AUSND_NONBLOCKING));
    if (stereo && (mode & AUSND_FORCEMONO))
        allocmode &= ~static_cast<uint32_t>(AUSND_HW3D);
    if (frames > 0x7FFFFFFFu / 4)
    {
        AUSND_OggVorbis_Close(f.codec);
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return nullptr;
    }
    AUSND_SAMPLE* sample = AUSND_Sample_AllocForFile(index, static_cast<uint32_t>(frames), allocmode, mode, f.rate);
    if (!sample)
    {
        AUSND_OggVorbis_Close(f.codec);
        return nullptr;
    }
    void* ptr1 = nullptr;
    void* ptr2 = nullptr;
    unsigned int len1 = 0;
    unsigned int len2 = 0;
    if (AUSND_Sample_Lock(sample, 0, static_cast<int>(AUSND_Sample_ByteSize(sample)), &ptr1, &ptr2, &len1, &len2))
    {
        uint8_t* out = static_cast<uint8_t*>(ptr1);
        uint32_t done = 0;
        while (done < len1)
        {
            uint32_t n = len1 - done;
            if (!AUSND_OggVorbis_Read(f.codec, out + done, &n) || n < 1)
                break;
            done += n;
        }
        AUSND_Sample_Unlock(sample, ptr1, ptr2, len1, len2);
    }
    AUSND_Sample_SetLoopPoints(sample, 0, static_cast<int>(frames) - 1);
    AUSND_OggVorbis_Close(f.codec);
    return sample;
}
