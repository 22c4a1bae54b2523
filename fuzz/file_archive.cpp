// Opens arbitrary bytes as the data archive and reads every member it lists,
// plain and enciphered.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/io/FileArchive.h"

namespace {

// One scratch file for the whole run, rewritten for every input.
const std::string& ArchivePath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/delvor-fuzz-archive-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0)
            std::abort();
        close(fd);
        return std::string(pattern);
    }();
    return path;
}

bool WriteArchive(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(ArchivePath().c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

void Cleanup() { std::remove(ArchivePath().c_str()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        ZQ2::FileArchive::CreateInstance(ArchivePath(), ZQ2::ARCHIVE_ZIP);
        std::atexit(Cleanup);
        return true;
    }();
    (void)ready;
    if (!WriteArchive(data, size))
        return 0;
    ZQ2::FileArchive* archive = ZQ2::FileArchive::g_Instance;
    archive->SetArchiveName(ArchivePath());  // drops the handle of the last input

    constexpr size_t kMaxMembers = 64;
    std::vector<std::string> names;
    for (bool more = archive->SeekFirstFile(); more && names.size() < kMaxMembers; more = archive->SeekNextFile())
        names.push_back(archive->GetCurrentFileInfo().m_strName);

    for (const std::string& name : names) {
        ZQ2::MemoryBuffer_t<unsigned char> buffer;
        ZQ2::FileArchive::LoadFile(name, &buffer, ZQ2::ARCHIVE_ZIP);
        const std::string suffix = ".!";
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            ZQ2::FileArchive::LoadFile(name.substr(0, name.size() - suffix.size()), &buffer,
                                       ZQ2::ARCHIVE_ENCRYPT_ZIP);
    }
    return 0;
}
