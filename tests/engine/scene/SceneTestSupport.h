#pragma once
// Scenes and transitions that write every lifecycle call to a shared log,
// and a data folder whose files feed the data manager's catalogues.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/DataManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneTransition.h"

namespace ZQ2::test {

using CallLog = std::vector<std::string>;

// The game's own class scripts: data/script beside the tests' data folder.
inline std::string ScriptFolder() {
    const char* data = std::getenv("DELVOR_TEST_DATA");
    const std::filesystem::path root = std::filesystem::path(data ? data : "tests/data").parent_path().parent_path();
    return (root / "data" / "script").string() + "/";
}

inline SmartPtr<PropertyNode> SceneData(const std::string& name, const std::string& type = "Scene") {
    return SmartPtr<PropertyNode>(new PropertyNode(name, type));
}

template <class Base>
class Logging : public Base {
public:
    Logging(const std::string& name, CallLog* log) : Base(SceneData(name)), m_pLog(log) {}

    void Initialize() override {
        Write("Initialize");
        Base::Initialize();
    }
    void OnActivate() override {
        Write("OnActivate");
        Base::OnActivate();
    }
    void OnEnter() override {
        Write("OnEnter");
        Base::OnEnter();
    }
    void OnDeactivate() override {
        Write("OnDeactivate");
        Base::OnDeactivate();
    }

protected:
    void Write(const std::string& call) { m_pLog->push_back(this->GetName() + "." + call); }

private:
    CallLog* m_pLog;
};

using LoggingScene = Logging<Scene>;

class LoggingTransition : public Logging<SceneTransition> {
public:
    using Logging<SceneTransition>::Logging;

    void InitWithScenes(Scene* from, Scene* to) override {
        Write("InitWithScenes(" + NameOf(from) + "," + NameOf(to) + ")");
        SceneTransition::InitWithScenes(from, to);
    }
    void ActivateNextScene() override {
        Write("ActivateNextScene");
        SceneTransition::ActivateNextScene();
    }
    void GotoNextScene() override {
        Write("GotoNextScene");
        SceneTransition::GotoNextScene();
    }

private:
    static std::string NameOf(Scene* scene) { return scene ? scene->GetName() : "null"; }
};

// A temporary folder of XML data files read by a fresh data manager.
class DataFolder {
public:
    DataFolder() : m_bOwnsConstants(!BasicProperties::g_Instance) {
        char pattern[] = "/tmp/delvor-scenes-XXXXXX";
        m_strFolder = mkdtemp(pattern);
        if (m_bOwnsConstants)
            BasicProperties::CreateInstance();
        DataManager::CreateInstance();
    }
    ~DataFolder() {
        DataManager::ReleaseInstance();
        if (m_bOwnsConstants)
            BasicProperties::ReleaseInstance();
        std::system(("rm -rf '" + m_strFolder + "'").c_str());
    }
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    // body: the elements inside the root.
    void Load(const std::string& body) {
        const std::string path = m_strFolder + "/data.xml";
        std::ofstream(path) << "<?xml version=\"1.0\"?>\n<root>" << body << "</root>\n";
        DataManager::g_Instance->AddFile(path);
        DataManager::g_Instance->Reload();
    }

private:
    bool m_bOwnsConstants;
    std::string m_strFolder;
};

}  // namespace ZQ2::test
