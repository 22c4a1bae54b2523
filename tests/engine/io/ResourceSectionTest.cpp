#include "engine/io/ResourceSection.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/core/CipherByteArray.h"
#include "engine/core/SmartPtr.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "tests/engine/io/TestResource.h"

using namespace ZQ2;
using restest::TestResource;

namespace {

SmartPtr<PropertyStore> Parse(const std::string& xml) {
    SmartPtr<PropertyStore> store(new PropertyStore);
    store->SetCondenseWhiteSpace(false);
    EXPECT_TRUE(store->ParseFromBuffer(xml.c_str()));
    return store;
}

// The first section node of a parsed resource list.
PropertyNode* FirstSection(PropertyStore* store) { return store->GetVector(PROP_SECTIONS)->GetNode(0); }

}  // namespace

TEST(ResourceObject, ErrorCodesCarryTheirMessages) {
    const struct {
        int code;
        const char* message;
    } cases[] = {
        {RESOURCE_ERROR_NONE, "None."},
        {RESOURCE_ERROR_UNSPECIFIED, "Unspecified."},
        {RESOURCE_ERROR_FILE_NOT_FOUND, "File not found."},
        {RESOURCE_ERROR_FILENAME_EMPTY, "Filename is empty."},
        {RESOURCE_ERROR_INVALID_FORMAT, "Invalid format."},
        {RESOURCE_ERROR_SUBRESOURCE, "A sub-resource didn't load."},
        {RESOURCE_ERROR_TOO_BIG, "The file or the dimensions is too big."},
        {7, "Unknown."},
        {-2, "Unknown."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResourceObject::GetErrorMessage(c.code), c.message) << c.code;

    SmartPtr<TestResource> resource(new TestResource("a.png"));
    EXPECT_EQ(resource->GetErrorMessage(), "None.");
    resource->SetError(RESOURCE_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(resource->GetErrorMessage(), "File not found.");
}

TEST(ResourceObject, KeysFileAndArchive) {
    const struct {
        const char* attributes;
        const char* file;
        eArchiveType type;
    } cases[] = {
        {"file=\"/Data/Images/Logo.PNG\"", "data/images/logo.png", ARCHIVE_DEFAULT},
        {"file=\"a\\\\b//c.png\" archive=\"file\"", "a/b/c.png", ARCHIVE_FILE},
        {"archive=\"zip\"", "", ARCHIVE_ZIP},
        {"archive=\"encryptfile\"", "", ARCHIVE_ENCRYPT_FILE},
        {"archive=\"encryptzip\"", "", ARCHIVE_ENCRYPT_ZIP},
        {"archive=\"ZIP\"", "", ARCHIVE_DEFAULT},
        {"archive=\"\"", "", ARCHIVE_DEFAULT},
    };
    for (const auto& c : cases) {
        SmartPtr<PropertyStore> store =
            Parse(std::string("<root><Vector id=\"Sections\"><S><TestResource id=\"r\" ") + c.attributes +
                  "/></S></Vector></root>");
        SmartPtr<TestResource> resource(new TestResource(FirstSection(store)->GetProperty("r")));
        EXPECT_EQ(resource->GetFile(), c.file) << c.attributes;
        EXPECT_EQ(resource->GetArchiveType(), c.type) << c.attributes;
        EXPECT_EQ(resource->GetUnits(), 1);
        EXPECT_FALSE(resource->IsLoaded());
        EXPECT_EQ(resource->GetError(), RESOURCE_ERROR_NONE);
    }
    SmartPtr<TestResource> fromNull(new TestResource(static_cast<AbstractProperty*>(nullptr)));
    EXPECT_EQ(fromNull->GetFile(), "");
    EXPECT_EQ(fromNull->GetArchiveType(), ARCHIVE_DEFAULT);
}

TEST(ResourceObject, TextEqualityAndFreeing) {
    SmartPtr<TestResource> resource(new TestResource("Images/A.png"));
    EXPECT_EQ(resource->ToStringForResource(), "\"images/a.png\"");
    EXPECT_TRUE(resource->EnsureLoaded());
    EXPECT_EQ(resource->ToStringForResource(), "\"images/a.png\" Loaded.");
    resource->SetError(RESOURCE_ERROR_INVALID_FORMAT);
    EXPECT_EQ(resource->ToStringForResource(), "\"images/a.png\" Loaded. [ Error: Invalid format.]");
    const std::string text = resource->ToString();
    EXPECT_EQ(text.rfind("TestResource: 0x", 0), 0u) << text;
    EXPECT_NE(text.find("; \"images/a.png\" Loaded."), std::string::npos) << text;

    // Freeing drops the payload, the loaded flag and the error.
    resource->Unload();
    EXPECT_FALSE(resource->IsLoaded());
    EXPECT_EQ(resource->GetError(), RESOURCE_ERROR_NONE);
    EXPECT_EQ(resource->GetResource(), nullptr);

    SmartPtr<TestResource> same(new TestResource("images/a.png"));
    SmartPtr<TestResource> other(new TestResource("images/b.png"));
    SmartPtr<TestResource> unnamed(new TestResource(""));
    SmartPtr<TestResource> unnamed2(new TestResource(""));
    EXPECT_TRUE(resource->Equals(same));
    EXPECT_FALSE(resource->Equals(other));
    EXPECT_FALSE(resource->Equals(nullptr));
    EXPECT_FALSE(unnamed->Equals(unnamed2));
}

TEST(ResourceObject, ALoadThatDoesNotFinishEndsAsUnspecified) {
    SmartPtr<PropertyStore> store =
        Parse("<root><Vector id=\"Sections\"><S><TestResource id=\"r\" unfinished=\"true\"/></S></Vector></root>");
    SmartPtr<TestResource> resource(new TestResource(FirstSection(store)->GetProperty("r")));
    EXPECT_FALSE(resource->EnsureLoaded());
    EXPECT_TRUE(resource->IsLoaded());
    EXPECT_EQ(resource->GetErrorMessage(), "Unspecified.");
    EXPECT_FALSE(resource->EnsureLoaded());
    EXPECT_EQ(resource->GetLoadCount(), 1);
}

// Files are found where FileArchive::LoadFile reads them: the zip member or
// the plain file, with ".!" when enciphered, never one for the other.
class ResourceObjectSource : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-resource-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_strDir = pattern;
        m_strOldWork = GetWorkPath();
        ASSERT_TRUE(SetWorkPath(m_strDir));
        FileArchive::ReleaseInstance();
        ASSERT_TRUE(CreatePath("images"));
        std::ofstream("images/plain.png") << "x";
        std::ofstream("images/secret.png.!") << "x";
        zipFile zip = zipOpen64("data.dat", APPEND_STATUS_CREATE);
        ASSERT_NE(zip, nullptr);
        for (const char* name : {"images/inzip.png", "images/hidden.png.!"}) {
            zip_fileinfo info;
            std::memset(&info, 0, sizeof info);
            ASSERT_EQ(zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9), ZIP_OK);
            ASSERT_EQ(zipWriteInFileInZip(zip, "x", 1), ZIP_OK);
            ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
        }
        ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
    }
    void TearDown() override {
        FileArchive::ReleaseInstance();
        SetWorkPath(m_strOldWork);
        std::filesystem::remove_all(m_strDir);
    }

    std::string m_strDir;
    std::string m_strOldWork;
};

