#pragma once
// A small game world for the tests of the game's classes: the trees, the
// scene manager with one entered game scene, a data catalogue with the
// question dialog and its texts, frames run by the engine's own tasks, and
// a record of the sounds the game asks for.
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/Button.h"
#include "engine/framework/Message.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "source/main/DelvorMain.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "source/scenes/SceneDelvor.h"
#include "tests/engine/scene/SceneTestSupport.h"

namespace gametest {

// The data every game test can lean on; extra elements are appended.
inline std::string CatalogueXml(const std::string& extra = std::string()) {
    return "<Integer id=\"DIALOG_FADE_TIME\" value=\"300\"/>"
           "<Integer id=\"DIALOG_BURST_TIME\" value=\"400\"/>"
           "<Integer id=\"DIALOG_BURST_LAST_BIT\" value=\"100\"/>"
           "<Float id=\"DIALOG_BURST_MIN_SCALE\" value=\"0.5\"/>"
           "<Float id=\"DIALOG_BURST_MAX_SCALE\" value=\"1.2\"/>"
           "<Integer id=\"DIALOG_BACKGROUND_ALPHA\" value=\"128\"/>"
           "<String id=\"CTEXT_QUESTION_QUIT\" value=\"Do you really want to quit?\"/>"
           "<String id=\"CTEXT_QUIT_HEADER\" value=\"Quit\"/>"
           "<String id=\"CTEXT_SAVED\" value=\"Saved.\"/>"
           "<String id=\"CTEXT_NOTE_HEADER_LINUX\" value=\"Note\"/>"
           "<Node id=\"dialogs\">"
           "  <DialogYesNo id=\"DIALOG_YESNO\" width=\"300\" height=\"200\">"
           "    <Vector id=\"components\">"
           "      <Label name=\"HEADER\" x=\"10\" y=\"10\" width=\"280\" height=\"24\"/>"
           "      <Label name=\"MESSAGE\" x=\"10\" y=\"50\" width=\"280\" height=\"24\"/>"
           "      <Button name=\"BUTTON_YES\" x=\"40\" y=\"150\" width=\"80\" height=\"30\"/>"
           "      <Button name=\"BUTTON_NO\" x=\"180\" y=\"150\" width=\"80\" height=\"30\"/>"
           "    </Vector>"
           "  </DialogYesNo>"
           "  <DialogDelvor id=\"DIALOG_PLAIN\" x=\"100\" y=\"50\" width=\"200\" height=\"100\" movable=\"true\">"
           "    <Vector id=\"components\">"
           "      <Button name=\"BUTTON_OK\" x=\"10\" y=\"10\" width=\"50\" height=\"20\"/>"
           "    </Vector>"
           "  </DialogDelvor>"
           "  <DialogDelvor id=\"DIALOG_DARK\" x=\"100\" y=\"50\" width=\"200\" height=\"100\" movable=\"true\""
           "                dodarkenbackground=\"true\"/>"
           "  <DialogUpgrade id=\"DIALOG_UPGRADE\" x=\"200\" y=\"150\" width=\"300\" height=\"200\">"
           "    <Vector id=\"components\">"
           "      <Sprite name=\"UPGRADE_ITEM1\" x=\"10\" y=\"20\" width=\"80\" height=\"80\"/>"
           "      <Sprite name=\"UPGRADE_ITEM2\" x=\"110\" y=\"20\" width=\"80\" height=\"80\"/>"
           "      <Sprite name=\"UPGRADE_ITEM3\" x=\"210\" y=\"20\" width=\"80\" height=\"80\"/>"
           "      <Label name=\"UPGRADE_ITEM1_TITLE\" x=\"10\" y=\"110\" width=\"80\" height=\"20\"/>"
           "      <Label name=\"UPGRADE_ITEM2_TITLE\" x=\"110\" y=\"110\" width=\"80\" height=\"20\"/>"
           "      <Label name=\"UPGRADE_ITEM3_TITLE\" x=\"210\" y=\"110\" width=\"80\" height=\"20\"/>"
           "      <Label name=\"UPGRADE_DESC\" x=\"10\" y=\"140\" width=\"280\" height=\"50\"/>"
           "    </Vector>"
           "  </DialogUpgrade>"
           "</Node>" +
           extra;
}

// Every sound asked for by name, in order; none of them exists.
struct SoundLog {
    static inline std::vector<std::string> asked;
    static ZQ2::BaseObject* Get(const std::string& name, const std::string& section) {
        asked.push_back(section + "/" + name);
        return nullptr;
    }
};

class GameWorld {
public:
    explicit GameWorld(const std::string& extraData = std::string()) {
        m_Data.Load(CatalogueXml(extraData));
        ZQ2::GameTree::CreateInstance();
        ZQ2::AnimTree::CreateInstance();
        ZQ2::SceneManager::CreateInstance();
        ZQ2::InputHandler::CreateInstance(ZQ2::GameTree::g_Instance);
        m_spTick = new ZQ2::TaskTickUpdate(ZQ2::GameTree::g_Instance, ZQ2::AnimTree::g_Instance);
        m_spPurge = new ZQ2::TaskPurge(ZQ2::GameTree::g_Instance, ZQ2::AnimTree::g_Instance);
        SoundLog::asked.clear();
        ZQ2::ResourceLookup::SetResourceSource(&SoundLog::Get);
        m_pScene = new SceneDelvor(ZQ2::test::SceneData("SCENE_TEST", "SceneDelvor"));
        ZQ2::SceneManager::g_Instance->AddScene("SCENE_TEST", m_pScene);
        ZQ2::SceneManager::g_Instance->EnterScene("SCENE_TEST");
        Frame(0);
    }
    ~GameWorld() {
        ZQ2::ResourceLookup::SetResourceSource(nullptr);
        m_spTick = nullptr;
        m_spPurge = nullptr;
        ZQ2::InputHandler::ReleaseInstance();
        ZQ2::SceneManager::ReleaseInstance();
        ZQ2::AnimTree::ReleaseInstance();
        ZQ2::GameTree::ReleaseInstance();
    }
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    // One frame of deltaMs: scene switches, ticks, then the purge.
    void Frame(int deltaMs) {
        ZQ2::SceneManager::g_Instance->OnUpdate(deltaMs);
        m_spTick->OnUpdate(deltaMs);
        m_spPurge->OnUpdate(deltaMs);
    }

