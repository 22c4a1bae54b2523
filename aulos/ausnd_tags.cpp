#include "aulos/ausnd_tags.h"

#include "aulos/ausnd_device.h"
#include "aulos/format_bytes.h"
#include "aulos/system_string.h"

#include <cstdio>
#include <cstring>

using namespace aulos_format;

namespace
{
constexpr int kID3v1Size = 128;
constexpr int kID3v2HeaderSize = 10;
constexpr uint32_t kMaxFrameSize = 0xFFFFF;

uint32_t Synchsafe(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0] & 0x7F) << 21) | (static_cast<uint32_t>(p[1] & 0x7F) << 14) |
           (static_cast<uint32_t>(p[2] & 0x7F) << 7) | static_cast<uint32_t>(p[3] & 0x7F);
}

uint32_t BigEndian(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

// The ID3v2 header after "ID3": version, flags and size.
struct ID3v2Header
{
    uint8_t version;
    uint8_t flags;
    uint32_t size; // of the frames, without header and footer

    int64_t Total() const { return kID3v2HeaderSize + static_cast<int64_t>(size) + ((flags & 0x10) ? 10 : 0); }
};

bool ReadID3v2Header(AUSND_FILE* file, ID3v2Header& header)
{
    uint8_t bytes[7];
    if (!ReadExactly(file, bytes, 7))
        return Fail(AUSND_ERR_FILE_BAD);
    header.version = bytes[0];
    header.flags = bytes[2];
    header.size = Synchsafe(bytes + 3);
    return true;
}

bool AcceptableId(const uint8_t* id, int length)
{
    for (int i = 0; i < length; ++i)
    {
        if (id[i] != 0 && (id[i] < 0x20 || id[i] > 0x7F))
            return false;
    }
    return true;
}

bool AddText(int type, const char* name, const char* text, AUSND_TAGLIST* list)
{
    return AUSND_Tag_Add(type, name, text, static_cast<int>(F_strlen(text)) + 1, list);
}

bool AddNumber(const char* name, int value, AUSND_TAGLIST* list)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%d", value);
    return AddText(AUSND_TAGFIELD_ID3V1, name, text, list);
}

// One frame's body as a field; a short read drops the frame.
bool TakeFrame(AUSND_FILE* file, const char* id, uint32_t size, AUSND_TAGLIST* list)
{
    void* body = AUSND_Memory_Alloc(size);
    if (!body)
        return Fail(AUSND_ERR_MEMORY);
    bool ok = true;
    if (ReadExactly(file, body, static_cast<int>(size)))
        ok = AUSND_Tag_Add(AUSND_TAGFIELD_ID3V2, id, body, static_cast<int>(size), list);
    AUSND_Memory_Free(body);
    return ok;
}
} // namespace

bool AUSND_Tag_Add(int type, const char* name, const void* value, int valuelength, AUSND_TAGLIST* list)
{
    if (!list || !name || valuelength < 0 || (valuelength > 0 && !value))
        return Fail(AUSND_ERR_INVALID_PARAM);
    const size_t namebytes = F_strlen(name) + 1;
    // The value gets a terminator of its own so that text values read safely.
    const size_t total = sizeof(AUSND_TAGFIELD) + namebytes + static_cast<size_t>(valuelength) + 1;
    uint8_t* memory = static_cast<uint8_t*>(AUSND_Memory_Calloc(static_cast<unsigned int>(total)));
    if (!memory)
        return Fail(AUSND_ERR_MEMORY);
    AUSND_TAGFIELD* field = reinterpret_cast<AUSND_TAGFIELD*>(memory);
    field->type = type;
    field->name = reinterpret_cast<char*>(memory + sizeof(AUSND_TAGFIELD));
    std::memcpy(field->name, name, namebytes);
    field->value = field->name + namebytes;
    if (valuelength > 0)
        std::memcpy(field->value, value, static_cast<size_t>(valuelength));
    field->valuelength = valuelength;
    return AUSND_Tag_AddToList(list, field);
}

bool AUSND_Tag_AddToList(AUSND_TAGLIST* list, AUSND_TAGFIELD* field)
{
    if (!list || !field)
        return Fail(AUSND_ERR_INVALID_PARAM);
    field->next = nullptr;
    if (list->last)
        list->last->next = field;
    else
        list->first = field;
    list->last = field;
    return true;
}

