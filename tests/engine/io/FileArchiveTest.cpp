#include "engine/io/FileArchive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "engine/io/FileUtils.h"
#include "tests/engine/io/ResourceFiles.h"

namespace {

namespace fs = std::filesystem;
using ZQ2::FileArchive;
using Buffer = ZQ2::MemoryBuffer_t<unsigned char>;

using resfiles::Enciphered;
using resfiles::Member;

// The archives here are written at the best compression.
bool WriteBestZip(const std::string& path, const std::vector<Member>& members) {
    return resfiles::WriteZip(path, members, Z_BEST_COMPRESSION);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void PutLe32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Sets the declared uncompressed size of a member in both its local header
// and its central directory entry, as a forged archive would.
void ForgeSize(std::string& zip, const std::string& name, uint32_t size) {
    const struct {
        const char* signature;
        size_t sizeAt, nameAt;
    } headers[] = {{"PK\x03\x04", 22, 30}, {"PK\x01\x02", 24, 46}};
    for (const auto& h : headers) {
        for (size_t at = zip.find(h.signature); at != std::string::npos; at = zip.find(h.signature, at + 1)) {
            if (zip.compare(at + h.nameAt, name.size(), name) == 0)
                PutLe32(zip, at + h.sizeAt, size);
        }
    }
}

std::string Text(const Buffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), static_cast<size_t>(buffer.GetSize()));
}

const std::string kPlain = "<root><String id=\"A\" value=\"plain\"/></root>";
const std::string kSecret = "<root><String id=\"A\" value=\"secret \xC3\xA9\"/></root>";

// Runs in a scratch working folder, with no archive instance before or after.
class FileArchiveTest : public resfiles::ScratchFolderTest {
protected:
    // The usual archive: stored and deflated members, a folder, an
    // enciphered member, an empty one.
    void MakeDataArchive(const std::string& name) {
        ASSERT_TRUE(WriteBestZip(name, {{"a.xml", kPlain, false},
                                        {"dir/b.xml", kPlain + kPlain, true},
                                        {"c.xml.!", Enciphered(kSecret), true},
                                        {"empty.txt", "", true}}));
    }
};

TEST_F(FileArchiveTest, WithoutInstancePlainFilesAreRead) {
    WriteAll("a.xml", kPlain);
    EXPECT_EQ(FileArchive::GetArchiveType(), ZQ2::ARCHIVE_FILE);
    Buffer buffer;
    ASSERT_TRUE(FileArchive::LoadFile("a.xml", &buffer, ZQ2::ARCHIVE_DEFAULT));
    EXPECT_EQ(Text(buffer), kPlain);
    EXPECT_EQ(buffer.GetData()[buffer.GetSize()], 0);  // parsers may read it as a C string
    // Zip types need an instance.
    EXPECT_FALSE(FileArchive::LoadFile("a.xml", &buffer, ZQ2::ARCHIVE_ZIP));
    EXPECT_FALSE(FileArchive::LoadFile("a.xml", nullptr, ZQ2::ARCHIVE_FILE));
}

TEST_F(FileArchiveTest, EmptyOrMissingPlainFilesFailAndLeaveTheBuffer) {
    WriteAll("empty.xml", "");
    Buffer buffer(3);
    std::memcpy(buffer.GetData(), "old", 3);
    EXPECT_FALSE(FileArchive::LoadFile("empty.xml", &buffer, ZQ2::ARCHIVE_FILE));
    EXPECT_FALSE(FileArchive::LoadFile("missing.xml", &buffer, ZQ2::ARCHIVE_FILE));
    EXPECT_FALSE(FileArchive::LoadFile("", &buffer, ZQ2::ARCHIVE_FILE));
    EXPECT_EQ(Text(buffer), "old");
}

TEST_F(FileArchiveTest, EncipheredFilesCarryTheSuffixAndAreDeciphered) {
    WriteAll("c.xml", "the plain copy is never read");
    WriteAll("c.xml.!", Enciphered(kSecret));
    ASSERT_TRUE(ZQ2::CreatePath("sub"));
    WriteAll("sub/d.xml.!", Enciphered(kPlain));
    Buffer buffer;
    ASSERT_TRUE(FileArchive::LoadFile("c.xml", &buffer, ZQ2::ARCHIVE_ENCRYPT_FILE));
    EXPECT_EQ(Text(buffer), kSecret);
    ASSERT_TRUE(FileArchive::LoadFile(".\\sub//d.xml", &buffer, ZQ2::ARCHIVE_ENCRYPT_FILE));
    EXPECT_EQ(Text(buffer), kPlain);
    // No fallback to the name without the suffix.
    fs::remove("c.xml.!");
    EXPECT_FALSE(FileArchive::LoadFile("c.xml", &buffer, ZQ2::ARCHIVE_ENCRYPT_FILE));
}