    // A left click at the screen position, through the input handler.
    void ClickAt(float x, float y) {
        using ZQ2::Message;
        ZQ2::InputHandler* input = ZQ2::InputHandler::g_Instance;
        input->ProcessMessage(Message(ZQ2::MESSAGE_MOUSE_LEFT_DOWN, new ZQ2::MouseMessageData(x, y, 0, false)));
        input->ProcessMessage(Message(ZQ2::MESSAGE_MOUSE_LEFT_UP, new ZQ2::MouseMessageData(x, y, 0, false)));
        input->OnUpdate(0);
    }
    void ClickOn(ZQ2::GameNode* node) { ClickAt(node->GetScreenX() + 2.0f, node->GetScreenY() + 2.0f); }

    SceneDelvor* Scene() const { return m_pScene; }

private:
    ZQ2::test::DataFolder m_Data;
    ZQ2::SmartPtr<ZQ2::TaskTickUpdate> m_spTick;
    ZQ2::SmartPtr<ZQ2::TaskPurge> m_spPurge;
    SceneDelvor* m_pScene = nullptr;  // held by the scene manager
};

inline ZQ2::MouseMessageData Mouse(float x, float y) {
    return ZQ2::MouseMessageData(x, y, 0, false);
}

// A press and release inside the button, straight to the button.
inline void Click(ZQ2::Button* button) {
    const float x = button->GetScreenX() + 1.0f;
    const float y = button->GetScreenY() + 1.0f;
    button->OnMouseLeftDown(Mouse(x, y));
    button->OnMouseLeftUp(Mouse(x, y));
}

// Puts the play position back where a new game starts, after a test that
// won or lost a day.
inline void ResetPlayPosition() {
    DelvorMain::m_nCurCountry = 1;
    DelvorMain::m_nCurDay = 1;
    DelvorMain::m_nPrevCountry = -1;
    DelvorMain::m_nPrevDay = -1;
    DelvorMain::SetReplayStage(false);
}

}  // namespace gametest
