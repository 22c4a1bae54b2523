// Sound and stream resources, over the sound system on the capture output.
#include <gtest/gtest.h>

#include "aulos/ausnd.h"

#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/resource/ResourceSound.h"
#include "engine/resource/ResourceStream.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundStream.h"
#include "tests/engine/io/ResourceFiles.h"

using namespace ZQ2;
using resfiles::Enciphered;
using resfiles::FromXml;
using resfiles::LoadedFromXml;
using resfiles::Write;

namespace {

const std::string kSample("RIFF\x2C\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xAC\0\0\x88\x58\x01\0\x02\0\x10\0"
                            "data\x08\0\0\0\x10\0\x20\0\x30\0\x40\0",
                            52);  // a WAV of four 16-bit mono frames

// With a sound manager there is audio: samples are read.
class ResourceSoundTest : public resfiles::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        SoundManager::CreateInstance(0, 44100, 32);
    }
    void TearDown() override {
        SoundManager::ReleaseInstance();
        ScratchFolderTest::TearDown();
    }
};

using ResourceStreamTest = resfiles::ScratchFolderTest;
using ResourceSoundWithoutAudio = resfiles::ScratchFolderTest;

}  // namespace

TEST(ResourceSoundKeys, KeysAndDefaultsInBothSpellings) {
    SmartPtr<ResourceSound> sound =
        FromXml<ResourceSound>("Sound", "file=\"Sounds/Dig.OGG\" volume=\"0.5\" panning=\"-1\" pitch=\"2\"");
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->GetFile(), "sounds/dig.ogg");
    EXPECT_FLOAT_EQ(sound->GetVolume(), 0.5f);
    EXPECT_FLOAT_EQ(sound->GetPanning(), -1.0f);
    EXPECT_FLOAT_EQ(sound->GetPitch(), 2.0f);
    EXPECT_EQ(sound->GetUnits(), 1);

    SmartPtr<ResourceSound> plain = FromXml<ResourceSound>("ResourceSound", "file=\"a.wav\"");
    ASSERT_TRUE(plain);
    EXPECT_FLOAT_EQ(plain->GetVolume(), 1.0f);
    EXPECT_FLOAT_EQ(plain->GetPanning(), 1.0f);
    EXPECT_FLOAT_EQ(plain->GetPitch(), 1.0f);
    EXPECT_EQ(ResourceSound("a.wav", 1, 1, 1).GetUnits(), ResourceSound::DEFAULT_UNITS);

    SmartPtr<ResourceStream> stream =
        FromXml<ResourceStream>("Stream", "file=\"m.ogg\" syncpointsfile=\"m.xml\" volume=\"0.25\" panning=\"0.5\"");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->GetSyncPointsFile(), "m.xml");
    EXPECT_FLOAT_EQ(stream->GetVolume(), 0.25f);
    EXPECT_FLOAT_EQ(stream->GetPanning(), 0.5f);
    SmartPtr<ResourceStream> plainStream = FromXml<ResourceStream>("ResourceStream", "file=\"m.ogg\"");
    ASSERT_TRUE(plainStream);
    EXPECT_FLOAT_EQ(plainStream->GetVolume(), 1.0f);
    EXPECT_FLOAT_EQ(plainStream->GetPanning(), 0.0f);
    EXPECT_EQ(ResourceStream("m.ogg", "").GetUnits(), ResourceStream::DEFAULT_UNITS);
}