TEST_F(FileArchiveTest, CreateInstanceChoosesTheArchiveAndType) {
    // Without data.dat and without a name: enciphered members of no archive.
    FileArchive::CreateInstance("", ZQ2::ARCHIVE_DEFAULT);
    EXPECT_EQ(FileArchive::GetArchiveType(), ZQ2::ARCHIVE_ENCRYPT_ZIP);
    EXPECT_EQ(FileArchive::g_Instance->GetArchiveName(), "");
    Buffer buffer;
    EXPECT_FALSE(FileArchive::LoadFile("a.xml", &buffer, ZQ2::ARCHIVE_DEFAULT));

    MakeDataArchive("data.dat");
    FileArchive::CreateInstance("", ZQ2::ARCHIVE_DEFAULT);
    EXPECT_EQ(FileArchive::GetArchiveType(), ZQ2::ARCHIVE_ZIP);
    EXPECT_EQ(FileArchive::g_Instance->GetArchiveName(), "data.dat");
    ASSERT_TRUE(FileArchive::LoadFile("a.xml", &buffer, ZQ2::ARCHIVE_DEFAULT));
    EXPECT_EQ(Text(buffer), kPlain);

    FileArchive::CreateInstance("", ZQ2::ARCHIVE_ENCRYPT_ZIP);
    EXPECT_EQ(FileArchive::GetArchiveType(), ZQ2::ARCHIVE_ENCRYPT_ZIP);
    ASSERT_TRUE(FileArchive::LoadFile("c.xml", &buffer, ZQ2::ARCHIVE_DEFAULT));
    EXPECT_EQ(Text(buffer), kSecret);

    FileArchive::CreateInstance("other.zip", ZQ2::ARCHIVE_FILE);
    EXPECT_EQ(FileArchive::GetArchiveType(), ZQ2::ARCHIVE_FILE);
    EXPECT_EQ(FileArchive::g_Instance->GetArchiveName(), "other.zip");
}

TEST_F(FileArchiveTest, TypeFamilies) {
    using ZQ2::eArchiveType;
    const struct {
        eArchiveType type;
        bool flag;
        eArchiveType archive, encrypt;
    } cases[] = {
        {ZQ2::ARCHIVE_FILE, false, ZQ2::ARCHIVE_FILE, ZQ2::ARCHIVE_FILE},
        {ZQ2::ARCHIVE_FILE, true, ZQ2::ARCHIVE_ZIP, ZQ2::ARCHIVE_ENCRYPT_FILE},
        {ZQ2::ARCHIVE_ZIP, false, ZQ2::ARCHIVE_FILE, ZQ2::ARCHIVE_ZIP},
        {ZQ2::ARCHIVE_ZIP, true, ZQ2::ARCHIVE_ZIP, ZQ2::ARCHIVE_ENCRYPT_ZIP},
        {ZQ2::ARCHIVE_ENCRYPT_FILE, false, ZQ2::ARCHIVE_ENCRYPT_FILE, ZQ2::ARCHIVE_FILE},
        {ZQ2::ARCHIVE_ENCRYPT_FILE, true, ZQ2::ARCHIVE_ENCRYPT_ZIP, ZQ2::ARCHIVE_ENCRYPT_FILE},
        {ZQ2::ARCHIVE_ENCRYPT_ZIP, false, ZQ2::ARCHIVE_ENCRYPT_FILE, ZQ2::ARCHIVE_ZIP},
        {ZQ2::ARCHIVE_ENCRYPT_ZIP, true, ZQ2::ARCHIVE_ENCRYPT_ZIP, ZQ2::ARCHIVE_ENCRYPT_ZIP},
        {static_cast<eArchiveType>(9), true, ZQ2::ARCHIVE_ENCRYPT_ZIP, ZQ2::ARCHIVE_ENCRYPT_ZIP},
        // Type 0 is the global type: a plain file without an instance.
        {ZQ2::ARCHIVE_DEFAULT, true, ZQ2::ARCHIVE_ZIP, ZQ2::ARCHIVE_ENCRYPT_FILE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileArchive::MakeArchiveArchiveType(c.type, c.flag), c.archive) << c.type << " " << c.flag;
        EXPECT_EQ(FileArchive::MakeEncryptArchiveType(c.type, c.flag), c.encrypt) << c.type << " " << c.flag;
    }
}

