// The sound system's one way of reading bytes: disk files (plain or through a
// 2048-byte buffer), memory images and the caller's file callbacks, seen
// through a window of start and end offsets, with optional byte swapping and
// an optional worker thread that performs reads and seeks in order.
#pragma once

#include "aulos/ausnd.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

enum AUSND_FILEKINDS
{
    AUSND_FILE_DISK = 0,
    AUSND_FILE_MEMORY = 1,
    AUSND_FILE_USER = 2,
    AUSND_FILE_BUFFERED = 3,
    AUSND_FILE_KINDMASK = 0x0F,
    AUSND_FILE_SWAP = 0x10 // 2- and 4-byte items are byte-swapped on read
};

enum
{
    AUSND_FILE_BUFFERSIZE = 2048,
    AUSND_FILE_QUEUELENGTH = 64
};

struct AUSND_FILE
{
    uint8_t kind;
    FILE* disk;
    void* userhandle;
    const uint8_t* memory;
    uint8_t* buffer;
    int32_t position; // in the underlying data
    int32_t length;
    int32_t bufferoffset; // the buffer holds the 2048 bytes from position - bufferoffset
    uint8_t refill;       // the buffer's bytes are not loaded yet
    uint8_t blocking;
    int32_t logicalposition; // as seen through queued requests
    std::atomic<int32_t> pending;
    uint8_t error; // the last read failed
    int32_t startoffset;
    int32_t endoffset; // inclusive; -1 for none
};

// Opens a disk file (kinds 0 and 3), a memory image of `length` bytes (kind 1,
// `name` is its base) or a file of the user callbacks (kind 2). Null when the
// file cannot be opened (error 12 when memory runs out).
AUSND_FILE* AUSND_File_Open(const char* name, int kind, int length);
void AUSND_File_Close(AUSND_FILE* file);
// Bytes read (a short count at the end of the data or window), -1 for a null
// file or buffer or a failed read.
int AUSND_File_Read(void* buffer, int size, int count, AUSND_FILE* file);
// Origin 0 start, 1 current, 2 end; the new position, or -1.
int AUSND_File_Seek(AUSND_FILE* file, int offset, int origin);
// The position counted from the start offset; 0 for null.
int AUSND_File_Tell(AUSND_FILE* file);
int AUSND_File_GetChar(AUSND_FILE* file);
int AUSND_File_GetWord(AUSND_FILE* file);
void AUSND_File_SetStartOffset(AUSND_FILE* file, int offset);
void AUSND_File_SetEndOffset(AUSND_FILE* file, int offset);
void AUSND_File_SetBlocking(AUSND_FILE* file, bool blocking);
void AUSND_File_ClearQueue(AUSND_FILE* file);
void AUSND_File_WaitForQueueToDrain(AUSND_FILE* file);
bool AUSND_File_UsingFileCallbacks();

// An open that runs on the asynchronous open thread: a non-blocking stream
// (type 0) or song (type 1). The open routine is called there with the item.
struct AUSND_ASYNCITEM
{
    AUSND_ASYNCITEM* next;
    AUSND_ASYNCITEM* prev;
    void* target;
    int32_t type;
    void (*open)(AUSND_ASYNCITEM* item);
};

// True when the open thread runs (started on first use); error 12 when it
// cannot be made.
bool AUSND_Async_CreateThread();
// Queues an item for the open thread (starting it when needed); false with
// error 12 when no thread can be made. With a non-real-time output no thread
// may exist and the item is opened at once on the calling thread.
bool AUSND_Async_Add(AUSND_ASYNCITEM* item);
// Takes a queued item back off the list; false when the thread has taken it.
bool AUSND_Async_Remove(AUSND_ASYNCITEM* item);
