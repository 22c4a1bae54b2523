// The file layer and its asynchronous open thread arrive later; the device
// already calls their start and shutdown, which have nothing to do yet.
#include "aulos/ausnd_device.h"

void AUSND_Async_Init() {}

void AUSND_Async_ShutDown() {}

void AUSND_File_ShutDown() {}
