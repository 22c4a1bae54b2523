#include "source/game/DVClickHandler.h"

#include "engine/scene/SceneManager.h"
#include "source/scenes/SceneGame.h"

bool DVClickHandler::ProcessClick(ClickObject* object) {
    ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
    auto* level = scenes ? ZQ2::DynamicCast<SceneGame>(scenes->GetCurrentScene()) : nullptr;
    if (!level || !object)
        return false;
    const int state = level->GetGameState();
    if (state < SceneGame::STATE_RUNNING || state > SceneGame::STATE_HOLES_FINISHED)
        return false;
    m_pLastClicked = object;
    ++m_iClicks;
    return true;
}
