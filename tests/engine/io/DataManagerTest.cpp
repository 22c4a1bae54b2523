#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/DataManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

using namespace ZQ2;

namespace {

class DataManagerFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-data-XXXXXX";
        m_strFolder = mkdtemp(pattern);
        BasicProperties::CreateInstance();
        DataManager::CreateInstance();
    }
    void TearDown() override {
        DataManager::ReleaseInstance();
        BasicProperties::ReleaseInstance();
        std::system(("rm -rf '" + m_strFolder + "'").c_str());
    }
    void AddFile(const std::string& name, const std::string& body) {
        const std::string path = m_strFolder + "/" + name;
        std::ofstream(path) << "<?xml version=\"1.0\"?>\n<root>" << body << "</root>\n";
        DataManager::g_Instance->AddFile(path);
    }

    std::string m_strFolder;
};

}  // namespace

TEST_F(DataManagerFiles, FilesConstantsTemplatesAndDescriptionsInOrder) {
    AddFile("first.xml",
            "<Integer id=\"SPEED\" value=\"1\"/>"
            "<String id=\"TITLE\" value=\"first\"/>"
            "<String id=\"GREETING_LINUX\" value=\"hello linux\"/>"
            "<Node id=\"properties\"><Integer id=\"SPEED\" value=\"2\"/></Node>"
            "<Node id=\"scenes\">"
            "  <Sprite id=\"SCENE_MENU\" setup=\"LATE_TEMPLATE\" x=\"5\"/>"
            "  <Sprite id=\"SCENE_MAP\" tag=\"first\"/>"
            "</Node>");
    AddFile("second.xml",
            "<String id=\"TITLE\" value=\"second\"/>"
            "<Node id=\"setups\"><Node id=\"LATE_TEMPLATE\" x=\"1\" y=\"7\"/></Node>"
            "<Node id=\"scenes\"><Sprite id=\"SCENE_MAP\" tag=\"second\"/></Node>"
            "<Node id=\"dialogs\"><Dialog id=\"DIALOG_PAUSE\"/></Node>");
    AddFile("missing-and-broken.xml", "<Integer id=\"BROKEN\"");
    DataManager::g_Instance->Reload();

    EXPECT_EQ(BasicProperties::GetInteger("SPEED"), 2);  // "properties" come last
    EXPECT_EQ(BasicProperties::GetString("TITLE"), "second");  // later files win
    EXPECT_EQ(BasicProperties::GetString("GREETING"), "hello linux");
    EXPECT_EQ(BasicProperties::GetInteger("UNKNOWN"), 0);
    EXPECT_EQ(BasicProperties::GetInteger("BROKEN"), 0);

    PropertyNode* scenes = DataManager::g_Instance->GetScenes();
    PropertyNode* menu = scenes->GetNode("SCENE_MENU");
    EXPECT_EQ(menu->GetValue("x")->ToInt(), 5);  // own key wins
    EXPECT_EQ(menu->GetValue("y")->ToInt(), 7);  // template of a later file
    EXPECT_EQ(scenes->GetNode("SCENE_MAP")->GetPropString("tag"), "second");

    SmartPtr<BaseObject> scene(DataManager::g_Instance->ConstructScene("SCENE_MAP"));
    ASSERT_NE(scene.Get(), nullptr);
    EXPECT_EQ(scene->GetRTTI().GetName(), "Sprite");
    SmartPtr<BaseObject> dialog(DataManager::g_Instance->ConstructDialog("DIALOG_PAUSE"));
    ASSERT_NE(dialog.Get(), nullptr);
    EXPECT_EQ(DataManager::g_Instance->ConstructScene(""), nullptr);
    EXPECT_EQ(DataManager::g_Instance->ConstructScene("SCENE_NONE"), nullptr);
    EXPECT_EQ(DataManager::g_Instance->ConstructBlueprintObject("NONE"), nullptr);
}
