#pragma once
// The data archive: reads data files whole from a plain file, a member of the
// zip archive, or the enciphered form of either, and keeps the global source
// type. Every seek-open-read-close on the one zip handle is serialised, so the
// main thread and the resource loader may read members at the same time.
#include <atomic>
#include <mutex>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/MemoryBuffer_t.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iInstance.h"
#include "engine/io/ArchiveFileInfo.h"
#include "engine/io/eArchiveType.h"

namespace ZQ2 {

class FileArchive : public BaseObject, public iInstance<FileArchive> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Files and members larger than this are refused.
    static constexpr uint64_t MAX_FILE_SIZE = 128u * 1024u * 1024u;

    // Nothing is opened until the first lookup.
    explicit FileArchive(const std::string& archiveName);
    ~FileArchive() override;
    FileArchive(const FileArchive&) = delete;
    FileArchive& operator=(const FileArchive&) = delete;
    const RTTI& GetRTTI() const override { return rtti; }

    // An empty name picks "data.dat" of the working folder when it exists
    // (type 0 then becomes 2). Type 0 becomes 4. Sets the global type.
    static void CreateInstance(const std::string& name, eArchiveType type);

    // 1 without an archive instance, else the global type.
    static eArchiveType GetArchiveType();
    static void SetArchiveType(eArchiveType type);
    // The type of the same cipher family, in or out of the archive.
    static eArchiveType MakeArchiveArchiveType(eArchiveType type, bool inArchive);
    // The type of the same source, enciphered or not.
    static eArchiveType MakeEncryptArchiveType(eArchiveType type, bool encrypted);

    // Reads the whole file into buffer; enciphered types are deciphered. On
    // failure false, and the buffer is left as it was or emptied. There is no
    // fallback from one source to another.
    static bool LoadFile(const std::string& path, MemoryBuffer_t<unsigned char>* buffer,
                         eArchiveType type = ARCHIVE_DEFAULT);

    void AddFile(const std::string& file) { m_Files.push_back(file); }

    // Zip access. Each call holds the archive lock; LoadFile holds it across
    // the whole seek-open-read-close.
    virtual void SetArchiveName(const std::string& name);
    virtual std::string GetArchiveName() const;
    // Opens the zip once; false when it has no handle (a missing or broken
    // file is not retried until the archive is closed).
    virtual bool OpenArchive();
    virtual void CloseArchive();
    virtual bool SeekFile(const std::string& name);
    virtual bool SeekFirstFile();
    virtual bool SeekNextFile();
    virtual bool OpenFile(const std::string& name);
    virtual bool OpenCurrentFile();
    // False when the member failed its CRC check or could not be closed.
    virtual bool CloseCurrentFile();
    // Bytes read, 0 at the end, negative on an error (which closes the archive).
    virtual int UnzipData(void* bytes, unsigned int count);
    // The next byte, or -1 at the end or on an error.
    virtual int UnzipByte();
    virtual bool UnzipEOF();
    // The whole current member into buffer: exactly its declared size, which
    // must not exceed MAX_FILE_SIZE.
    virtual bool UnzipFile(MemoryBuffer_t<unsigned char>* buffer);
    virtual ArchiveFileInfo GetCurrentFileInfo() const;
    virtual bool IsArchiveOpen() const;
    virtual bool IsCurrentFileOpen() const;

    // Seek, open, read whole and close one member as one step. True only when
    // the member was read to its end and passed its CRC check.
    bool ReadMember(const std::string& name, MemoryBuffer_t<unsigned char>* buffer);

    static std::atomic<eArchiveType> m_CurrentArchiveType;

private:
    bool ReadCurrentFileInfo();

    mutable std::recursive_mutex m_Mutex;
    ZQVector<std::string> m_Files;
    void* m_pZip = nullptr;  // minizip's unzFile
    std::string m_strArchiveName;
    bool m_bArchiveOpen = false;
    bool m_bCurrentFileOpen = false;
    ArchiveFileInfo m_CurrentFileInfo;
};

}  // namespace ZQ2