TEST_F(ResourceObjectSource, ExistenceIsTestedWhereTheFileIsRead) {
    const struct {
        const char* file;
        eArchiveType type;
        bool withoutArchive;
        bool withArchive;  // data.dat as the archive, global type zip
    } cases[] = {
        {"Images/Plain.png", ARCHIVE_DEFAULT, true, false},
        {"images/plain.png", ARCHIVE_FILE, true, true},
        {"images/secret.png", ARCHIVE_ENCRYPT_FILE, true, true},
        {"images/secret.png", ARCHIVE_FILE, false, false},
        {"images/plain.png", ARCHIVE_ENCRYPT_FILE, false, false},
        {"images/inzip.png", ARCHIVE_DEFAULT, false, true},
        {"images/inzip.png", ARCHIVE_ZIP, false, true},
        {"images/hidden.png", ARCHIVE_ENCRYPT_ZIP, false, true},
        {"images/hidden.png", ARCHIVE_ZIP, false, false},
        {"images/inzip.png", ARCHIVE_ENCRYPT_ZIP, false, false},
        {"images/plain.png", ARCHIVE_ZIP, false, false},
        {"images/missing.png", ARCHIVE_DEFAULT, false, false},
        {"", ARCHIVE_FILE, false, false},
    };
    for (const auto& c : cases) {
        SmartPtr<TestResource> resource(new TestResource(c.file));
        resource->SetArchiveType(c.type);
        EXPECT_EQ(resource->SourceExists(), c.withoutArchive) << c.file << " type " << c.type;
    }
    FileArchive::CreateInstance("", ARCHIVE_DEFAULT);
    ASSERT_EQ(FileArchive::GetArchiveType(), ARCHIVE_ZIP);
    for (const auto& c : cases) {
        SmartPtr<TestResource> resource(new TestResource(c.file));
        resource->SetArchiveType(c.type);
        EXPECT_EQ(resource->SourceExists(), c.withArchive) << c.file << " type " << c.type;
        // Whatever exists must also read.
        if (c.withArchive) {
            MemoryBuffer_t<unsigned char> buffer;
            EXPECT_TRUE(FileArchive::LoadFile(resource->GetFile(), &buffer, c.type)) << c.file;
        }
    }
}

