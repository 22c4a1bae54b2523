// The stream's tag queries: the fields read when the stream was opened
// (file tags, Vorbis comments, network header fields).
#include "aulos/ausnd.h"
#include "aulos/ausnd_device.h"
#include "aulos/ausnd_stream.h"
#include "aulos/format_bytes.h"

#include <cstring>

using namespace aulos_format;

bool AUSND_Stream_GetNumTagFields(AUSND_STREAM* stream, int* count)
{
    AUSND_ClearErrorOnOwner();
    if (!stream || !count)
        return Fail(AUSND_ERR_INVALID_PARAM);
    int n = 0;
    for (const AUSND_TAGFIELD* field = stream->tags.first; field; field = field->next)
        ++n;
    *count = n;
    return true;
}

bool AUSND_Stream_GetTagField(AUSND_STREAM* stream, int index, int* type, char** name, void** value, int* length)
{
    AUSND_ClearErrorOnOwner();
    if (!stream || !stream->tags.first)
        return Fail(AUSND_ERR_INVALID_PARAM);
    const AUSND_TAGFIELD* field = stream->tags.first;
    for (int i = 0; field && i < index; ++i)
        field = field->next;
    if (index < 0 || !field)
        return false;
    if (type)
        *type = field->type;
    if (name)
        *name = field->name;
    if (value)
        *value = field->value;
    if (length)
        *length = field->valuelength;
    return true;
}

bool AUSND_Stream_FindTagField(AUSND_STREAM* stream, int type, const char* name, void** value, int* length)
{
    (void)type; // fields are found by their exact name, of whatever kind
    AUSND_ClearErrorOnOwner();
    if (value)
        *value = nullptr;
    if (length)
        *length = 0;
    if (!stream || !stream->tags.first || !name)
        return Fail(AUSND_ERR_INVALID_PARAM);
    for (const AUSND_TAGFIELD* field = stream->tags.first; field; field = field->next)
    {
        if (!field->name || std::strcmp(field->name, name) != 0)
            continue;
        if (value)
            *value = field->value;
        if (length)
            *length = field->valuelength;
        return true;
    }
    return false;
}
