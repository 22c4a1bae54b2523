#include "engine/io/FileUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyValue.h"
#include "platform/SystemPaths.h"

namespace {

namespace fs = std::filesystem;

TEST(FileUtils, MakeValidFileNameEscapes) {
    const struct {
        std::string name;
        std::string file;
    } cases[] = {
        {"Ann", "Ann"},
        {"a b.c", "a b.c"},
        {".Bob", "#2EBob"},
        {" a", "#20a"},
        {"x/y", "x#2Fy"},
        {"50%#", "50%#23"},
        {"..", "#2E."},
        {"a\tb", "a#09b"},
        {"\x01" "F", "#01F"},
        {"\x1F", "#1F"},
        {"*+#:?[]|<>/\\\"", "#2A#2B#23#3A#3F#5B#5D#7C#3C#3E#2F#5C#22"},
        {"J\xC3\xBCrgen", "J\xC3\xBCrgen"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZQ2::MakeValidFileName(c.name, false), c.file) << c.name;
        EXPECT_EQ(ZQ2::MakeValidFileName(c.name, true), c.file) << c.name;
        EXPECT_EQ(ZQ2::GetOriginalFileName(c.file), c.name) << c.file;
    }
}

TEST(FileUtils, GetOriginalFileNameKeepsStrayHashes) {
    EXPECT_EQ(ZQ2::GetOriginalFileName("x#2Fy"), "x/y");
    EXPECT_EQ(ZQ2::GetOriginalFileName("#"), "#");
    EXPECT_EQ(ZQ2::GetOriginalFileName("a#zz"), "a#zz");
    EXPECT_EQ(ZQ2::GetOriginalFileName("a#9"), "a\t");  // one digit at the end
}

TEST(FileUtils, PathTables) {
    const struct {
        std::string (*function)(const std::string&);
        const char* name;
        std::string in;
        std::string out;
    } cases[] = {
        {ZQ2::MakeValidPath, "MakeValidPath", "a\\b//c/./d", "a/b/c/d"},
        {ZQ2::MakeValidPath, "MakeValidPath", "", ""},
        {ZQ2::MakeValidPath, "MakeValidPath", "a///b\\\\c", "a/b/c"},
        {ZQ2::MakeValidPath, "MakeValidPath", "././images/x.png", "images/x.png"},
        {ZQ2::MakeValidPath, "MakeValidPath", "../data/./x.png", "../data/x.png"},
        {ZQ2::MakeStandardFileName, "MakeStandardFileName", "/Data/Images/Logo.PNG", "data/images/logo.png"},
        {ZQ2::MakeStandardFileName, "MakeStandardFileName", "\\Sounds\\A.OGG", "sounds/a.ogg"},
        {ZQ2::GetFileNameOnly, "GetFileNameOnly", "images/menu/logo.png", "logo.png"},
        {ZQ2::GetFileNameOnly, "GetFileNameOnly", "images\\logo.png", "logo.png"},
        {ZQ2::GetFileNameOnly, "GetFileNameOnly", "logo.png", "logo.png"},
        {ZQ2::GetFileNameOnly, "GetFileNameOnly", "", ""},
        {ZQ2::GetDirectoryOnly, "GetDirectoryOnly", "images/menu/logo.png", "images/menu"},
        {ZQ2::GetDirectoryOnly, "GetDirectoryOnly", "logo.png", "logo.png"},
        {ZQ2::GetExtension, "GetExtension", "Logo.PNG", "png"},
        {ZQ2::GetExtension, "GetExtension", "archive.tar.GZ", "gz"},
        {ZQ2::GetExtension, "GetExtension", "name.", ""},
        {ZQ2::GetExtension, "GetExtension", "README", "README"},
        {ZQ2::GetExtension, "GetExtension", "", ""},
        {ZQ2::RemoveExtension, "RemoveExtension", "a.b.c", "a.b"},
        {ZQ2::RemoveExtension, "RemoveExtension", "abc", "abc"},
        {ZQ2::ShortenPath, "ShortenPath", "/src/engine/core/Log.cpp", "core/Log.cpp"},
        {ZQ2::ShortenPath, "ShortenPath", "core/Log.cpp", "core/Log.cpp"},
        {ZQ2::ShortenPath, "ShortenPath", "Log.cpp", "Log.cpp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.function(c.in), c.out) << c.name << "(" << c.in << ")";
}

TEST(FileUtils, EncryptFileNameFollowsTheType) {
    EXPECT_EQ(ZQ2::GetEncryptFileName("x.sav", ZQ2::ARCHIVE_ENCRYPT_FILE), "x.sav.!");
    EXPECT_EQ(ZQ2::GetEncryptFileName("x.sav", ZQ2::ARCHIVE_ENCRYPT_ZIP), "x.sav.!");
    EXPECT_EQ(ZQ2::GetEncryptFileName("x.sav", ZQ2::ARCHIVE_FILE), "x.sav");
    EXPECT_EQ(ZQ2::GetEncryptFileName("x.sav", ZQ2::ARCHIVE_ZIP), "x.sav");
    // Without a data archive the global type is a plain file.
    EXPECT_EQ(ZQ2::GetEncryptFileName("x.sav", ZQ2::ARCHIVE_DEFAULT), "x.sav");
}

mode_t ModeOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

// A scratch folder that is also the working folder for the test.
class FileUtilsDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_strDir = pattern;
        m_strOldWork = ZQ2::GetWorkPath();
        ASSERT_TRUE(ZQ2::SetWorkPath(m_strDir));
    }
    void TearDown() override {
        ZQ2::SetWorkPath(m_strOldWork);
        fs::remove_all(m_strDir);
    }
    void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

    std::string m_strDir;
    std::string m_strOldWork;
};

TEST_F(FileUtilsDiskTest, CreatePathMakesEveryMissingFolderWithMode0750) {
    const mode_t oldMask = umask(077);
    ASSERT_TRUE(fs::create_directory(m_strDir + "/A"));
    EXPECT_TRUE(ZQ2::CreatePath(m_strDir + "/A/B/C"));
    umask(oldMask);
    EXPECT_EQ(ModeOf(m_strDir + "/A/B"), 0750u);
    EXPECT_EQ(ModeOf(m_strDir + "/A/B/C"), 0750u);
    EXPECT_TRUE(ZQ2::CreatePath(m_strDir + "/A/B/C"));  // existing: nothing happens
    EXPECT_TRUE(ZQ2::CreatePath("rel\\sub"));           // backslash separates too
    EXPECT_TRUE(fs::is_directory(m_strDir + "/rel/sub"));
    EXPECT_FALSE(ZQ2::CreatePath(""));
}

TEST_F(FileUtilsDiskTest, RemoveDirRefusesDotsAndRootAndRemovesTrees) {
    Write("keep.txt", "x");
    ASSERT_TRUE(ZQ2::CreatePath("saves/ann"));
    for (const char* path : {".", "..", "", "/", "sub/..", "sub/.", "//", "saves/", "saves//"})
        EXPECT_FALSE(ZQ2::RemoveDir(path)) << path;
    EXPECT_TRUE(fs::exists(m_strDir + "/keep.txt"));
    EXPECT_TRUE(fs::exists(m_strDir + "/saves/ann"));

    ASSERT_TRUE(ZQ2::CreatePath("tree/a/b"));
    Write("tree/a/b/f.txt", "x");
    EXPECT_TRUE(ZQ2::RemoveDir("tree"));
    EXPECT_FALSE(fs::exists(m_strDir + "/tree"));
    EXPECT_FALSE(ZQ2::RemoveDir("tree"));
}

TEST_F(FileUtilsDiskTest, FileOperations) {
    Write("f.txt", "12345");
    EXPECT_EQ(ZQ2::GetFileSize("f.txt"), 5);
    EXPECT_EQ(ZQ2::GetFileSize("missing.txt"), 0);

    EXPECT_TRUE(ZQ2::FileExists("f.txt"));
    EXPECT_TRUE(ZQ2::FileExists("/f.txt"));  // also looked for below the working folder
    EXPECT_FALSE(ZQ2::FileExists("missing.txt"));
    EXPECT_TRUE(ZQ2::PathExists(m_strDir));
    EXPECT_FALSE(ZQ2::PathExists("/f.txt"));

    EXPECT_TRUE(ZQ2::CopyFile("f.txt", "g.txt"));
    EXPECT_EQ(ZQ2::GetFileSize("g.txt"), 5);
    EXPECT_FALSE(ZQ2::CopyFile("f.txt", "g.txt"));  // never overwrites
    EXPECT_FALSE(ZQ2::CopyFile("missing.txt", "h.txt"));

    EXPECT_TRUE(ZQ2::GrantAllFilePermissions("g.txt"));
    EXPECT_EQ(ModeOf(m_strDir + "/g.txt"), 0666u);
    EXPECT_FALSE(ZQ2::GrantAllFilePermissions("missing.txt"));

    EXPECT_TRUE(ZQ2::DeleteFile("g.txt"));
    EXPECT_FALSE(ZQ2::DeleteFile("g.txt"));
}

TEST_F(FileUtilsDiskTest, WorkPathRoundTrips) {
    ASSERT_TRUE(ZQ2::CreatePath("data"));
    EXPECT_TRUE(ZQ2::SetWorkPath("data"));
    EXPECT_EQ(fs::path(ZQ2::GetWorkPath()), fs::canonical(m_strDir + "/data"));
    EXPECT_FALSE(ZQ2::SetWorkPath("no-such-folder"));
    EXPECT_FALSE(ZQ2::SetWorkPath(""));
}

TEST(FileUtils, DataPathIsBesideTheExecutable) {
    EXPECT_EQ(ZQ2::GetDataPath(), platform::SystemPaths::ExecutableDir() + "/data");
    EXPECT_EQ(ZQ2::GetApplicationPath(), "");
}

TEST(FileUtils, PathWithTildeShortensTheHomeFolderOnly) {
    const char* old = std::getenv("HOME");
    const std::string saved = old ? old : "";
    setenv("HOME", "/home/ann", 1);
    EXPECT_EQ(ZQ2::PathWithTilde("/home/ann/games/data"), "~/games/data");
    EXPECT_EQ(ZQ2::PathWithTilde("/home/ann"), "~");
    EXPECT_EQ(ZQ2::PathWithTilde("/home/anna/x"), "/home/anna/x");
    EXPECT_EQ(ZQ2::PathWithTilde("data"), "data");
    if (old)
        setenv("HOME", saved.c_str(), 1);
    else
        unsetenv("HOME");
}

// The user folders are cached for the whole run, so each scenario runs in a
// fresh copy of this program (a death test in the thread-safe style) under a
// temporary HOME. A scenario answers its failures on standard error.
class UserFolders {
public:
    explicit UserFolders(std::ostringstream& errors) : m_Errors(errors) {}