bool AUSND_Tag_FreeList(AUSND_TAGLIST* list)
{
    if (!list || !list->first)
        return Fail(AUSND_ERR_INVALID_PARAM);
    for (AUSND_TAGFIELD* field = list->first; field;)
    {
        AUSND_TAGFIELD* next = field->next;
        AUSND_Memory_Free(field);
        field = next;
    }
    list->first = nullptr;
    list->last = nullptr;
    return true;
}

bool AUSND_Tag_Find(AUSND_TAGFIELD* first, const char* name, int type, void** value, int* length)
{
    if (!name)
        return false;
    for (AUSND_TAGFIELD* field = first; field; field = field->next)
    {
        if (F_stricmp(field->name, name) != 0 || (type != -1 && field->type != type))
            continue;
        if (value)
            *value = field->value;
        if (length)
            *length = field->valuelength;
        return true;
    }
    return false;
}

bool AUSND_Tag_ReadID3v1(AUSND_FILE* file, AUSND_TAGLIST* list)
{
    static const struct
    {
        const char* name;
        int size;
    } kFields[] = {{"TITLE", 30}, {"ARTIST", 30}, {"ALBUM", 30}, {"YEAR", 4}, {"COMMENT", 30}};
    uint8_t comment[30] = {};
    for (const auto& f : kFields)
    {
        char text[31] = {};
        if (!ReadExactly(file, text, f.size))
            return Fail(AUSND_ERR_FILE_BAD);
        if (f.size == 30 && std::strcmp(f.name, "COMMENT") == 0)
            std::memcpy(comment, text, 30);
        if (text[0] && !AddText(AUSND_TAGFIELD_ID3V1, f.name, text, list))
            return false;
    }
    if (comment[28] == 0 && comment[29] != 0 && !AddNumber("TRACK", comment[29], list))
        return false;
    uint8_t genre = 0;
    if (!ReadExactly(file, &genre, 1))
        return Fail(AUSND_ERR_FILE_BAD);
    return AddNumber("GENRE", genre, list);
}

bool AUSND_Tag_ReadID3v2(AUSND_FILE* file, AUSND_TAGLIST* list)
{
    const int64_t tagStart = AUSND_File_Tell(file) - 3;
    ID3v2Header header{};
    if (!ReadID3v2Header(file, header))
        return false;
    const int64_t tagEnd = tagStart + header.Total();
    if (tagEnd > FileSize(file))
        return Fail(AUSND_ERR_FILE_BAD);
    const bool oldFrames = header.version < 3;
    const int headerBytes = oldFrames ? 6 : 10;
    const int idBytes = oldFrames ? 3 : 4;
    const int64_t framesEnd = tagStart + kID3v2HeaderSize + header.size;
    for (int64_t at = tagStart + kID3v2HeaderSize; at + headerBytes <= framesEnd;)
    {
        AUSND_File_Seek(file, static_cast<int>(at), 0);
        uint8_t frame[10];
        if (!ReadExactly(file, frame, headerBytes))
            return Fail(AUSND_ERR_FILE_BAD);
        uint32_t size = 0;
        if (oldFrames)
            size = BigEndian(frame + 3, 3);
        else if (header.version >= 4)
            size = Synchsafe(frame + 4);
        else
            size = BigEndian(frame + 4, 4);
        // A frame cannot reach beyond its tag: what follows is not a frame.
        if (at + headerBytes + static_cast<int64_t>(size) > framesEnd)
            break;
        char id[5] = {};
        std::memcpy(id, frame, static_cast<size_t>(idBytes));
        if (AcceptableId(frame, idBytes) && size >= 1 && size <= kMaxFrameSize &&
            !TakeFrame(file, id, size, list))
        {
            AUSND_File_Seek(file, static_cast<int>(tagEnd), 0);
            return false;
        }
        at += headerBytes + static_cast<int64_t>(size);
    }
    AUSND_File_Seek(file, static_cast<int>(tagEnd), 0);
    return true;
}

