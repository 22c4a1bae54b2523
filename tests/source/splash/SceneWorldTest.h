#pragma once
// The world the splash and loading scenes run in during their tests: a scene
// catalogue, the node trees, the scene manager, a resource manager that loads
// when the test says so, and frames stepped by hand.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/ResourceSection.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "tests/engine/io/ResourceFiles.h"
#include "tests/engine/scene/SceneTestSupport.h"
#include "tests/source/splash/StepResourceManager.h"

namespace splashtest {

class SceneWorldTest : public resfiles::ScratchFolderTest {
protected:
    // Loads the catalogue and builds the world around a resource manager
    // that holds the sections.
    void SetUpWorld(const std::string& catalogue, std::initializer_list<ZQ2::ResourceSection*> sections) {
        m_Data.Load(catalogue);
        ZQ2::GameTree::CreateInstance();
        ZQ2::AnimTree::CreateInstance();
        ZQ2::SceneManager::CreateInstance();
        m_spResources = new StepResourceManager;
        for (ZQ2::ResourceSection* section : sections)
            m_spResources->AddSection(section);
        m_spResources->SetReady(true);
        ZQ2::ResourceManager::g_Instance = m_spResources;
        m_spTick = new ZQ2::TaskTickUpdate(ZQ2::GameTree::g_Instance, ZQ2::AnimTree::g_Instance);
        m_spPurge = new ZQ2::TaskPurge(ZQ2::GameTree::g_Instance, ZQ2::AnimTree::g_Instance);
    }

    void TearDown() override {
        m_spTick = nullptr;
        m_spPurge = nullptr;
        ZQ2::SceneManager::ReleaseInstance();
        ZQ2::AnimTree::ReleaseInstance();
        ZQ2::GameTree::ReleaseInstance();
        ZQ2::ResourceManager::g_Instance = nullptr;
        m_spResources = nullptr;
        ScratchFolderTest::TearDown();
    }

    void Frame(int ms) {
        ZQ2::SceneManager::g_Instance->OnUpdate(ms);
        m_spTick->OnUpdate(ms);
        m_spPurge->OnUpdate(ms);
        m_iNow += ms;
    }

    ZQ2::test::DataFolder m_Data;
    ZQ2::SmartPtr<StepResourceManager> m_spResources;
    ZQ2::SmartPtr<ZQ2::TaskTickUpdate> m_spTick;
    ZQ2::SmartPtr<ZQ2::TaskPurge> m_spPurge;
    int m_iNow = 0;
};

}  // namespace splashtest