// The sample is looked for where it is read: the plain file, a member of the
// data archive, or the enciphered ".!" form of either.
TEST_F(ResourceSoundTest, ReadsTheSampleFromEverySourceItsArchiveTypeNames) {
    const struct {
        const char* name;
        const char* archiveKey;
        const char* plainFile;
        resfiles::Member member;
    } cases[] = {
        {"plain file", "", "s/dig.wav", {"", ""}},
        {"archive member", "", nullptr, {"s/dig.wav", kSample}},
        {"enciphered file", "archive=\"encryptfile\"", "s/dig.wav.!", {"", ""}},
        {"enciphered member", "archive=\"encryptzip\"", nullptr, {"s/dig.wav.!", Enciphered(kSample)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FileArchive::ReleaseInstance();
        std::filesystem::remove_all("s");
        std::filesystem::remove("data.dat");
        if (c.plainFile)
            Write(c.plainFile, std::string(c.name) == "plain file" ? kSample : Enciphered(kSample));
        else
            UseArchive({c.member});
        SmartPtr<ResourceSound> resource =
            LoadedFromXml<ResourceSound>("Sound", std::string("file=\"s/dig.wav\" volume=\"0.5\" ") + c.archiveKey);
        ASSERT_FALSE(resource->HasError()) << resource->GetErrorMessage();
        EXPECT_TRUE(resource->IsLoaded());
        Sound* sound = DynamicCast<Sound>(resource->GetResource());
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(AUSND_Sample_GetLength(sound->GetSample()), 4u);
        EXPECT_FLOAT_EQ(sound->GetVolume(), 0.5f);
        EXPECT_EQ(sound->GetMode() & ~(Sound::MODE_MEMORY | Sound::MODE_2D), ResourceSound::SAMPLE_MODE);
        EXPECT_GE(sound->PlaySample(1.0f, 0.0f, 1.0f, false), 0);
    }
}

TEST_F(ResourceSoundTest, AMissingSampleIsNotFoundAndHasNoSample) {
    UseArchive({{"in_zip.wav", kSample}});
    Write("on_disk.wav", kSample);
    for (const char* keys : {"file=\"nowhere.wav\"", "file=\"on_disk.wav\"", "file=\"in_zip.wav\" archive=\"file\"",
                             "file=\"in_zip.wav\" archive=\"encryptzip\"", ""}) {
        SmartPtr<ResourceSound> resource = LoadedFromXml<ResourceSound>("Sound", keys);
        EXPECT_TRUE(resource->IsLoaded()) << keys;
        EXPECT_EQ(resource->GetErrorMessage(), "File not found.") << keys;
        ASSERT_NE(resource->GetSound(), nullptr) << keys;
        EXPECT_FALSE(resource->GetSound()->HasSample()) << keys;
    }
}

TEST_F(ResourceSoundTest, FreeingDropsTheSoundAndAReloadReadsAgain) {
    Write("a.wav", kSample);
    SmartPtr<ResourceSound> resource = LoadedFromXml<ResourceSound>("Sound", "file=\"a.wav\"");
    ASSERT_NE(resource->GetSound(), nullptr);
    resource->FreeResource();
    EXPECT_FALSE(resource->IsLoaded());
    EXPECT_EQ(resource->GetResource(), nullptr);
    resource->Load();
    ASSERT_NE(resource->GetSound(), nullptr);
    EXPECT_TRUE(resource->GetSound()->HasSample());
}

TEST_F(ResourceSoundWithoutAudio, LoadsAndHoldsNoSample) {
    Write("a.wav", kSample);
    SmartPtr<ResourceSound> resource = LoadedFromXml<ResourceSound>("Sound", "file=\"a.wav\"");
    EXPECT_FALSE(resource->HasError());
    ASSERT_NE(resource->GetSound(), nullptr);
    EXPECT_FALSE(resource->GetSound()->HasSample());
}

TEST_F(ResourceStreamTest, DescribesTheStreamAndReadsItsSyncPoints) {
    Write("music/greece.ogg", "OggS");
    Write("music/greece.xml",
          "<root><Vector id=\"SyncPoints\"><P value=\"44100\"/><P/><P value=\"-5\"/><P value=\"88200\"/>"
          "</Vector></root>");
    SmartPtr<ResourceStream> resource = LoadedFromXml<ResourceStream>(
        "Stream", "file=\"Music/Greece.ogg\" syncpointsfile=\"music/greece.xml\" volume=\"0.5\" panning=\"-0.5\"");
    ASSERT_FALSE(resource->HasError()) << resource->GetErrorMessage();
    auto* stream = DynamicCast<SoundStream>(resource->GetResource());
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->GetStream(), nullptr);
    EXPECT_EQ(stream->GetFileName(), "music/greece.ogg");
    EXPECT_FLOAT_EQ(stream->GetVolume(), 0.5f);
    EXPECT_FLOAT_EQ(stream->GetPanning(), -0.5f);
    EXPECT_EQ(stream->GetSyncPointsFileName(), "music/greece.xml");
    // A node without a value, and a negative position, name no sync point.
    ASSERT_EQ(stream->GetSyncPoints().size(), 2);
    EXPECT_EQ(stream->GetSyncPoints()[0], 44100u);
    EXPECT_EQ(stream->GetSyncPoints()[1], 88200u);
}

TEST_F(ResourceStreamTest, SyncPointsComeFromTheArchiveLikeOtherPropertyFiles) {
    Write("m.ogg", "OggS");
    UseArchive({{"m.xml", "<root><Vector id=\"SyncPoints\"><P value=\"7\"/></Vector></root>"}});
    SmartPtr<ResourceStream> resource =
        LoadedFromXml<ResourceStream>("Stream", "file=\"m.ogg\" syncpointsfile=\"m.xml\"");
    ASSERT_FALSE(resource->HasError()) << resource->GetErrorMessage();
    ASSERT_EQ(resource->GetStream()->GetSyncPoints().size(), 1);
    EXPECT_EQ(resource->GetStream()->GetSyncPoints()[0], 7u);
}

TEST_F(ResourceStreamTest, MissingAndBrokenFiles) {
    Write("m.ogg", "OggS");
    Write("broken.xml", "<root><Vector id=\"SyncPoints\">");
    Write("other.xml", "<root><String id=\"x\" value=\"y\"/></root>");

    SmartPtr<ResourceStream> noSync =
        LoadedFromXml<ResourceStream>("Stream", "file=\"m.ogg\" syncpointsfile=\"gone.xml\"");
    EXPECT_FALSE(noSync->HasError());
    EXPECT_EQ(noSync->GetStream()->GetSyncPointsFileName(), "");

    SmartPtr<ResourceStream> withoutVector =
        LoadedFromXml<ResourceStream>("Stream", "file=\"m.ogg\" syncpointsfile=\"other.xml\"");
    EXPECT_FALSE(withoutVector->HasError());
    EXPECT_TRUE(withoutVector->GetStream()->GetSyncPoints().empty());

    SmartPtr<ResourceStream> broken =
        LoadedFromXml<ResourceStream>("Stream", "file=\"m.ogg\" syncpointsfile=\"broken.xml\"");
    EXPECT_EQ(broken->GetErrorMessage(), "A sub-resource didn't load.");

    SmartPtr<ResourceStream> missing = LoadedFromXml<ResourceStream>("Stream", "file=\"gone.ogg\"");
    EXPECT_TRUE(missing->IsLoaded());
    EXPECT_EQ(missing->GetErrorMessage(), "File not found.");
    EXPECT_EQ(missing->GetStream()->GetFileName(), "");

    missing->FreeResource();
    EXPECT_EQ(missing->GetResource(), nullptr);
    EXPECT_FALSE(missing->HasError());
}
