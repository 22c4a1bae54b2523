#include "source/dialogs/DialogPlayerSelect.h"

#include <cstdio>
#include <filesystem>

#include "engine/core/Platform.h"
#include "engine/io/FileUtils.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"
#include "source/dialogs/DialogNameInput.h"
#include "source/dialogs/DialogYesNo.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneSelection.h"

using namespace ZQ2;

const char* const DIALOG_PLAYERSELECT = "DIALOG_PLAYERSELECT";
const char* const DIALOG_REMOVE_PLAYER = "CTEXT_REMOVE_PLAYER";

const RTTI* const DialogPlayerSelect::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogPlayerSelect::rtti("DialogPlayerSelect", DialogPlayerSelect::rttis);

ObjectInitializer DialogPlayerSelect::m_ObjectInitializer("DialogPlayerSelect", &DialogPlayerSelect::OnData);

namespace {

const char* const kNameButton = "namebutton";
const char* const kNameLabel = "namelabel";
const char* const kSpacing = "spacing";
const char* const kAdd = "BUTTON_ADD";
const char* const kRemove = "BUTTON_REMOVE";
const char* const kOk = "BUTTON_OK";
const char* const kBorder = "BORDER";
const char* const kRemoveHeader = "CTEXT_REMOVE_PLAYER_HEADER";
const char* const kRemoveFailed = "CTEXT_REMOVE_PLAYER_FAILED";

Scene* CurrentScene() { return SceneManager::g_Instance ? SceneManager::g_Instance->GetCurrentScene() : nullptr; }

template <class T>
T* Build(PropertyNode* data) {
    if (!data)
        return nullptr;
    BaseObject* object = ObjectFactory::Instance()->CreateObject(data);
    T* built = DynamicCast<T>(object);
    if (!built && object)
        SmartPtr<BaseObject> drop(object);
    return built;
}

float ReadFloat(PropertyNode* node, const char* name) {
    auto* value = node ? DynamicCast<PropertyValue>(node->GetProperty(name)) : nullptr;
    return value ? value->ToFloat() : 0.0f;
}

}  // namespace

void OpenNameInputDialog() {
    Scene* scene = CurrentScene();
    if (!scene)
        return;
    Dialog* dialog = scene->GetDialog(DIALOG_NEWPLAYER);
    if (!dialog)
        dialog = scene->ConstructDialog(DIALOG_NEWPLAYER);
    if (dialog)
        scene->ActivateDialog(dialog);
}

DialogPlayerSelect::DialogPlayerSelect(AbstractProperty* data) : DialogDelvor(data) {
    BuildRows();
    m_pAdd = DynamicCast<Button>(BindComponent(kAdd, this, &DialogPlayerSelect::OnAddClick));
    m_pRemove = DynamicCast<Button>(BindComponent(kRemove, this, &DialogPlayerSelect::OnRemoveClick));
    BindComponent(kOk, this, &DialogPlayerSelect::OnOkClick);
    m_pBorder = GetComponent(kBorder);
    if (m_pBorder) {
        // Linked again so that it is drawn above the rows.
        GameTree::LinkNodeUnder(GetComponentRoot(), m_pBorder);
        m_fBorderOffset = m_pBorder->GetY();
    }
    UpdatePlayers();
}

BaseObject* DialogPlayerSelect::OnData(AbstractProperty* data) { return new DialogPlayerSelect(data); }

void DialogPlayerSelect::BuildRows() {
    auto* node = DynamicCast<PropertyNode>(GetPropertyNode());
    PropertyNode* buttonData = node ? node->GetNode(kNameButton) : nullptr;
    PropertyNode* labelData = node ? node->GetNode(kNameLabel) : nullptr;
    const float spacing = ReadFloat(buttonData, kSpacing);
    Update();
    const float x = GetWidth() / 2.0f;
    for (int i = 0; i < ROW_COUNT; ++i) {
        Button* button = Build<Button>(buttonData);
        if (!button)
            continue;
        AddComponent(button, true);
        button->SetX(x);
        button->SetY(button->GetY() + static_cast<float>(i) * spacing);
        Dialog::BindComponent(button, this, &DialogPlayerSelect::OnNameClick);
        m_pNameButtons[i] = button;
        if (Label* label = Build<Label>(labelData)) {
            GameTree::LinkNodeUnder(button, label);
            m_pNameLabels[i] = label;
        }
    }
}

void DialogPlayerSelect::OnActivate() {
    DialogDelvor::OnActivate();
    CreateStandardShowAnimation();
}

int DialogPlayerSelect::PlayerCount() {
    return PlayerManager::g_Instance ? static_cast<int>(PlayerManager::g_Instance->GetPlayers().size()) : 0;
}

std::string DialogPlayerSelect::RowName(int row) const {
    if (row < 0 || row >= ROW_COUNT || !m_pNameLabels[row])
        return std::string();
    return m_pNameLabels[row]->GetText();
}

void DialogPlayerSelect::MoveBorderTo(int row) {
    if (!m_pBorder || row < 0 || row >= ROW_COUNT || !m_pNameButtons[row])
        return;
    m_pBorder->SetVisible(true);
    m_pBorder->SetY(m_pNameButtons[row]->GetY() + m_fBorderOffset);
}

