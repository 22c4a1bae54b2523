// Builds level scenes from arbitrary scene nodes (their `variables` and
// components), enters each one and runs a few frames of its day.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/Random.h"
#include "engine/core/SmartPtr.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "fuzz/DropFileKeys.h"
#include "source/scenes/SceneGame.h"

namespace {

struct World {
    World() {
        ZQ2::GameTree::CreateInstance();
        ZQ2::AnimTree::CreateInstance();
        ZQ2::SceneManager::CreateInstance();
        spTick = new ZQ2::TaskTickUpdate(ZQ2::GameTree::g_Instance, ZQ2::AnimTree::g_Instance);
        spPurge = new ZQ2::TaskPurge(ZQ2::GameTree::g_Instance, ZQ2::AnimTree::g_Instance);
    }
    void Frame(int ms) {
        ZQ2::SceneManager::g_Instance->OnUpdate(ms);
        spTick->OnUpdate(ms);
        spPurge->OnUpdate(ms);
    }
    ZQ2::SmartPtr<ZQ2::TaskTickUpdate> spTick;
    ZQ2::SmartPtr<ZQ2::TaskPurge> spPurge;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    const std::string text(reinterpret_cast<const char*>(data), size);
    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore);
    if (!store->ParseFromBuffer(text.c_str()))
        return 0;
    DropFileKeys(store.Get(), 0);
    ZQ2::Random::Instance()->SetSeed(size);
    ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
    for (int i = 0; i < store->GetCount() && i < 4; ++i) {
        ZQ2::AbstractProperty* node = store->GetChild(i);
        if (!node || node->GetType() != ZQ2::PROPERTY_NODE)
            continue;
        const std::string name = "LEVEL_FUZZ" + std::to_string(i);
        scenes->AddScene(name, new SceneGame(node));
        scenes->EnterScene(name);
        for (int frame = 0; frame < 8; ++frame)
            world.Frame(frame == 4 ? 5000 : 16);
        if (auto* level = ZQ2::DynamicCast<SceneGame>(scenes->GetCurrentScene())) {
            level->OnStartStageDialogClosed();
            level->AddPointsByType(static_cast<int>(size % 21) - 1, size % 2 == 0);
            for (int frame = 0; frame < 8; ++frame)
                world.Frame(frame == 4 ? 60000 : 16);
            level->OnMiniGameClosed();
            world.Frame(16);
        }
    }
    scenes->EnterScene(static_cast<ZQ2::Scene*>(nullptr));
    world.Frame(16);
    for (int i = 0; i < store->GetCount() && i < 4; ++i)
        scenes->RemoveScene(scenes->GetScene("LEVEL_FUZZ" + std::to_string(i)));
    return 0;
}
