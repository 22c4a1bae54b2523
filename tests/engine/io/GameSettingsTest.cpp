#include "engine/io/GameSettings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"

using namespace ZQ2;

namespace {

// The settings record in a settings file of its own, written and read back
// as a later start would.
class GameSettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-gamesettings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_sFolder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_sFolder); }

    std::string Path() const { return m_sFolder + "/settings.xml"; }
    std::string Text() const {
        std::ifstream in(Path());
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    static SmartPtr<PropertyStore> PlainStore() {
        SmartPtr<PropertyStore> store(new PropertyStore);
        store->SetArchiveType(ARCHIVE_FILE);
        return store;
    }
    // Each child's name and type name, in order.
    static std::vector<std::string> Children(const PropertyNode* node) {
        std::vector<std::string> names;
        for (const auto& child : *node)
            names.push_back(child->GetName() + ":" + child->GetTypeName());
        return names;
    }

    std::string m_sFolder;
};

}  // namespace

// Saved straight into a store, attribute switches would land on the file's
// top element, which a reload does not read.
TEST_F(GameSettingsFile, SwitchesAreWrittenAsBooleanElementsAndReadBack) {
    GameSettings written;
    written.SetFullscreen(false);
    written.SetUseHints(false);
    written.SetSoundVolume(0.5f);
    written.SetMusicVolume(0.25f);
    SmartPtr<PropertyStore> out = PlainStore();
    out->AddFile(Path());
    written.Save(out.Get());
    EXPECT_EQ(Children(out.Get()), (std::vector<std::string>{"fullscreen:Boolean", "usehints:Boolean",
                                                             "soundvolume:Float", "musicvolume:Float"}));
    ASSERT_TRUE(out->Save());
    EXPECT_NE(Text().find("<Boolean id=\"fullscreen\" value=\"false\""), std::string::npos) << Text();
    EXPECT_EQ(Text().find("fullscreen=\""), std::string::npos) << Text();

    SmartPtr<PropertyStore> in = PlainStore();
    ASSERT_TRUE(in->Load(Path()));
    EXPECT_EQ(in->GetValue(PROP_USE_HINTS)->GetTypeName(), "Boolean");
    GameSettings read;
    read.Load(in.Get());
    EXPECT_FALSE(read.IsFullscreen());
    EXPECT_FALSE(read.UseHints());
    EXPECT_FLOAT_EQ(read.GetSoundVolume(), 0.5f);
    EXPECT_FLOAT_EQ(read.GetMusicVolume(), 0.25f);
}

// Earlier versions wrote the two switches as attributes of the settings
// node: their settings still hold, and the next save moves them to elements.
TEST_F(GameSettingsFile, OldFilesWithAttributeSwitchesStillRead) {
    SmartPtr<PropertyStore> old = PlainStore();
    ASSERT_TRUE(old->ParseFromBuffer("<?xml version=\"1.0\"?>\n"
                                     "<root><Settings id=\"settings\" fullscreen=\"false\" usehints=\"false\">"
                                     "<Float id=\"soundvolume\" value=\"0.5\"/>"
                                     "<Float id=\"musicvolume\" value=\"0.25\"/></Settings></root>"));
    GameSettings read;
    read.Load(old->GetNode("settings"));
    EXPECT_FALSE(read.IsFullscreen());
    EXPECT_FALSE(read.UseHints());
    EXPECT_FLOAT_EQ(read.GetSoundVolume(), 0.5f);
    EXPECT_FLOAT_EQ(read.GetMusicVolume(), 0.25f);

    SmartPtr<PropertyStore> resaved = PlainStore();
    read.Save(resaved.Get());
    EXPECT_EQ(resaved->GetValue(PROP_FULLSCREEN)->GetTypeName(), "Boolean");
    EXPECT_EQ(resaved->GetValue(PROP_FULLSCREEN)->GetValue(), "false");
}
