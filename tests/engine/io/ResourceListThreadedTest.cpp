// A resource list naming every kind of resource, loaded by the resource
// manager on its loader thread from a folder and the data archive.
#include <gtest/gtest.h>

#include "aulos/ausnd.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "engine/core/SmartPtr.h"
#include "engine/framework/TaskManager.h"
#include "engine/graphics/FontBitmap.h"
#include "engine/graphics/FontLayer.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/resource/ResourceImage.h"
#include "engine/resource/ResourceManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundStream.h"
#include "tests/engine/io/ResourceFiles.h"

using namespace ZQ2;
using namespace std::chrono_literals;
using resfiles::Enciphered;
using resfiles::GrayPng;
using resfiles::PatternPng;
using resfiles::Pixel;
using resfiles::Write;

namespace {

const std::string kSample("RIFF\x2C\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xAC\0\0\x88\x58\x01\0\x02\0\x10\0"
                            "data\x08\0\0\0\x10\0\x20\0\x30\0\x40\0",
                            52);  // a WAV of four 16-bit mono frames

const char* const kFont =
    "<root><Font id=\"font\" spacewidth=\"6\"><Vector id=\"chars\">"
    "<C c=\"65\" sx=\"0\" sy=\"0\" sw=\"4\" sh=\"4\" width=\"5\" ix=\"0\" iy=\"0\" bx=\"0\" by=\"0\"/>"
    "</Vector></Font><Vector id=\"layers\"><Layer image=\"font.png\" color=\"#FFFFFF\"/></Vector></root>";

// "menu" is asked for; "extras" loads by itself. Both tag spellings of
// every class appear. Files of "menu" lie enciphered in the data archive,
// the music (which the sound system opens by name) and "extras" in folders.
const char* const kResourceList =
    "<root><Vector id=\"Sections\">"
    "<Section name=\"menu\">"
    "<Image id=\"LOGO\" file=\"images/logo.png\" columncount=\"2\" archive=\"encryptzip\"/>"
    "<ResourceImage id=\"HERO\" file=\"images/hero.png\" mask=\"images/hero_mask.png\" archive=\"encryptzip\"/>"
    "<Font id=\"FONT\" file=\"fonts/menu.xml\" archive=\"encryptzip\"/>"
    "<ResourceSound id=\"CLICK\" file=\"sounds/click.wav\" volume=\"0.5\" archive=\"encryptzip\"/>"
    "<Stream id=\"MUSIC\" file=\"music/theme.ogg\" syncpointsfile=\"music/theme.xml\"/>"
    "</Section>"
    "<Section name=\"extras\" auto=\"true\">"
    "<ResourceFont id=\"FONT2\" file=\"extras/font.xml\" archive=\"file\"/>"
    "<Sound id=\"DIG\" file=\"extras/dig.wav\" archive=\"file\"/>"
    "<ResourceStream id=\"JINGLE\" file=\"music/theme.ogg\"/>"
    "<Image id=\"MISSING\" file=\"extras/missing.png\" archive=\"file\"/>"
    "</Section>"
    "</Vector></root>";

class ResourceListThreaded : public resfiles::ScratchFolderTest {
protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        UseArchive({{"images/logo.png.!", Enciphered(PatternPng(8, 4))},
                    {"images/hero.png.!", Enciphered(PatternPng(4, 4))},
                    {"images/hero_mask.png.!", Enciphered(GrayPng(4, 4, [](int x, int y) { return 10 * x + y; }))},
                    {"fonts/menu.xml.!", Enciphered(kFont)},
                    {"fonts/font.png.!", Enciphered(PatternPng(8, 8))},
                    {"sounds/click.wav.!", Enciphered(kSample)},
                    {"music/theme.xml", "<root><Vector id=\"SyncPoints\"><P value=\"500\"/></Vector></root>"},
                    {"resources.xml", kResourceList}});
        Write("music/theme.ogg", "OggS");
        Write("extras/font.xml", kFont);
        Write("extras/font.png", PatternPng(8, 8));
        Write("extras/dig.wav", kSample);
        SoundManager::CreateInstance(0, 44100, 32);
        ResourceManager::CreateInstance();
    }
    void TearDown() override {
        ResourceManager::RemoveInstance();
        SoundManager::ReleaseInstance();
        ScratchFolderTest::TearDown();
    }

    static ResourceManager* Manager() { return ResourceManager::g_Instance; }

    // Reads the list from the archive, like start-up does.
    static void ParseAndStart() {
        Manager()->AddFile("resources.xml");
        Manager()->ParseResourceFiles();
        Manager()->SetReady(true);
    }

    static bool WaitUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
};

}  // namespace

