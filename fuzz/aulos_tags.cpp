// Reads the tags of the input (leading and trailing ID3v1 and ID3v2), skips
// its leading tags as sample loading does, and splits it as Vorbis comments.
#include "aulos/ausnd_tags.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > (1u << 20))
        return 0;
    const char* image = reinterpret_cast<const char*>(data);
    AUSND_FILE* file = AUSND_File_Open(image, AUSND_FILE_MEMORY, static_cast<int>(size));
    AUSND_TAGLIST list{};
    AUSND_Tag_Read(file, &list);
    void* value = nullptr;
    int length = 0;
    AUSND_Tag_Find(list.first, "TIT2", -1, &value, &length);
    AUSND_File_Seek(file, 0, 0);
    AUSND_Tag_Skip(file);
    AUSND_File_Close(file);

    // Comments separated by newlines.
    std::vector<char> text(data, data + size);
    text.push_back(0);
    std::vector<char*> comments;
    std::vector<int> lengths;
    char* start = text.data();
    for (size_t i = 0; i < size; ++i)
    {
        if (text[i] != '\n')
            continue;
        text[i] = 0;
        comments.push_back(start);
        lengths.push_back(static_cast<int>(&text[i] - start));
        start = &text[i + 1];
    }
    AUSND_Tag_ReadVorbisComments(comments.data(), lengths.data(), static_cast<int>(comments.size()), &list);
    AUSND_Tag_Find(list.first, "artist", 0, &value, &length);
    if (list.first)
        AUSND_Tag_FreeList(&list);
    return 0;
}