TEST(ResourceSection, BuiltFromANodeWithNameAutoAndResources) {
    SmartPtr<PropertyStore> store = Parse(
        "<root><Vector id=\"Sections\">"
        "<Section name=\"menu\" auto=\"true\">"
        "  <TestResource id=\"zeta\" file=\"z.png\" units=\"80\"/>"
        "  <TestResource id=\"alpha\" file=\"a.png\"/>"
        "  <TestResource id=\"alpha\" file=\"a2.png\"/>"
        "  <Integer id=\"count\" value=\"3\"/>"
        "  <NoSuchClass id=\"odd\"/>"
        "  <Sprite id=\"notaresource\"/>"
        "</Section>"
        "<Other><TestResource id=\"x\"/></Other>"
        "</Vector></root>");
    PropertyVector* sections = store->GetVector(PROP_SECTIONS);
    const restest::TestFactory factory;
    SmartPtr<ResourceSection> menu(new ResourceSection(sections->GetNode(0), &factory));
    EXPECT_EQ(menu->GetName(), "menu");
    EXPECT_TRUE(menu->IsAuto());
    EXPECT_FALSE(menu->IsRequested());
    ASSERT_EQ(menu->GetResources().size(), 2u);
    EXPECT_EQ(menu->GetResource("alpha")->GetFile(), "a2.png");  // the later child wins
    EXPECT_EQ(menu->GetResource("zeta")->GetUnits(), 80);
    EXPECT_FALSE(menu->HasResource("count"));
    EXPECT_FALSE(menu->HasResource("odd"));
    EXPECT_FALSE(menu->HasResource("notaresource"));
    EXPECT_EQ(menu->GetResource("nothing"), nullptr);
    EXPECT_EQ(menu->GetUnitsTotal(), 81);
    EXPECT_EQ(menu->GetUnitsLoaded(), 0);

    SmartPtr<ResourceSection> other(new ResourceSection(sections->GetNode(1), &factory));
    EXPECT_EQ(other->GetName(), "");
    EXPECT_FALSE(other->IsAuto());
    EXPECT_TRUE(other->HasResource("x"));

    SmartPtr<ResourceSection> fromNull(new ResourceSection(nullptr, &factory));
    EXPECT_EQ(fromNull->GetName(), "");
    EXPECT_TRUE(fromNull->GetResources().empty());
}

TEST(ResourceSection, LoadStateOrderAndText) {
    SmartPtr<ResourceSection> empty(new ResourceSection("empty", false));
    EXPECT_TRUE(empty->IsLoaded());
    EXPECT_EQ(empty->GetUnitsTotal(), 0);

    SmartPtr<ResourceSection> section(new ResourceSection("level", false));
    SmartPtr<TestResource> b(new TestResource("b.png", 2));
    SmartPtr<TestResource> a(new TestResource("a.png", 3));
    section->AddResource("b", b);
    section->AddResource("a", a);
    section->AddResource("none", nullptr);
    EXPECT_EQ(section->GetResources().size(), 2u);
    EXPECT_FALSE(section->IsLoaded());
    // Never queued: nothing to load even though nothing has loaded.
    EXPECT_EQ(section->GetObjectToLoad(), nullptr);
    section->SetRequested(true);
    EXPECT_EQ(section->GetObjectToLoad(), a.Get());  // name order, not insertion order
    a->EnsureLoaded();
    EXPECT_EQ(section->GetObjectToLoad(), b.Get());
    EXPECT_EQ(section->GetUnitsLoaded(), 3);
    EXPECT_EQ(section->GetUnitsTotal(), 5);
    b->EnsureLoaded();
    EXPECT_EQ(section->GetObjectToLoad(), nullptr);
    EXPECT_TRUE(section->IsLoaded());

    const std::string text = section->ToString();
    EXPECT_EQ(text.rfind("Name: level; Auto Load: N; Has Started: Y;\n  Objects:\n\t", 0), 0u) << text;
    EXPECT_NE(text.find("\"a.png\" Loaded.\n\t"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 16), "\"b.png\" Loaded.\n") << text;
}

