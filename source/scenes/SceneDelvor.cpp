#include "source/scenes/SceneDelvor.h"

#include "source/main/DelvorMain.h"

const ZQ2::RTTI* const SceneDelvor::rttis[] = {&ZQ2::Scene::rtti, nullptr};
const ZQ2::RTTI SceneDelvor::rtti("SceneDelvor", SceneDelvor::rttis);

ZQ2::ObjectInitializer SceneDelvor::m_ObjectInitializer("SceneDelvor", &SceneDelvor::OnData);

SceneDelvor::SceneDelvor(ZQ2::AbstractProperty* data) : ZQ2::Scene(data) {}

ZQ2::BaseObject* SceneDelvor::OnData(ZQ2::AbstractProperty* data) { return new SceneDelvor(data); }

bool SceneDelvor::HandleCloseMessage() {
    DelvorMain::ShowQuitMessage(nullptr, nullptr);
    return true;
}