    void Expect(bool condition, const std::string& what) {
        if (!condition)
            m_Errors << "failed: " << what << "\n";
    }
    void ExpectFolder(const std::string& path, mode_t mode) {
        Expect(fs::is_directory(path), path + " is a folder");
        Expect(ModeOf(path) == mode, path + " has its mode");
    }

private:
    std::ostringstream& m_Errors;
};

[[noreturn]] void Finish(const std::ostringstream& errors) {
    std::fputs(errors.str().c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(errors.str().empty() ? 0 : 1);
}

void SetGameId(const std::string& id) {
    ZQ2::BasicProperties::CreateInstance();
    ZQ2::SmartPtr<ZQ2::PropertyValue> value = new ZQ2::PropertyValue("GAME_ID", "String", id);
    ZQ2::BasicProperties::OnString(value);
}

std::string MakeHome() {
    char pattern[] = "/tmp/delvor-home-XXXXXX";
    return mkdtemp(pattern) ? pattern : "/nonexistent";
}

void FoldersUnderDefaultDataHome() {
    std::ostringstream errors;
    UserFolders check(errors);
    const std::string home = MakeHome();
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    umask(077);

    const std::string maker = home + "/.local/share/Fablewood";
    check.Expect(ZQ2::GetLocalAppsDirPath() == maker, "maker folder " + ZQ2::GetLocalAppsDirPath());
    check.ExpectFolder(home + "/.local", 0700);
    check.ExpectFolder(home + "/.local/share", 0700);
    check.ExpectFolder(maker, 0750);

    // Asked before the game id is known: the path is not kept.
    check.Expect(ZQ2::GetGameSaveDirPath() == maker + "/", "save folder without id");
    check.Expect(ZQ2::GetTempDirPath() == maker + "//_temp", "temp folder without id");
    SetGameId("delvor");
    check.Expect(ZQ2::GetGameSaveDirPath() == maker + "/delvor", "save folder " + ZQ2::GetGameSaveDirPath());
    check.Expect(ZQ2::GetTempDirPath() == maker + "/delvor/_temp", "temp folder " + ZQ2::GetTempDirPath());
    check.ExpectFolder(maker + "/delvor", 0750);
    check.ExpectFolder(maker + "/delvor/_temp", 0750);

    // Once known, the folders stay where they were found.
    setenv("HOME", "/elsewhere", 1);
    check.Expect(ZQ2::GetGameSaveDirPath() == maker + "/delvor", "cached save folder");
    check.Expect(ZQ2::GetTempDirPath() == maker + "/delvor/_temp", "cached temp folder");
    fs::remove_all(home);
    Finish(errors);
}

void FoldersUnderXdgDataHome() {
    std::ostringstream errors;
    UserFolders check(errors);
    const std::string home = MakeHome();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/xdg/data").c_str(), 1);
    SetGameId("delvor");

    check.Expect(ZQ2::GetTempDirPath() == home + "/xdg/data/Fablewood/delvor/_temp", "temp folder");
    check.ExpectFolder(home + "/xdg/data/Fablewood", 0750);
    check.ExpectFolder(home + "/xdg/data/Fablewood/delvor/_temp", 0750);
    check.Expect(!fs::exists(home + "/.local"), "default data home untouched");
    fs::remove_all(home);
    Finish(errors);
}

TEST(FileUtilsFolders, CreatedUnderDefaultDataHome) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(FoldersUnderDefaultDataHome(), ::testing::ExitedWithCode(0), "");
}

TEST(FileUtilsFolders, CreatedUnderXdgDataHome) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(FoldersUnderXdgDataHome(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