// Resource lists name each class by its short or its full name; both build
// the same resources.
TEST(ResourceList, EitherTagSpellingBuildsTheResources) {
    ObjectFactory factory;
    for (const char* tag : {"Image", "ResourceImage", "Font", "ResourceFont", "Sound", "ResourceSound", "Stream",
                            "ResourceStream"})
        factory.AddFactoryFunction(tag, &TestResource::OnData);
    SmartPtr<PropertyStore> store = Parse(
        "<root><Vector id=\"Sections\">"
        "<Section name=\"menu\" auto=\"true\">"
        "  <Image id=\"logo\" file=\"images/logo.png\"/>"
        "  <ResourceImage id=\"back\" file=\"images/back.png\" archive=\"zip\"/>"
        "  <Sound id=\"click\" file=\"sounds/click.ogg\" units=\"80\"/>"
        "  <ResourceSound id=\"dig\" file=\"sounds/dig.ogg\" units=\"80\"/>"
        "</Section>"
        "<Section name=\"fonts\" auto=\"false\">"
        "  <Font id=\"big\" file=\"fonts/big.xml\"/>"
        "  <ResourceFont id=\"small\" file=\"fonts/small.xml\"/>"
        "  <Stream id=\"theme\" file=\"music/theme.ogg\" units=\"80\"/>"
        "  <ResourceStream id=\"win\" file=\"music/win.ogg\" units=\"80\"/>"
        "</Section>"
        "</Vector></root>");
    PropertyVector* sections = store->GetVector(PROP_SECTIONS);
    SmartPtr<ResourceSection> menu(new ResourceSection(sections->GetNode(0), &factory));
    SmartPtr<ResourceSection> fonts(new ResourceSection(sections->GetNode(1), &factory));

    EXPECT_EQ(menu->GetName(), "menu");
    EXPECT_TRUE(menu->IsAuto());
    EXPECT_EQ(menu->GetUnitsTotal(), 162);
    EXPECT_EQ(fonts->GetName(), "fonts");
    EXPECT_FALSE(fonts->IsAuto());
    EXPECT_EQ(fonts->GetUnitsTotal(), 162);
    const struct {
        ResourceSection* section;
        const char* name;
        const char* kind;
        const char* file;
    } cases[] = {
        {menu, "logo", "Image", "images/logo.png"},      {menu, "back", "ResourceImage", "images/back.png"},
        {menu, "click", "Sound", "sounds/click.ogg"},    {menu, "dig", "ResourceSound", "sounds/dig.ogg"},
        {fonts, "big", "Font", "fonts/big.xml"},         {fonts, "small", "ResourceFont", "fonts/small.xml"},
        {fonts, "theme", "Stream", "music/theme.ogg"},   {fonts, "win", "ResourceStream", "music/win.ogg"},
    };
    for (const auto& c : cases) {
        auto* resource = DynamicCast<TestResource>(c.section->GetResource(c.name));
        ASSERT_NE(resource, nullptr) << c.name;
        EXPECT_EQ(resource->GetKind(), c.kind);
        EXPECT_EQ(resource->GetFile(), c.file);
    }
    EXPECT_EQ(menu->GetResource("back")->GetArchiveType(), ARCHIVE_ZIP);
}

// The engine's own factory entries for the resource classes make no
// resource until those classes exist; the section leaves them out cleanly.
TEST(ResourceList, ObjectsThatAreNoResourcesAreLeftOut) {
    SmartPtr<PropertyStore> store = Parse(
        "<root><Vector id=\"Sections\"><Section name=\"s\">"
        "<Image id=\"a\" file=\"a.png\"/><ResourceImage id=\"b\" file=\"b.png\"/>"
        "<TestResource id=\"c\" file=\"c.png\"/>"
        "</Section></Vector></root>");
    restest::TestFactory factory;
    factory.AddFactoryFunction("Image", [](AbstractProperty*) -> BaseObject* { return new restest::TestPayload(); });
    const int alive = restest::TestPayload::s_nAlive;
    SmartPtr<ResourceSection> section(new ResourceSection(FirstSection(store), &factory));
    EXPECT_EQ(restest::TestPayload::s_nAlive, alive);
    ASSERT_EQ(section->GetResources().size(), 1u);
    EXPECT_TRUE(section->HasResource("c"));
}
