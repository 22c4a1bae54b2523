#include "engine/scene/Scene.h"

#include "engine/graphics/Renderer.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/DataManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"

namespace ZQ2 {

const RTTI* const Scene::rttis[] = {&Dialog::rtti, nullptr};
const RTTI Scene::rtti("Scene", Scene::rttis);

ObjectInitializer Scene::m_ObjectInitializer("Scene", &Scene::OnData);

const char* const PROP_SCENECOMPONENTS = "scenecomponents";
const char* const PROP_SCENEBACKGROUND = "scenebackground";

Scene::Scene(AbstractProperty* data) : Dialog(data), m_pAnimContainer(new ModifierContainer("Scene", false)) {
    m_pAnimContainer->AddRef();
    SetExclusiveInput(false);
    SetInputListenerActive(false);
    if (data) {
        SetName(data->GetName());
        m_pAnimContainer->SetName(data->GetName());
    }
    // Hidden and frozen until the manager enters it.
    SetVisible(false);
    SetSuspended(true);
    m_pAnimContainer->SetPaused(true);
}

Scene::~Scene() {
    m_pAnimContainer->SetObsolete(true);
    m_pAnimContainer->Release();
}

BaseObject* Scene::OnData(AbstractProperty* data) { return new Scene(data); }

void Scene::Initialize() {
    PropertyNode* data = GetPropertyNode();
    if (!data)
        return;
    if (data->HasProperty(PROP_SCENECOMPONENTS))
        AddComponents(data->GetVector(PROP_SCENECOMPONENTS), true);
    SetProperties(data);
}

void Scene::SetProperties(PropertyNode* data) {
    if (!data || !data->HasProperty(PROP_SCENEBACKGROUND) || !data->HasProperty(PROP_SECTION))
        return;
    SetImage(ResourceLookup::GetImage(data->GetPropString(PROP_SCENEBACKGROUND), data->GetPropString(PROP_SECTION),
                                      nullptr));
}

void Scene::InitScene() {
    if (m_nState != STATE_NEW)
        return;
    Initialize();
    m_nState = STATE_INITIALIZED;
}

void Scene::OnActivate() {
    InitScene();
    Dialog::OnActivate();
    // Input stays off until the scene is entered.
    SetInputListenerActive(false);
}

void Scene::OnEnter() {
    SetVisible(true);
    SetSuspended(false);
    m_pAnimContainer->SetPaused(false);
    SetInputListenerActive(true);
    SetChildrenReceiveInput(true);
}

void Scene::OnDeactivate() {
    if (Renderer::g_Instance)
        Renderer::g_Instance->FlushManagedTextures();
    SetVisible(false);
    SetSuspended(true);
    m_pAnimContainer->SetPaused(true);
    SetInputListenerActive(false);
    m_nState = STATE_INITIALIZED;
    Dialog::OnDeactivate();
}

void Scene::Tick(int deltaMs) {
    Dialog::Tick(deltaMs);
    m_nLabelCountdown -= deltaMs;
    if (!m_bLabelsDirtyPending || m_nLabelCountdown >= 0)
        return;
    SetAllLabelsDirty(this);
    m_bLabelsDirtyPending = false;
}

void Scene::SetAllLabelsDirty(GameNode* node) {
    if (!node || node->IsObsolete())
        return;
    if (auto* label = DynamicCast<Label>(node))
        label->MarkDirty();
    for (GameNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
        SetAllLabelsDirty(child);
}

Dialog* Scene::ConstructDialog(const std::string& type, std::string name) {
    if (name.empty())
        name = type;
    auto found = m_Dialogs.find(name);
    if (found != m_Dialogs.end()) {
        Dialog* dialog = found->second;
        if (IsActiveDialog(dialog))
            DeactivateDialog(dialog);
        return dialog;
    }
    if (!DataManager::g_Instance)
        return nullptr;
    // Held while checked: anything that is not a dialog is dropped again.
    SmartPtr<BaseObject> object(DataManager::g_Instance->ConstructDialog(type));
    auto* dialog = DynamicCast<Dialog>(object.Get());
    if (!dialog)
        return nullptr;
    dialog->SetName(name);
    m_Dialogs[name] = dialog;
    return dialog;
}

Dialog* Scene::GetDialog(const std::string& name) const {
    auto found = m_Dialogs.find(name);
    return found == m_Dialogs.end() ? nullptr : found->second.Get();
}

void Scene::ActivateDialog(Dialog* dialog) {
    if (!dialog)
        return;
    GameTree::LinkNodeUnder(this, dialog);
    // Shown again while shown: it moves to the front, listed once.
    m_ActiveDialogs.remove(SmartPtr<Dialog>(dialog));
    m_ActiveDialogs.push_front(SmartPtr<Dialog>(dialog));
    dialog->OnActivate();
}

void Scene::DeactivateDialog(Dialog* dialog) {
    if (!dialog)
        return;
    SmartPtr<Dialog> hold(dialog);
    dialog->OnDeactivate();
    dialog->SetObsolete(true);
    m_ActiveDialogs.remove(hold);
}

void Scene::DeactivateAllDialogs() {
    while (!m_ActiveDialogs.empty())
        DeactivateDialog(m_ActiveDialogs.front());
}

bool Scene::IsActiveDialog(Dialog* dialog) const {
    return dialog && m_ActiveDialogs.contains(SmartPtr<Dialog>(dialog));
}

bool Scene::IsActiveDialog(const std::string& name) const { return IsActiveDialog(GetDialog(name)); }

void Scene::RemoveDialog(const std::string& name) {
    auto found = m_Dialogs.find(name);
    if (found == m_Dialogs.end())
        return;
    SmartPtr<Dialog> dialog = found->second;
    m_Dialogs.erase(found);
    DeactivateDialog(dialog);
}

void Scene::RemoveDialog(Dialog* dialog) {
    if (dialog)
        RemoveDialog(dialog->GetName());
}

void Scene::RemoveAllDialogs() {
    // A copy: a dialog's deactivation may reach back into the scene.
    const std::map<std::string, SmartPtr<Dialog> > dialogs = m_Dialogs;
    for (const auto& entry : dialogs)
        DeactivateDialog(entry.second);
    m_Dialogs.clear();
}

}  // namespace ZQ2
