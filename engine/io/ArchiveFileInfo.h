#pragma once
// What the zip directory says about one member.
#include <cstdint>
#include <string>

namespace ZQ2 {

struct ArchiveFileInfo {
    uint32_t m_nVersion = 0;
    uint32_t m_nVersionNeeded = 0;
    uint32_t m_nFlag = 0;
    uint32_t m_nCompressionMethod = 0;
    uint32_t m_nDosDate = 0;
    uint32_t m_nCrc = 0;
    uint64_t m_nCompressedSize = 0;
    uint64_t m_nUncompressedSize = 0;
    uint32_t m_nInternalAttributes = 0;
    uint32_t m_nExternalAttributes = 0;
    std::string m_strName;
    std::string m_strExtra;    // not read
    std::string m_strComment;  // not read
};

}  // namespace ZQ2