TEST_F(FileArchiveTest, ZipMembersPlainAndEnciphered) {
    MakeDataArchive("game.zip");
    FileArchive::CreateInstance("game.zip", ZQ2::ARCHIVE_ZIP);
    const struct {
        const char* path;
        ZQ2::eArchiveType type;
        bool found;
        std::string text;
    } cases[] = {
        {"a.xml", ZQ2::ARCHIVE_ZIP, true, kPlain},
        {"dir/b.xml", ZQ2::ARCHIVE_ZIP, true, kPlain + kPlain},
        {".\\dir//b.xml", ZQ2::ARCHIVE_ZIP, true, kPlain + kPlain},
        {"c.xml", ZQ2::ARCHIVE_ENCRYPT_ZIP, true, kSecret},
        {"empty.txt", ZQ2::ARCHIVE_ZIP, true, ""},
        {"DIR/b.xml", ZQ2::ARCHIVE_ZIP, false, ""},       // names are case-sensitive
        {"c.xml", ZQ2::ARCHIVE_ZIP, false, ""},           // no fallback to the suffixed name
        {"a.xml", ZQ2::ARCHIVE_ENCRYPT_ZIP, false, ""},   // nor from it
        {"missing.xml", ZQ2::ARCHIVE_ZIP, false, ""},
    };
    for (const auto& c : cases) {
        Buffer buffer;
        EXPECT_EQ(FileArchive::LoadFile(c.path, &buffer, c.type), c.found) << c.path;
        EXPECT_EQ(Text(buffer), c.text) << c.path;
    }
    // A member is never looked for on disk, nor a file in the archive.
    WriteAll("disk.xml", kPlain);
    Buffer buffer;
    EXPECT_FALSE(FileArchive::LoadFile("disk.xml", &buffer, ZQ2::ARCHIVE_ZIP));
    EXPECT_FALSE(FileArchive::LoadFile("a.xml", &buffer, ZQ2::ARCHIVE_FILE));
}

TEST_F(FileArchiveTest, WalksTheDirectoryAndReadsByteWise) {
    MakeDataArchive("game.zip");
    FileArchive archive("game.zip");
    EXPECT_FALSE(archive.IsArchiveOpen());
    std::vector<std::string> names;
    for (bool more = archive.SeekFirstFile(); more; more = archive.SeekNextFile())
        names.push_back(archive.GetCurrentFileInfo().m_strName);
    EXPECT_EQ(names, (std::vector<std::string>{"a.xml", "dir/b.xml", "c.xml.!", "empty.txt"}));
    EXPECT_TRUE(archive.IsArchiveOpen());

    ASSERT_TRUE(archive.OpenFile("dir/b.xml"));
    const ZQ2::ArchiveFileInfo info = archive.GetCurrentFileInfo();
    EXPECT_EQ(info.m_nUncompressedSize, 2 * kPlain.size());
    EXPECT_EQ(info.m_nCompressionMethod, static_cast<uint32_t>(Z_DEFLATED));
    std::string bytes;
    for (int c = archive.UnzipByte(); c >= 0; c = archive.UnzipByte())
        bytes += static_cast<char>(c);
    EXPECT_EQ(bytes, kPlain + kPlain);
    EXPECT_TRUE(archive.UnzipEOF());
    EXPECT_TRUE(archive.CloseCurrentFile());
    EXPECT_FALSE(archive.IsCurrentFileOpen());
    EXPECT_LT(archive.UnzipData(nullptr, 0), 0);  // no member open
}

