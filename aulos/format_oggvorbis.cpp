// Ogg Vorbis decoding arrives later; its one-time set-up has nothing to do yet.
#include "aulos/ausnd_device.h"

void AUSND_OggVorbis_Init() {}
