#pragma once
// A game world for the in-level menu's dialogs: small hand-made dialog data
// (buttons with sizes, no pictures), their texts, and the level scene's
// neighbours to leave for.
#include <fstream>
#include <string>

#include "engine/io/DataManager.h"
#include "engine/scene/Scene.h"
#include "engine/sprite/Dialog.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/SceneDelvor.h"
#include "tests/source/GameTestSupport.h"

namespace gametest {

inline std::string MenuDialogsXml() {
    auto button = [](const char* name, int x, int y) {
        return std::string("<Button name=\"") + name + "\" x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
               "\" width=\"60\" height=\"20\"/>";
    };
    auto slider = [](const char* name, int y) {
        return std::string("<Slider name=\"") + name + "\" x=\"20\" y=\"" + std::to_string(y) +
               "\" width=\"100\" height=\"20\" minx=\"0\" maxx=\"100\">"
               "<Button id=\"button\" width=\"10\" height=\"20\"/></Slider>";
    };
    return "<String id=\"TEXT_MENU_STOP\" value=\"Give up?\"/>"
           "<String id=\"TEXT_MENU_STOP_HEADER\" value=\"Leave\"/>"
           "<Vector id=\"HELP_HEADERS\"><String value=\"One\"/><String value=\"Two\"/>"
           "<String value=\"Three\"/><String value=\"Four\"/></Vector>"
           "<Node id=\"dialogs\">"
           "<DialogMenu id=\"DIALOG_MENU\" x=\"100\" y=\"50\" width=\"300\" height=\"200\"><Vector id=\"components\">" +
           button("BUTTON_RESUME", 10, 10) + button("BUTTON_HELP", 10, 40) + button("BUTTON_SETTINGS", 10, 70) +
           button("BUTTON_MAIN", 10, 100) + button("BUTTON_MAPSCREEN", 10, 130) +
           "</Vector></DialogMenu>"
           "<DialogPause id=\"DIALOG_PAUSE\" x=\"100\" y=\"50\" width=\"300\" height=\"200\"><Vector id=\"components\">" +
           button("BUTTON_RESUME", 10, 10) +
           "</Vector></DialogPause>"
           "<DialogSettings id=\"DIALOG_SETTINGS\" x=\"100\" y=\"50\" width=\"300\" height=\"200\">"
           "<Vector id=\"components\">" +
           slider("SLIDER_FXVOL", 10) + slider("SLIDER_MUSICVOL", 40) +
           "<Switch name=\"SWITCH_FULLSCREEN\" x=\"20\" y=\"70\" width=\"20\" height=\"20\"/>" +
           button("BUTTON_OK", 10, 100) + button("BUTTON_CANCEL", 80, 100) + button("BUTTON_CREDITS", 150, 100) +
           "</Vector></DialogSettings>"
           "<DialogHelp id=\"DIALOG_HELP\" x=\"100\" y=\"50\" width=\"300\" height=\"200\"><Vector id=\"components\">"
           "<Label name=\"LABEL_HEADER\" x=\"10\" y=\"10\" width=\"200\" height=\"20\"/>"
           "<Sprite name=\"HELP_SCREEN\" x=\"10\" y=\"40\" width=\"100\" height=\"60\"/>" +
           button("BUTTON_PREV", 10, 150) + button("BUTTON_OK", 80, 150) + button("BUTTON_NEXT", 150, 150) +
           "</Vector></DialogHelp>"
           "<DialogCredits id=\"DIALOG_CREDITS\" x=\"150\" y=\"80\" width=\"200\" height=\"150\" movable=\"true\">"
           "<Vector id=\"components\"><Label name=\"VERSION\" x=\"10\" y=\"10\" width=\"150\" height=\"20\"/>" +
           button("BUTTON_OK", 10, 100) + "</Vector></DialogCredits>"
           "</Node>";
}

// The game world with the menu dialogs' data in a file of its own, and the
// scenes the level can be left for.
class MenuWorld {
public:
    MenuWorld() {
        const std::string path = ::testing::TempDir() + "menu_dialogs.xml";
        std::ofstream(path) << "<?xml version=\"1.0\"?>\n<root>" << MenuDialogsXml() << "</root>\n";
        ZQ2::DataManager::g_Instance->AddFile(path);
        ZQ2::DataManager::g_Instance->Reload();
        for (const char* name : {"SCENE_SELECTION", "SCENE_MAP"})
            ZQ2::SceneManager::g_Instance->AddScene(name, new SceneDelvor(ZQ2::test::SceneData(name, "SceneDelvor")));
        DelvorMain::m_SceneGame = m_World.Scene();
    }
    ~MenuWorld() { DelvorMain::m_SceneGame = nullptr; }
    MenuWorld(const MenuWorld&) = delete;
    MenuWorld& operator=(const MenuWorld&) = delete;

    template <class T>
    T* Open(const char* key) {
        ZQ2::Scene* scene = m_World.Scene();
        auto* dialog = ZQ2::DynamicCast<T>(scene->ConstructDialog(key));
        if (dialog)
            scene->ActivateDialog(dialog);
        return dialog;
    }

    // Frames of 50 ms until the time has passed.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 50)
            m_World.Frame(50);
    }

    bool Showing(const char* key) const { return m_World.Scene()->IsActiveDialog(key); }
    ZQ2::GameNode* Component(const char* key, const char* name) const {
        ZQ2::Dialog* dialog = m_World.Scene()->GetDialog(key);
        return dialog ? dialog->GetComponent(name) : nullptr;
    }

    GameWorld m_World;
};

}  // namespace gametest