TEST_F(FileArchiveTest, CorruptMembersFailAndTheArchiveRecovers) {
    const std::string payload = "stored member payload";
    ASSERT_TRUE(WriteBestZip("bad.zip", {{"crc.txt", payload, false},
                                         {"short.txt", kPlain + kPlain, true},
                                         {"huge.txt", kPlain, true},
                                         {"good.txt", kPlain, true}}));
    std::string bytes = ReadAll("bad.zip");
    bytes[bytes.find(payload) + 3] ^= 0x01;  // CRC no longer holds
    ForgeSize(bytes, "short.txt", static_cast<uint32_t>(2 * kPlain.size() + 100));
    ForgeSize(bytes, "huge.txt", 0x7FFFFFF0u);
    WriteAll("bad.zip", bytes);
    FileArchive::CreateInstance("bad.zip", ZQ2::ARCHIVE_ZIP);

    for (const char* name : {"crc.txt", "short.txt", "huge.txt"}) {
        Buffer buffer;
        EXPECT_FALSE(FileArchive::LoadFile(name, &buffer, ZQ2::ARCHIVE_ZIP)) << name;
        EXPECT_EQ(buffer.GetSize(), 0) << name;
        // Errors may close the archive; the next lookup opens it again.
        Buffer good;
        ASSERT_TRUE(FileArchive::LoadFile("good.txt", &good, ZQ2::ARCHIVE_ZIP)) << "after " << name;
        EXPECT_EQ(Text(good), kPlain);
    }
}

TEST_F(FileArchiveTest, TruncatedAndGarbageArchivesFail) {
    MakeDataArchive("full.zip");
    const std::string bytes = ReadAll("full.zip");
    WriteAll("half.zip", bytes.substr(0, bytes.size() / 2));
    WriteAll("tail.zip", bytes.substr(bytes.size() / 2));
    WriteAll("noise.zip", std::string(1000, '\x50'));
    for (const char* archive : {"half.zip", "tail.zip", "noise.zip", "missing.zip", "."}) {
        FileArchive::CreateInstance(archive, ZQ2::ARCHIVE_ZIP);
        Buffer buffer;
        EXPECT_FALSE(FileArchive::LoadFile("a.xml", &buffer, ZQ2::ARCHIVE_ZIP)) << archive;
        EXPECT_FALSE(FileArchive::LoadFile("c.xml", &buffer, ZQ2::ARCHIVE_ENCRYPT_ZIP)) << archive;
        EXPECT_EQ(buffer.GetSize(), 0) << archive;
    }
}

TEST_F(FileArchiveTest, EveryCutOfAMemberFailsCleanly) {
    ASSERT_TRUE(WriteBestZip("one.zip", {{"m.xml", kSecret + kPlain + kSecret, true}}));
    const std::string bytes = ReadAll("one.zip");
    const size_t end = bytes.find("PK\x01\x02");
    ASSERT_NE(end, std::string::npos);
    // Damage one byte of the member at a time: its header or its data.
    for (size_t at = 0; at < end; ++at) {
        std::string damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        WriteAll("one.zip", damaged);
        FileArchive::CreateInstance("one.zip", ZQ2::ARCHIVE_ZIP);
        Buffer buffer;
        if (FileArchive::LoadFile("m.xml", &buffer, ZQ2::ARCHIVE_ZIP)) {
            EXPECT_EQ(Text(buffer), kSecret + kPlain + kSecret) << "damage at " << at;
        }
    }
}

TEST(FileArchiveThreaded, TwoThreadsReadMembersAtOnce) {
    char pattern[] = "/tmp/delvor-archive-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string zip = std::string(pattern) + "/data.zip";
    std::vector<Member> members;
    for (int i = 0; i < 8; ++i) {
        const std::string text = std::string(static_cast<size_t>(500 + 97 * i), static_cast<char>('a' + i));
        members.push_back({"m" + std::to_string(i) + ".txt", text, i % 2 == 0});
        members.push_back({"e" + std::to_string(i) + ".txt.!", Enciphered(text), true});
    }
    ASSERT_TRUE(WriteBestZip(zip, members));
    FileArchive::CreateInstance(zip, ZQ2::ARCHIVE_ZIP);

    std::atomic<int> failures{0};
    auto reader = [&](int first) {
        for (int round = 0; round < 200; ++round) {
            const int i = (first + round) % 8;
            const std::string expected(static_cast<size_t>(500 + 97 * i), static_cast<char>('a' + i));
            Buffer plain, secret;
            if (!FileArchive::LoadFile("m" + std::to_string(i) + ".txt", &plain, ZQ2::ARCHIVE_ZIP) ||
                Text(plain) != expected)
                ++failures;
            if (!FileArchive::LoadFile("e" + std::to_string(i) + ".txt", &secret, ZQ2::ARCHIVE_ENCRYPT_ZIP) ||
                Text(secret) != expected)
                ++failures;
        }
    };
    std::thread main(reader, 0), loader(reader, 3);
    main.join();
    loader.join();
    EXPECT_EQ(failures, 0);
    FileArchive::ReleaseInstance();
    fs::remove_all(pattern);
}

}  // namespace
