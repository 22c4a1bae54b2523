// Streams arrive with the stream layer; until then the device starts and stops
// an empty stream system so that its life cycle is complete.
#include "aulos/ausnd_device.h"

std::atomic<bool> AUSND_Stream_UpdateBusy{false};

bool AUSND_Stream_Init()
{
    return true;
}

void AUSND_Stream_ShutDown() {}

void AUSND_Stream_Update(int /*elapsedms*/) {}

void AUSND_Stream_Net_Shutdown() {}