void DialogPlayerSelect::UpdatePlayers() {
    const int count = PlayerCount();
    for (int i = count; i < ROW_COUNT; ++i) {
        if (m_pNameLabels[i])
            m_pNameLabels[i]->SetText(std::string());
    }
    m_iSelectedRow = -1;
    if (count > 0) {
        const PlayerManager* players = PlayerManager::g_Instance;
        const AbstractPlayer* current = players->GetCurrentPlayer();
        int row = 0;
        for (const auto& player : players->GetPlayers()) {
            if (row >= ROW_COUNT)
                break;
            if (m_pNameLabels[row])
                m_pNameLabels[row]->SetText(player->GetName());
            if (player.Get() == current) {
                m_iSelectedRow = row;
                MoveBorderTo(row);
            }
            ++row;
        }
    }
    if (m_pBorder && m_iSelectedRow < 0)
        m_pBorder->SetVisible(false);
    if (m_pAdd)
        m_pAdd->SetEnabled(count < ROW_COUNT);
    if (m_pRemove)
        m_pRemove->SetEnabled(count > 0 && m_iSelectedRow >= 0);
}

void DialogPlayerSelect::SelectRow(int row) {
    m_iSelectedRow = row;
    if (PlayerManager::g_Instance)
        PlayerManager::g_Instance->ChangePlayer(RowName(row));
    DVUpgradeHandler::UseCurrentPlayer();
    MoveBorderTo(row);
}

void DialogPlayerSelect::OnNameClick(BaseObject* dialog, BaseObject* sender) {
    auto* self = DynamicCast<DialogPlayerSelect>(dialog);
    if (!self)
        return;
    const int count = PlayerCount();
    for (int i = 0; i < ROW_COUNT; ++i) {
        Button* button = self->m_pNameButtons[i];
        if (!button)
            continue;
        if (button != sender) {
            button->SetEnabled(true);
            continue;
        }
        if (i < count) {
            self->SelectRow(i);
        } else {
            OnAddClick(dialog, sender);
            return;
        }
    }
}

void DialogPlayerSelect::OnAddClick(BaseObject*, BaseObject*) {
    if (PlayerCount() >= ROW_COUNT)
        return;
    OpenNameInputDialog();
}

void DialogPlayerSelect::OnRemoveClick(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogPlayerSelect>(dialog);
    if (!self || self->m_iSelectedRow < 0)
        return;
    Scene* scene = CurrentScene();
    DialogYesNo* question =
        CreateYesNoDialog(DIALOG_REMOVE_PLAYER, kRemoveHeader, self, &DialogPlayerSelect::OnRemoveYes, nullptr, nullptr, scene);
    if (!question)
        return;
    scene->ActivateDialog(question);
    question->CreateStandardShowAnimation();
}

void DialogPlayerSelect::OnRemoveYes(BaseObject* dialog, BaseObject*) {
    if (auto* self = DynamicCast<DialogPlayerSelect>(dialog))
        self->RemoveSelected();
}

void DialogPlayerSelect::RemoveSelected() {
    PlayerManager* players = PlayerManager::g_Instance;
    Scene* scene = CurrentScene();
    const std::string name = RowName(m_iSelectedRow);
    if (!players || name.empty()) {
        if (scene)
            scene->RemoveDialog(DIALOG_REMOVE_PLAYER);
        return;
    }
    const int count = PlayerCount();
    const AbstractPlayer* current = players->GetCurrentPlayer();
    if (current && std::string(current->GetName()) == name) {
        int next = m_iSelectedRow + 1;
        if (next >= count)
            next = count - 2;
        m_iSelectedRow = next;
        if (next >= 0)
            players->ChangePlayer(RowName(next));
        DVUpgradeHandler::UseCurrentPlayer();
    }
    const std::string file = GetEncryptFileName(players->GetPlayerDataFileName(name), players->GetArchiveType());
    players->RemovePlayer(name);
    std::error_code ignored;
    const bool leftBehind = std::filesystem::exists(file, ignored);
    if (leftBehind)
        Platform::OutputDebugStringFormat("The files of player \"%s\" could not be removed: %s\n", name.c_str(),
                                          file.c_str());
    UpdatePlayers();
    if (!scene)
        return;
    scene->RemoveDialog(DIALOG_REMOVE_PLAYER);
    if (leftBehind) {
        if (DialogYesNo* message = CreateMessageDialog(kRemoveFailed, kRemoveHeader, nullptr, nullptr, scene))
            scene->ActivateDialog(message);
    }
    if (PlayerCount() == 0)
        OpenNameInputDialog();
}

void DialogPlayerSelect::OnOkClick(BaseObject* dialog, BaseObject* sender) {
    Scene* main = SceneManager::g_Instance ? SceneManager::g_Instance->GetCurrentMainScene() : nullptr;
    if (auto* menu = DynamicCast<SceneSelection>(main))
        menu->UpdatePlayerInfo();
    DialogDelvor::CreateStandardHideAnimation(dialog, sender);
}