TEST_F(ResourceListThreaded, EveryKindLoadsOnTheLoaderIntoUsableObjects) {
    ParseAndStart();
    ASSERT_TRUE(Manager()->WaitingFor("menu"));
    ASSERT_TRUE(WaitUntil([] { return Manager()->IsComplete(); }));
    EXPECT_FLOAT_EQ(Manager()->GetLoadProgress(), 1.0f);

    Image* logo = Manager()->GetImage("LOGO", "menu");
    ASSERT_NE(logo, nullptr);
    ASSERT_EQ(logo->GetFrameCount(), 2);
    EXPECT_EQ(Pixel(logo, 1, 1, 2), 0xFF050207u);
    EXPECT_EQ(Manager()->GetImage("LOGO", "menu", ""), logo);
    EXPECT_EQ(Manager()->GetImage("LOGO", "menu", "other"), nullptr);
    EXPECT_EQ(Pixel(Manager()->GetImage("HERO", "menu"), 0, 3, 2) >> 24, 32u);

    auto* font = DynamicCast<FontBitmap>(Manager()->GetResource("FONT", "menu"));
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->GetLayerCount(), 1);
    EXPECT_TRUE(font->HasCharacter('A'));

    auto* click = DynamicCast<Sound>(Manager()->GetResource("CLICK", "menu"));
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(AUSND_Sample_GetLength(click->GetSample()), 4u);
    EXPECT_FLOAT_EQ(click->GetVolume(), 0.5f);

    auto* music = DynamicCast<SoundStream>(Manager()->GetResource("MUSIC", "menu"));
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->GetFileName(), "music/theme.ogg");
    ASSERT_EQ(music->GetSyncPoints().size(), 1);
    EXPECT_EQ(music->GetSyncPoints()[0], 500u);

    // Only a font resource is not an image.
    EXPECT_EQ(Manager()->GetImage("FONT", "menu"), nullptr);
    EXPECT_EQ(Manager()->GetImage("NOPE", "menu"), nullptr);
    EXPECT_EQ(Manager()->GetImage("LOGO", "nowhere"), nullptr);
}

TEST_F(ResourceListThreaded, TheAutoSectionLoadsInTheBackgroundAndWithholdsFailures) {
    ParseAndStart();
    ResourceSection* extras = Manager()->GetSection("extras");
    ASSERT_NE(extras, nullptr);
    ASSERT_TRUE(WaitUntil([extras] { return extras->IsLoaded(); }));
    EXPECT_NE(DynamicCast<FontBitmap>(Manager()->GetResource("FONT2", "extras")), nullptr);
    EXPECT_NE(DynamicCast<Sound>(Manager()->GetResource("DIG", "extras")), nullptr);
    EXPECT_NE(DynamicCast<SoundStream>(Manager()->GetResource("JINGLE", "extras")), nullptr);
    EXPECT_EQ(Manager()->GetResourceObject("MISSING", "extras"), nullptr);
    EXPECT_EQ(extras->GetResource("MISSING")->GetErrorMessage(), "File not found.");
    // The menu was never asked for.
    EXPECT_FALSE(Manager()->GetSection("menu")->IsLoaded());
}

// The main thread needs an image before the loader got to it: it loads it
// at once, while the loader works through the same section.
TEST_F(ResourceListThreaded, TheMainThreadFetchesImagesWhileTheLoaderWorks) {
    std::string list = "<root><Vector id=\"Sections\"><Section name=\"many\">";
    for (int i = 0; i < 40; ++i) {
        const std::string file = "many/p" + std::to_string(i) + ".png";
        Write(file, PatternPng(16 + i, 8));
        list += "<Image id=\"P" + std::to_string(100 + i) + "\" file=\"" + file + "\" archive=\"file\"/>";
    }
    Write("many.xml", list + "</Section></Vector></root>");
    Manager()->AddFile("many.xml");
    FileArchive::ReleaseInstance();
    Manager()->ParseResourceFiles();
    Manager()->SetReady(true);
    ASSERT_TRUE(Manager()->WaitingFor("many"));
    for (int i = 39; i >= 0; i -= 3) {
        Image* image = Manager()->GetImage("P" + std::to_string(100 + i), "many");
        ASSERT_NE(image, nullptr) << i;
        EXPECT_EQ(image->GetFrame()->GetWidth(), 16 + i);
        EXPECT_EQ(Pixel(image, 0, 15 + i, 7), 0xFF000707u | static_cast<uint32_t>(15 + i) << 16);
    }
    // Unloading some while the loader may be reaching them is safe; they
    // load again when asked.
    for (int i = 0; i < 40; i += 4)
        Manager()->UnloadResource("P" + std::to_string(100 + i), "many");
    ASSERT_TRUE(WaitUntil([] { return Manager()->IsComplete(); }));
    for (int i = 0; i < 40; ++i)
        EXPECT_NE(Manager()->GetImage("P" + std::to_string(100 + i), "many"), nullptr) << i;
}

// Image data made on the loader thread is stamped with the frame clock while
// the main thread runs frames that move it.
TEST_F(ResourceListThreaded, LoadsStampTheFrameClockWhileFramesRun) {
    std::string list = "<root><Vector id=\"Sections\"><Section name=\"clocked\">";
    for (int i = 0; i < 24; ++i) {
        const std::string file = "clocked/p" + std::to_string(i) + ".png";
        Write(file, PatternPng(8, 8));
        list += "<Image id=\"C" + std::to_string(i) + "\" file=\"" + file + "\" archive=\"file\"/>";
    }
    Write("clocked.xml", list + "</Section></Vector></root>");
    TaskManager::CreateInstance();
    Manager()->AddFile("clocked.xml");
    Manager()->ParseResourceFiles();
    Manager()->SetReady(true);
    ASSERT_TRUE(Manager()->WaitingFor("clocked"));
    EXPECT_TRUE(WaitUntil([] {
        TaskManager::g_Instance->Update();
        return Manager()->IsComplete();
    }));
    TaskManager::g_Instance->Update();
    const int64_t now = TaskManager::g_Instance->GetCurrentTime();
    Image* image = Manager()->GetImage("C23", "clocked");
    ASSERT_NE(image, nullptr);
    EXPECT_LE(image->GetFrame()->GetImageData()->GetLastUseTime(), now);
    TaskManager::ReleaseInstance();
    EXPECT_EQ(TaskManager::GetSharedCurrentTime(), -1);
}
