#pragma once
// Loads the game's data files, files their constants and setup templates in
// the constants table, and keeps scene, dialog and blueprint descriptions by
// name so they can be built on demand through the object factory.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/core/iInstance.h"

namespace ZQ2 {

class PropertyNode;
class PropertyVector;

extern const char* const PROP_NODE_SETUPS;
extern const char* const PROP_NODE_PROPERTIES;
extern const char* const PROP_NODE_BLUEPRINTS;
extern const char* const PROP_NODE_DIALOGS;
extern const char* const PROP_NODE_SCENES;

class DataManager : public BaseObject, public iInstance<DataManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    DataManager();
    ~DataManager() override;
    const RTTI& GetRTTI() const override { return rtti; }

    void SetFiles(const ZQVector<std::string>& files) { m_Files = files; }
    void AddFile(const std::string& file) { m_Files.push_back(file); }
    const ZQVector<std::string>& GetFiles() const { return m_Files; }

    void Reload();
    void LoadStores();

    // New objects (reference count 0) from the catalogued descriptions, or
    // null for a name that is not catalogued.
    BaseObject* ConstructScene(const std::string& name) const;
    BaseObject* ConstructDialog(const std::string& name) const;
    BaseObject* ConstructBlueprintObject(const std::string& name) const;

    PropertyNode* GetBlueprints() const { return m_pBlueprints; }
    PropertyNode* GetDialogs() const { return m_pDialogs; }
    PropertyNode* GetScenes() const { return m_pScenes; }

private:
    static BaseObject* Construct(const PropertyNode* catalogue, const std::string& name);

    ZQVector<std::string> m_Files;
    SmartPtr<PropertyNode> m_pBlueprints;
    SmartPtr<PropertyNode> m_pDialogs;
    SmartPtr<PropertyNode> m_pScenes;
    SmartPtr<PropertyVector> m_pStores;
};

}  // namespace ZQ2
