// Tags: the descriptive fields of sound files (ID3v1, ID3v2, Vorbis comments)
// kept as a list, and the skipper that steps over a file's leading tags.
#pragma once

#include "aulos/system_file.h"

#include <cstdint>

enum AUSND_TAGFIELD_TYPE
{
    AUSND_TAGFIELD_VORBISCOMMENT = 0,
    AUSND_TAGFIELD_ID3V1 = 1,
    AUSND_TAGFIELD_ID3V2 = 2,
    AUSND_TAGFIELD_SHOUTCAST = 3,
    AUSND_TAGFIELD_ICECAST = 4
};

// One field. Read fields hold their name and value in the same allocation;
// Vorbis comment fields point into the decoder's comment text.
struct AUSND_TAGFIELD
{
    AUSND_TAGFIELD* next;
    int32_t type;
    char* name;
    void* value;
    int32_t valuelength; // bytes
};

// Fields in the order read.
struct AUSND_TAGLIST
{
    AUSND_TAGFIELD* first;
    AUSND_TAGFIELD* last;
};

// Copies name and value into a new field at the end of the list (error 12).
bool AUSND_Tag_Add(int type, const char* name, const void* value, int valuelength, AUSND_TAGLIST* list);
bool AUSND_Tag_AddToList(AUSND_TAGLIST* list, AUSND_TAGFIELD* field);
// True, or error 14 for a null or empty list.
bool AUSND_Tag_FreeList(AUSND_TAGLIST* list);
// The first field with the name (any case) and, unless type is -1, the type.
bool AUSND_Tag_Find(AUSND_TAGFIELD* first, const char* name, int type, void** value, int* length);
// The trailing tags, then the leading ones; leaves the file after the leading tags.
bool AUSND_Tag_Read(AUSND_FILE* file, AUSND_TAGLIST* list);
// Each reads one tag from just after its three-letter marker.
bool AUSND_Tag_ReadID3v1(AUSND_FILE* file, AUSND_TAGLIST* list);
bool AUSND_Tag_ReadID3v2(AUSND_FILE* file, AUSND_TAGLIST* list);
bool AUSND_Tag_ReadID3v2FromFooter(AUSND_FILE* file, AUSND_TAGLIST* list);
// Splits "NAME=value" comments in place (the "=" becomes a terminator).
bool AUSND_Tag_ReadVorbisComments(char** comments, const int* lengths, int count, AUSND_TAGLIST* list);
// Steps over the leading tags; the file is left at the first byte after them.
bool AUSND_Tag_Skip(AUSND_FILE* file);
