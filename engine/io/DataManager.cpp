#include "engine/io/DataManager.h"

#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"

namespace ZQ2 {

const RTTI* const DataManager::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI DataManager::rtti("DataManager", DataManager::rttis);

const char* const PROP_NODE_SETUPS = "setups";
const char* const PROP_NODE_PROPERTIES = "properties";
const char* const PROP_NODE_BLUEPRINTS = "blueprints";
const char* const PROP_NODE_DIALOGS = "dialogs";
const char* const PROP_NODE_SCENES = "scenes";

namespace {

bool IsReserved(const std::string& name) {
    return name == PROP_NODE_SETUPS || name == PROP_NODE_BLUEPRINTS || name == PROP_NODE_DIALOGS ||
           name == PROP_NODE_SCENES;
}

void ParseChild(PropertyStore* store, const char* name) {
    if (store->HasProperty(name))
        store->GetNode(name)->Parse();
}

void Catalogue(PropertyStore* store, const char* name, PropertyNode* catalogue) {
    if (!store->HasProperty(name))
        return;
    const auto entries = store->GetNode(name)->GetIndex();
    for (const auto& entry : entries)
        catalogue->InsertProperty(entry.second);
}

}  // namespace

DataManager::DataManager()
    : m_pBlueprints(new PropertyNode), m_pDialogs(new PropertyNode), m_pScenes(new PropertyNode),
      m_pStores(new PropertyVector) {}

DataManager::~DataManager() = default;

void DataManager::Reload() {
    m_pStores->Clear();
    LoadStores();
    m_pStores->Clear();
}

void DataManager::LoadStores() {
    m_pBlueprints->Clear();
    m_pDialogs->Clear();
    m_pScenes->Clear();

    ZQVector<PropertyStore*> stores;
    for (const std::string& file : m_Files) {
        auto* store = new PropertyStore(file);
        store->SetCondenseWhiteSpace(false);
        m_pStores->InsertProperty(store);
        store->Load();
        stores.push_back(store);
    }
    // Constants first, then every template, so that setup inheritance finds
    // templates of later files; "properties" last, so they win.
    for (PropertyStore* store : stores) {
        const auto children = store->GetIndex();
        for (const auto& entry : children) {
            if (!IsReserved(entry.first))
                PropertyNode::ParseObject(entry.second);
        }
    }
    for (PropertyStore* store : stores)
        ParseChild(store, PROP_NODE_SETUPS);
    for (PropertyStore* store : stores)
        store->Setup();
    for (PropertyStore* store : stores)
        ParseChild(store, PROP_NODE_PROPERTIES);
    for (PropertyStore* store : stores) {
        Catalogue(store, PROP_NODE_BLUEPRINTS, m_pBlueprints);
        Catalogue(store, PROP_NODE_DIALOGS, m_pDialogs);
        Catalogue(store, PROP_NODE_SCENES, m_pScenes);
    }
}

BaseObject* DataManager::Construct(const PropertyNode* catalogue, const std::string& name) {
    AbstractProperty* description = catalogue->GetProperty(name);
    if (!description)
        return nullptr;
    return ObjectFactory::Instance()->CreateObject(description);
}

BaseObject* DataManager::ConstructScene(const std::string& name) const { return Construct(m_pScenes, name); }
BaseObject* DataManager::ConstructDialog(const std::string& name) const { return Construct(m_pDialogs, name); }

BaseObject* DataManager::ConstructBlueprintObject(const std::string& name) const {
    return Construct(m_pBlueprints, name);
}

}  // namespace ZQ2
