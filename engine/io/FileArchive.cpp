#include "engine/io/FileArchive.h"

#include <unzip.h>

#include <cstdio>
#include <vector>

#include "engine/core/CipherByteArray.h"
#include "engine/io/FileUtils.h"

namespace ZQ2 {

const RTTI* const FileArchive::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI FileArchive::rtti("FileArchive", FileArchive::rttis);

std::atomic<eArchiveType> FileArchive::m_CurrentArchiveType{ARCHIVE_FILE};

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

bool IsZipType(eArchiveType type) { return type == ARCHIVE_ZIP || type == ARCHIVE_ENCRYPT_ZIP; }

bool IsEncryptedType(eArchiveType type) {
    return type == ARCHIVE_ENCRYPT_FILE || type == ARCHIVE_ENCRYPT_ZIP;
}

bool ReadPlainFile(const std::string& name, MemoryBuffer_t<unsigned char>* buffer) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file)
        return false;
    bool ok = false;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long length = std::ftell(file);
        if (length > 0 && static_cast<uint64_t>(length) <= FileArchive::MAX_FILE_SIZE &&
            std::fseek(file, 0, SEEK_SET) == 0 && buffer->CreateBuffer(static_cast<int>(length))) {
            ok = std::fread(buffer->GetData(), 1, static_cast<size_t>(length), file) ==
                 static_cast<size_t>(length);
            if (!ok)
                buffer->Flush();
        }
    }
    std::fclose(file);
    return ok;
}

}  // namespace

FileArchive::FileArchive(const std::string& archiveName) : m_strArchiveName(archiveName) {}

FileArchive::~FileArchive() { CloseArchive(); }

void FileArchive::CreateInstance(const std::string& name, eArchiveType type) {
    std::string archive = name;
    if (archive.empty() && FileExists("data.dat")) {
        archive = "data.dat";
        if (type != ARCHIVE_ENCRYPT_ZIP)
            type = ARCHIVE_ZIP;
    }
    FileArchive* old = g_Instance;
    g_Instance = new FileArchive(archive);
    g_Instance->AddRef();
    if (old)
        old->Release();
    if (type == ARCHIVE_DEFAULT)
        type = ARCHIVE_ENCRYPT_ZIP;
    m_CurrentArchiveType = type;
}

eArchiveType FileArchive::GetArchiveType() { return g_Instance ? m_CurrentArchiveType.load() : ARCHIVE_FILE; }

void FileArchive::SetArchiveType(eArchiveType type) { m_CurrentArchiveType = type; }

eArchiveType FileArchive::MakeArchiveArchiveType(eArchiveType type, bool inArchive) {
    if (type == ARCHIVE_DEFAULT)
        type = GetArchiveType();
    if (type == ARCHIVE_FILE || type == ARCHIVE_ZIP)
        return inArchive ? ARCHIVE_ZIP : ARCHIVE_FILE;
    return inArchive ? ARCHIVE_ENCRYPT_ZIP : ARCHIVE_ENCRYPT_FILE;
}

eArchiveType FileArchive::MakeEncryptArchiveType(eArchiveType type, bool encrypted) {
    if (type == ARCHIVE_DEFAULT)
        type = GetArchiveType();
    if (type == ARCHIVE_FILE || type == ARCHIVE_ENCRYPT_FILE)
        return encrypted ? ARCHIVE_ENCRYPT_FILE : ARCHIVE_FILE;
    return encrypted ? ARCHIVE_ENCRYPT_ZIP : ARCHIVE_ZIP;
}

bool FileArchive::LoadFile(const std::string& path, MemoryBuffer_t<unsigned char>* buffer, eArchiveType type) {
    if (!buffer)
        return false;
    if (type == ARCHIVE_DEFAULT)
        type = GetArchiveType();
    const std::string name = GetEncryptFileName(MakeValidPath(path), type);
    bool ok = false;
    if (IsZipType(type)) {
        // The instance is made at start-up and kept to shutdown, so it may be
        // used here without a reference of its own.
        FileArchive* archive = g_Instance;
        ok = archive && archive->ReadMember(name, buffer);
    } else if (type == ARCHIVE_FILE || type == ARCHIVE_ENCRYPT_FILE) {
        ok = ReadPlainFile(name, buffer);
    }
    if (!ok)
        return false;
    if (IsEncryptedType(type))
        cipher::CipherByteArray::cipher(buffer->GetData(), buffer->GetSize());
    return true;
}

bool FileArchive::ReadMember(const std::string& name, MemoryBuffer_t<unsigned char>* buffer) {
    Guard lock(m_Mutex);
    if (!SeekFile(name) || !OpenCurrentFile())
        return false;
    const bool read = UnzipFile(buffer);
    const bool closed = CloseCurrentFile();
    if (read && closed)
        return true;
    if (read)
        buffer->Flush();
    return false;
}

void FileArchive::SetArchiveName(const std::string& name) {
    Guard lock(m_Mutex);
    CloseArchive();
    m_strArchiveName = name;
}

std::string FileArchive::GetArchiveName() const {
    Guard lock(m_Mutex);
    return m_strArchiveName;
}

bool FileArchive::OpenArchive() {
    Guard lock(m_Mutex);
    if (!m_bArchiveOpen) {
        m_pZip = m_strArchiveName.empty() ? nullptr : unzOpen64(m_strArchiveName.c_str());
        m_bArchiveOpen = true;
    }
    return m_pZip != nullptr;
}

