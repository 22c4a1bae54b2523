// Loaders still to come: they recognise nothing yet.
#include "aulos/aumus_song.h"

bool AUMUS_LoadASB(AUMUS_SONG*, AUMUS_Reader&, unsigned int, const int*, int)
{
    return false;
}
