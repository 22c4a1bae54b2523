#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/FileArchive.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

using namespace ZQ2;

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

class PropertyStoreFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-store-XXXXXX";
        m_strFolder = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf '" + m_strFolder + "'").c_str()); }
    std::string Path(const std::string& name) const { return m_strFolder + "/" + name; }

    std::string m_strFolder;
};

SmartPtr<PropertyStore> Parse(const char* xml) {
    SmartPtr<PropertyStore> store(new PropertyStore);
    EXPECT_TRUE(store->ParseFromBuffer(xml)) << xml;
    return store;
}

const char* const kSample =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<root>\n"
    "  <Integer id=\"a\" value=\"5\"/>\n"
    "  <!-- comments are dropped -->\n"
    "  <String id=\"s\" value=\"a\">b</String>\n"
    "  <Label id=\"t\" x=\"3\">Hello</Label>\n"
    "  <Vector id=\"list\" extra=\"lost\">\n"
    "    <Panel id=\"p\"/>\n"
    "    <Panel id=\"p\"/>\n"
    "    <Boolean value=\"true\"/>\n"
    "  </Vector>\n"
    "  <Dialog id=\"d\">\n"
    "    <Button id=\"b\" w=\"1\"/>\n"
    "    <Button id=\"b\" w=\"2\"/>\n"
    "  </Dialog>\n"
    "</root>\n";

}  // namespace

TEST(PropertyStore, ReadsTheXmlMapping) {
    SmartPtr<PropertyStore> store = Parse(kSample);
    EXPECT_EQ(store->GetTypeName(), "root");
    EXPECT_EQ(store->GetCount(), 5);

    PropertyValue* a = store->GetValue("a");
    EXPECT_EQ(a->GetTypeName(), "Integer");
    EXPECT_EQ(a->ToInt(), 5);
    EXPECT_EQ(store->GetValue("s")->GetValue(), "b");  // text wins over the attribute

    PropertyNode* label = store->GetNode("t");
    EXPECT_EQ(label->GetTypeName(), "Label");
    EXPECT_TRUE(label->GetValue("x")->IsAttribute());
    EXPECT_EQ(label->GetValue("x")->ToInt(), 3);
    EXPECT_EQ(label->GetValue("value")->GetTypeName(), "String");
    EXPECT_EQ(label->GetValue("value")->GetValue(), "Hello");

    PropertyVector* list = store->GetVector("list");
    ASSERT_EQ(list->GetCount(), 3);  // duplicates kept in a vector
    EXPECT_EQ(list->GetNode(1)->GetTypeName(), "Panel");
    EXPECT_EQ(list->GetValue(2)->GetTypeName(), "Boolean");

    PropertyNode* dialog = store->GetNode("d");
    EXPECT_EQ(dialog->GetCount(), 1);  // the second "b" replaced the first
    EXPECT_EQ(dialog->GetNode("b")->GetValue("w")->ToInt(), 2);
}

TEST(PropertyStore, RefusesWhatIsNotADocument) {
    const char* const bad[] = {"", "<?xml version=\"1.0\"?>", "<root><a></root>", "not xml at all", "<root"};
    for (const char* text : bad) {
        SmartPtr<PropertyStore> store(new PropertyStore);
        EXPECT_FALSE(store->ParseFromBuffer(text)) << '"' << text << '"';
        EXPECT_FALSE(PropertyStore::IsValidXMLBuffer(text));
    }
    SmartPtr<PropertyStore> empty = Parse("<root/>");
    EXPECT_EQ(empty->GetCount(), 0);
}

TEST(PropertyStore, RefusesNestingDeeperThanItsLimit) {
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    SmartPtr<PropertyStore> store(new PropertyStore);
    EXPECT_FALSE(store->ParseFromBuffer(deep.c_str()));

    std::string fine = "<root>";
    for (int i = 0; i < 100; ++i)
        fine += "<Node id=\"n\">";
    for (int i = 0; i < 100; ++i)
        fine += "</Node>";
    fine += "</root>";
    EXPECT_TRUE(store->ParseFromBuffer(fine.c_str()));
}

TEST(PropertyStore, TruncatedUtf8AtTheEndIsNotReadPast) {
    // Exactly sized buffers, so a read past the zero shows under ASan.
    const char* const endings[] = {"<root><a", "<root><a b", "<root", "<root><a b=\"x\" ", "<root><a b=\"x"};
    for (const char* start : endings) {
        for (const char* lead : {"\xC3", "\xE2\x82", "\xF0", "\xF0\x9F\x98"}) {
            const std::string text = std::string(start) + lead;
            std::unique_ptr<char[]> exact(new char[text.size() + 1]);
            std::memcpy(exact.get(), text.c_str(), text.size() + 1);
            SmartPtr<PropertyStore> store(new PropertyStore);
            EXPECT_FALSE(store->ParseFromBuffer(exact.get()));
        }
    }
}

TEST(PropertyStore, WhitespaceFollowsTheStoreFlag) {
    const char* text = "<root><String id=\"s\">  two  spaces </String></root>";
    SmartPtr<PropertyStore> condensed = Parse(text);
    EXPECT_EQ(condensed->GetValue("s")->GetValue(), "two spaces");
    SmartPtr<PropertyStore> kept(new PropertyStore);
    kept->SetCondenseWhiteSpace(false);
    ASSERT_TRUE(kept->ParseFromBuffer(text));
    EXPECT_EQ(kept->GetValue("s")->GetValue(), "  two  spaces ");
}