bool AUSND_Tag_ReadID3v2FromFooter(AUSND_FILE* file, AUSND_TAGLIST* list)
{
    const int64_t footerStart = AUSND_File_Tell(file) - 3;
    ID3v2Header header{};
    if (!ReadID3v2Header(file, header))
        return false;
    const int64_t tagStart = footerStart - kID3v2HeaderSize - static_cast<int64_t>(header.size);
    if (tagStart < 0)
        return Fail(AUSND_ERR_FILE_BAD);
    AUSND_File_Seek(file, static_cast<int>(tagStart + 3), 0);
    const bool ok = AUSND_Tag_ReadID3v2(file, list);
    AUSND_File_Seek(file, static_cast<int>(tagStart), 0);
    return ok;
}

bool AUSND_Tag_Read(AUSND_FILE* file, AUSND_TAGLIST* list)
{
    const int64_t size = FileSize(file);
    for (int64_t end = size;;)
    {
        char marker[3];
        if (end - kID3v1Size >= 0)
        {
            AUSND_File_Seek(file, static_cast<int>(end - kID3v1Size), 0);
            if (!ReadExactly(file, marker, 3))
                return Fail(AUSND_ERR_FILE_BAD);
            if (std::memcmp(marker, "TAG", 3) == 0)
            {
                if (!AUSND_Tag_ReadID3v1(file, list))
                    return false;
                end -= kID3v1Size;
                continue;
            }
        }
        if (end - kID3v2HeaderSize < 0)
            break;
        AUSND_File_Seek(file, static_cast<int>(end - kID3v2HeaderSize), 0);
        if (!ReadExactly(file, marker, 3))
            return Fail(AUSND_ERR_FILE_BAD);
        if (std::memcmp(marker, "3DI", 3) != 0)
            break;
        if (!AUSND_Tag_ReadID3v2FromFooter(file, list))
            return false;
        end = AUSND_File_Tell(file);
    }

    AUSND_File_Seek(file, 0, 0);
    for (;;)
    {
        const int at = AUSND_File_Tell(file);
        char marker[3];
        if (!ReadExactly(file, marker, 3))
        {
            AUSND_File_Seek(file, at, 0);
            return at == size || Fail(AUSND_ERR_FILE_BAD);
        }
        bool ok = true;
        if (std::memcmp(marker, "TAG", 3) == 0)
            ok = AUSND_Tag_ReadID3v1(file, list);
        else if (std::memcmp(marker, "ID3", 3) == 0)
            ok = AUSND_Tag_ReadID3v2(file, list);
        else
        {
            AUSND_File_Seek(file, at, 0);
            return true;
        }
        if (!ok)
            return false;
    }
}

bool AUSND_Tag_ReadVorbisComments(char** comments, const int* lengths, int count, AUSND_TAGLIST* list)
{
    if (!comments || !list)
        return false;
    for (int i = 0; i < count; ++i)
    {
        char* text = comments[i];
        const int length = lengths ? lengths[i] : (text ? static_cast<int>(F_strlen(text)) : 0);
        if (!text || length <= 0)
            continue;
        char* equals = static_cast<char*>(std::memchr(text, '=', static_cast<size_t>(length)));
        if (!equals)
            continue;
        AUSND_TAGFIELD* field = static_cast<AUSND_TAGFIELD*>(AUSND_Memory_Calloc(sizeof(AUSND_TAGFIELD)));
        if (!field)
            return Fail(AUSND_ERR_MEMORY);
        *equals = 0;
        field->type = AUSND_TAGFIELD_VORBISCOMMENT;
        field->name = text;
        field->value = equals + 1;
        field->valuelength = length - static_cast<int>(equals + 1 - text);
        AUSND_Tag_AddToList(list, field);
    }
    return true;
}

bool AUSND_Tag_Skip(AUSND_FILE* file)
{
    for (;;)
    {
        const int at = AUSND_File_Tell(file);
        char marker[3];
        if (!ReadExactly(file, marker, 3))
            return Fail(AUSND_ERR_FILE_BAD);
        if (std::memcmp(marker, "TAG", 3) == 0)
        {
            AUSND_File_Seek(file, kID3v1Size - 3, 1);
            continue;
        }
        if (std::memcmp(marker, "ID3", 3) != 0)
        {
            AUSND_File_Seek(file, at, 0);
            return true;
        }
        ID3v2Header header{};
        if (!ReadID3v2Header(file, header))
            return false;
        const int64_t next = at + header.Total();
        if (next > FileSize(file))
            return Fail(AUSND_ERR_FILE_BAD);
        AUSND_File_Seek(file, static_cast<int>(next), 0);
    }
}
