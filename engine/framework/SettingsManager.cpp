#include "engine/framework/SettingsManager.h"

#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/Message.h"
#include "engine/framework/TemplateMessageData.h"
#include "engine/io/GameSettings.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/RegistryBase.h"
#include "engine/io/RegistryInt.h"
#include "engine/io/RegistryString.h"
#include "platform/PreferencesStore.h"

namespace ZQ2 {

const char* const PROP_SHUTDOWN_CORRECT = "shutdowncorrect";

const RTTI* const SettingsManager::rttis[] = {&BaseObject::rtti, &iMessageListener::rtti, nullptr};
const RTTI SettingsManager::rtti("SettingsManager", SettingsManager::rttis);

namespace {

// The node's name is spelled so in the stored format's history.
const char* const kNodeName = "GameSettngs";
const char* const XML_INTEGER = "Integer";

}  // namespace

SettingsManager::SettingsManager(GameSettings* settings) : m_pSettings(settings ? settings : new GameSettings) {
    SetRegistryRoot(RegistryBase::GetRegRootPath());
    LoadFromRegistry();
    if (GameWindow::g_Instance)
        GameWindow::g_Instance->GetMessageHandler().AddMessageListener(this);
}

// The orderly end: the stored flag says so for the next start.
SettingsManager::~SettingsManager() {
    m_bShutdownCorrect = true;
    SaveToRegistry();
    delete m_pSettings;
}

void SettingsManager::CreateInstance(GameSettings* settings) {
    g_Instance = new SettingsManager(settings);
    g_Instance->AddRef();
}

void* SettingsManager::QueryInterface(const RTTI& which) {
    if (&which == &iMessageListener::rtti)
        return static_cast<iMessageListener*>(this);
    return BaseObject::QueryInterface(which);
}

void SettingsManager::SetRegistryRoot(const std::string& root) {
    m_sRegistryRoot = root;
    for (char& c : m_sRegistryRoot) {
        if (c == '/')
            c = '\\';
    }
}

void SettingsManager::LoadFromRegistry() {
    SmartPtr<PropertyNode> node(new PropertyNode(kNodeName, ""));
    ReadRegistryIntoNode(node.Get());
    m_pSettings->Load(node.Get());
    if (!node->HasProperty(PROP_SHUTDOWN_CORRECT))
        return;  // a first run
    m_bShutdownCorrect = node->GetValue(PROP_SHUTDOWN_CORRECT)->ToBoolean();
    if (!m_bShutdownCorrect) {
        m_pSettings->SetFullscreen(false);
        return;
    }
    // From now until the orderly end the stored flag says "running".
    m_bShutdownCorrect = false;
    SaveToRegistry();
}

void SettingsManager::SaveToRegistry() {
    SmartPtr<PropertyNode> node(new PropertyNode(kNodeName, ""));
    m_pSettings->Save(node.Get());
    node->InsertBoolean(PROP_SHUTDOWN_CORRECT, m_bShutdownCorrect, true);
    for (const auto& child : *node) {
        if (!child || child->GetType() != PROPERTY_VALUE)
            continue;
        const std::string path = m_sRegistryRoot + "\\" + child->GetName();
        if (child->GetTypeName() == XML_INTEGER) {
            RegistryInt value(path, 0, false);
            value = static_cast<unsigned long>(child->ToValue()->ToInt());
        } else {
            RegistryString value(path, "", false);
            value = child->ToValue()->GetValue();
        }
    }
}

void SettingsManager::ReadRegistryIntoNode(PropertyNode* node) {
    if (!node)
        return;
    platform::PreferencesStore& store = RegistryBase::Defaults();
    for (const std::string& key : store.ListKeys()) {
        const platform::PreferencesStore::Value* value = store.Get("", key);
        if (!value)
            continue;
        if (value->m_bInteger)
            node->InsertProperty(new PropertyValue(key, static_cast<int>(value->m_iNumber), true));
        else
            node->InsertProperty(new PropertyValue(key, value->m_sText, true));
    }
}

void SettingsManager::ProcessMessage(const Message& message) {
    if (message.GetNumber() != MESSAGE_FULLSCREEN_CHANGED)
        return;
    const auto* flag = message.GetData<TemplateMessageData<bool>>();
    if (!flag)
        return;
    m_pSettings->SetFullscreen(flag->GetValue());
    SaveToRegistry();
}

}  // namespace ZQ2