TEST_F(PropertyStoreFiles, SaveThenLoadGivesTheSameTree) {
    SmartPtr<PropertyStore> original = Parse(kSample);
    original->AddFile(Path("out.xml"));
    ASSERT_TRUE(original->Save());
    const std::string first = ReadBytes(Path("out.xml"));
    ASSERT_TRUE(original->Save());
    EXPECT_EQ(ReadBytes(Path("out.xml")), first);  // saving is deterministic

    SmartPtr<PropertyStore> reloaded(new PropertyStore);
    ASSERT_TRUE(reloaded->Load(Path("out.xml")));
    reloaded->AddFile(Path("again.xml"));
    ASSERT_TRUE(reloaded->Save());
    EXPECT_EQ(ReadBytes(Path("again.xml")), first);
    EXPECT_EQ(reloaded->GetNode("t")->GetValue("value")->GetValue(), "Hello");
    EXPECT_NE(first.find("<Integer id=\"a\" value=\"5\" />"), std::string::npos) << first;
}

TEST_F(PropertyStoreFiles, EncipheredStoreRoundTrips) {
    SmartPtr<PropertyStore> store = Parse(kSample);
    store->SetArchiveType(ARCHIVE_ENCRYPT_FILE);
    store->AddFile(Path("player.xml"));
    ASSERT_TRUE(store->Save());
    const std::string bytes = ReadBytes(Path("player.xml.!"));
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find("<root>"), std::string::npos);  // not readable as plain text
    EXPECT_FALSE(FolderEntries(m_strFolder).empty());

    SmartPtr<PropertyStore> back(new PropertyStore);
    back->SetArchiveType(ARCHIVE_ENCRYPT_FILE);
    ASSERT_TRUE(back->Load(Path("player.xml")));
    EXPECT_EQ(back->GetValue("a")->ToInt(), 5);
    EXPECT_TRUE(back->IsValidXMLFile(Path("player.xml")));
}

TEST_F(PropertyStoreFiles, LoadReadsEveryFileAndLaterOnesWin) {
    WriteBytes(Path("one.xml"), "<root><Integer id=\"x\" value=\"1\"/><Integer id=\"y\" value=\"1\"/></root>");
    WriteBytes(Path("two.xml"), "<root><Integer id=\"x\" value=\"2\"/></root>");
    SmartPtr<PropertyStore> store(new PropertyStore(Path("one.xml")));
    store->AddFile(Path("missing.xml"));
    store->AddFile(Path("two.xml"));
    EXPECT_FALSE(store->Load());  // one file failed, the others still loaded
    EXPECT_EQ(store->GetValue("x")->ToInt(), 2);
    EXPECT_EQ(store->GetValue("y")->ToInt(), 1);
    EXPECT_EQ(store->GetCurrentFile(), Path("two.xml"));

    // Backslashes in a path read as slashes.
    std::string windows = Path("two.xml");
    for (char& c : windows)
        if (c == '/')
            c = '\\';
    SmartPtr<PropertyStore> other(new PropertyStore);
    EXPECT_TRUE(other->LoadStore(windows));
}

TEST_F(PropertyStoreFiles, AFailedSaveLeavesThePreviousFileIntact) {
    SmartPtr<PropertyStore> store = Parse(kSample);
    store->AddFile(Path("scores.xml"));
    ASSERT_TRUE(store->Save());
    const std::string before = ReadBytes(Path("scores.xml"));

    for (int i = 0; i < 200; ++i)
        store->InsertProperty(new PropertyValue("k" + std::to_string(i), std::string(64, 'x')));
    // A full disk, as root can't be kept out of a folder: cap the file size.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1024;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = store->Save();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadBytes(Path("scores.xml")), before);
    EXPECT_EQ(FolderEntries(m_strFolder), std::vector<std::string>{"scores.xml"});  // no temporary left
}

// Players, scores and settings are stores that follow the global type; what
// they save must come back under every type, though the zip is never written.
TEST_F(PropertyStoreFiles, AStoreOfTheGlobalTypeReadsBackWhatItSaved) {
    for (int global = ARCHIVE_FILE; global <= ARCHIVE_ENCRYPT_ZIP; ++global) {
        SCOPED_TRACE(global);
        FileArchive::CreateInstance(Path("missing.zip"), static_cast<eArchiveType>(global));
        const std::string file = Path("saved" + std::to_string(global) + ".xml");
        SmartPtr<PropertyStore> store(new PropertyStore(file));
        store->InsertProperty(new PropertyValue("score", 1200));
        ASSERT_TRUE(store->Save());

        SmartPtr<PropertyStore> back(new PropertyStore);
        EXPECT_TRUE(back->IsValidXMLFile(file));
        ASSERT_TRUE(back->Load(file));
        EXPECT_EQ(back->GetValue("score")->ToInt(), 1200);
        FileArchive::ReleaseInstance();
    }
}

TEST_F(PropertyStoreFiles, CrLfLineEndsReadLikeLineFeeds) {
    const std::string lf = "<root>\n<String id=\"s\">two\nlines</String>\n<Label id=\"l\" x=\"1\">a\nb</Label>\n</root>\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    WriteBytes(Path("lf.xml"), lf);
    WriteBytes(Path("crlf.xml"), crlf);
    for (bool condense : {true, false}) {
        SmartPtr<PropertyStore> a(new PropertyStore);
        SmartPtr<PropertyStore> b(new PropertyStore);
        a->SetCondenseWhiteSpace(condense);
        b->SetCondenseWhiteSpace(condense);
        ASSERT_TRUE(a->Load(Path("lf.xml")));
        ASSERT_TRUE(b->Load(Path("crlf.xml")));
        EXPECT_EQ(b->GetValue("s")->GetValue(), a->GetValue("s")->GetValue());
        EXPECT_EQ(b->GetNode("l")->GetValue("value")->GetValue(), a->GetNode("l")->GetValue("value")->GetValue());
        EXPECT_EQ(b->GetValue("s")->GetValue().find('\r'), std::string::npos);
    }
}