void FileArchive::CloseArchive() {
    Guard lock(m_Mutex);
    if (!m_bArchiveOpen)
        return;
    if (m_pZip) {
        if (m_bCurrentFileOpen)
            unzCloseCurrentFile(m_pZip);
        unzClose(m_pZip);
    }
    m_pZip = nullptr;
    m_bArchiveOpen = false;
    m_bCurrentFileOpen = false;
    m_CurrentFileInfo = ArchiveFileInfo();
}

bool FileArchive::SeekFile(const std::string& name) {
    Guard lock(m_Mutex);
    if (!OpenArchive())
        return false;
    CloseCurrentFile();
    if (!m_pZip || unzLocateFile(m_pZip, MakeValidPath(name).c_str(), 1) != UNZ_OK)
        return false;
    return ReadCurrentFileInfo();
}

bool FileArchive::SeekFirstFile() {
    Guard lock(m_Mutex);
    if (!OpenArchive())
        return false;
    CloseCurrentFile();
    return m_pZip && unzGoToFirstFile(m_pZip) == UNZ_OK && ReadCurrentFileInfo();
}

bool FileArchive::SeekNextFile() {
    Guard lock(m_Mutex);
    if (!OpenArchive())
        return false;
    CloseCurrentFile();
    return m_pZip && unzGoToNextFile(m_pZip) == UNZ_OK && ReadCurrentFileInfo();
}

bool FileArchive::OpenFile(const std::string& name) {
    Guard lock(m_Mutex);
    return SeekFile(name) && OpenCurrentFile();
}

bool FileArchive::OpenCurrentFile() {
    Guard lock(m_Mutex);
    CloseCurrentFile();
    if (!m_pZip)
        return false;
    if (unzOpenCurrentFile(m_pZip) != UNZ_OK) {
        CloseArchive();
        return false;
    }
    m_bCurrentFileOpen = true;
    return true;
}

bool FileArchive::CloseCurrentFile() {
    Guard lock(m_Mutex);
    if (!m_bCurrentFileOpen)
        return true;
    m_bCurrentFileOpen = false;
    if (unzCloseCurrentFile(m_pZip) != UNZ_OK) {
        CloseArchive();
        return false;
    }
    return true;
}

int FileArchive::UnzipData(void* bytes, unsigned int count) {
    Guard lock(m_Mutex);
    if (!m_bCurrentFileOpen || (!bytes && count > 0))
        return UNZ_PARAMERROR;
    const int read = unzReadCurrentFile(m_pZip, bytes, count);
    if (read < 0)
        CloseArchive();
    return read;
}

int FileArchive::UnzipByte() {
    unsigned char byte = 0;
    return UnzipData(&byte, 1) == 1 ? byte : -1;
}

bool FileArchive::UnzipEOF() {
    Guard lock(m_Mutex);
    return m_bCurrentFileOpen && unzeof(m_pZip) == 1;
}

bool FileArchive::UnzipFile(MemoryBuffer_t<unsigned char>* buffer) {
    Guard lock(m_Mutex);
    if (!buffer || !m_bCurrentFileOpen)
        return false;
    const uint64_t size = m_CurrentFileInfo.m_nUncompressedSize;
    if (size > MAX_FILE_SIZE || !buffer->CreateBuffer(static_cast<int>(size)))
        return false;
    const int read = UnzipData(buffer->GetData(), static_cast<unsigned int>(size));
    if (read >= 0 && static_cast<uint64_t>(read) == size)
        return true;
    buffer->Flush();
    return false;
}

ArchiveFileInfo FileArchive::GetCurrentFileInfo() const {
    Guard lock(m_Mutex);
    return m_CurrentFileInfo;
}

bool FileArchive::IsArchiveOpen() const {
    Guard lock(m_Mutex);
    return m_bArchiveOpen;
}

bool FileArchive::IsCurrentFileOpen() const {
    Guard lock(m_Mutex);
    return m_bCurrentFileOpen;
}

bool FileArchive::ReadCurrentFileInfo() {
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(m_pZip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    std::vector<char> name(info.size_filename + 1, '\0');
    if (unzGetCurrentFileInfo64(m_pZip, &info, name.data(), static_cast<uLong>(name.size()), nullptr, 0,
                                nullptr, 0) != UNZ_OK)
        return false;
    ArchiveFileInfo& current = m_CurrentFileInfo;
    current.m_nVersion = static_cast<uint32_t>(info.version);
    current.m_nVersionNeeded = static_cast<uint32_t>(info.version_needed);
    current.m_nFlag = static_cast<uint32_t>(info.flag);
    current.m_nCompressionMethod = static_cast<uint32_t>(info.compression_method);
    current.m_nDosDate = static_cast<uint32_t>(info.dosDate);
    current.m_nCrc = static_cast<uint32_t>(info.crc);
    current.m_nCompressedSize = info.compressed_size;
    current.m_nUncompressedSize = info.uncompressed_size;
    current.m_nInternalAttributes = static_cast<uint32_t>(info.internal_fa);
    current.m_nExternalAttributes = static_cast<uint32_t>(info.external_fa);
    current.m_strName.assign(name.data(), info.size_filename);
    current.m_strExtra.clear();
    current.m_strComment.clear();
    return true;
}

}  // namespace ZQ2
