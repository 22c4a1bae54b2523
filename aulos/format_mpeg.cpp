// MPEG audio decoding arrives later; its one-time table set-up has nothing to do yet.
#include "aulos/ausnd_device.h"

void AUSND_Mpeg_Init() {}
