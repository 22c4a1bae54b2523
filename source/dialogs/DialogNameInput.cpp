#include "source/dialogs/DialogNameInput.h"

#include "engine/core/UTF8String.h"
#include "engine/io/PlayerManager.h"
#include "engine/math/AnchorPoint.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/LabelInput.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/dialogs/DialogPlayerSelect.h"
#include "source/dialogs/DialogYesNo.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneSelection.h"

using namespace ZQ2;

const char* const DIALOG_NEWPLAYER = "DIALOG_NEWPLAYER";
const char* const DIALOG_PLAYER_EXISTS = "CTEXT_PLAYER_EXISTS";

const RTTI* const DialogNameInput::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogNameInput::rtti("DialogNameInput", DialogNameInput::rttis);

ObjectInitializer DialogNameInput::m_ObjectInitializer("DialogNameInput", &DialogNameInput::OnData);

namespace {

const char* const kInput = "INPUT_NAME";
const char* const kOk = "BUTTON_OK";
const char* const kCancel = "BUTTON_CANCEL";
const char* const kExistsHeader = "CTEXT_PLAYER_EXISTS_HEADER";
const char* const kTick = "SOUND_TICK";
const char* const kTickSection = "default";

std::string Trimmed(std::string text) {
    UTF8String name(std::move(text));
    name.TrimWhiteSpace(true, true);
    return name;
}

}  // namespace

DialogNameInput::DialogNameInput(AbstractProperty* data) : DialogDelvor(data) {
    m_pOk = DynamicCast<Button>(BindComponent(kOk, this, &DialogNameInput::OnOkClick));
    m_pCancel = DynamicCast<Button>(GetComponent(kCancel));
    m_pInput = DynamicCast<LabelInput>(BindComponent(kInput, this, &DialogNameInput::OnInputChange));
    if (m_pInput)
        m_pInput->m_ReturnCallback.SetTargetAndMethod(this, &DialogNameInput::OnOkClick);

    const PlayerManager* players = PlayerManager::g_Instance;
    if (players && players->GetPlayers().size() > 0) {
        BindComponent(kCancel, this, &DialogNameInput::OnCancelClick);
    } else {
        // The first profile is compulsory: OK stands alone in the middle.
        if (m_pCancel)
            m_pCancel->SetObsolete(true);
        Update();
        if (m_pOk) {
            m_pOk->SetAnchorPoint(ANCHOR_TOP);
            m_pOk->SetX(GetWidth() / 2.0f);
        }
    }
    if (m_pOk && TrimmedName().empty())
        m_pOk->SetEnabled(false);
}

BaseObject* DialogNameInput::OnData(AbstractProperty* data) { return new DialogNameInput(data); }

void DialogNameInput::OnActivate() {
    DialogDelvor::OnActivate();
    CreateStandardShowAnimation();
    FocusInput();
}

bool DialogNameInput::OnMouseLeftDown(const MouseMessageData& m) {
    FocusInput();
    return DialogDelvor::OnMouseLeftDown(m);
}

bool DialogNameInput::OnMouseLeftUp(const MouseMessageData& m) {
    FocusInput();
    return DialogDelvor::OnMouseLeftUp(m);
}

void DialogNameInput::FocusInput() {
    if (m_pInput)
        m_pInput->SetFocus(true);
}

std::string DialogNameInput::TrimmedName() const { return m_pInput ? Trimmed(m_pInput->GetText()) : std::string(); }

void DialogNameInput::OnOkClick(BaseObject* dialog, BaseObject*) {
    if (auto* self = DynamicCast<DialogNameInput>(dialog))
        self->Confirm();
}

void DialogNameInput::OnCancelClick(BaseObject* dialog, BaseObject* sender) {
    DialogDelvor::CreateStandardHideAnimation(dialog, sender);
}

void DialogNameInput::OnInputChange(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogNameInput>(dialog);
    if (!self)
        return;
    if (auto* tick = DynamicCast<Sound>(ResourceLookup::GetResource(kTick, kTickSection)))
        tick->PlaySample(1.0f, 0.0f, 1.0f, false);
    if (self->m_pOk)
        self->m_pOk->SetEnabled(!self->TrimmedName().empty());
    if (self->m_pInput)
        self->m_pInput->SetChanged(true);
}

void DialogNameInput::Confirm() {
    const std::string name = TrimmedName();
    PlayerManager* players = PlayerManager::g_Instance;
    Scene* main = SceneManager::g_Instance ? SceneManager::g_Instance->GetCurrentMainScene() : nullptr;
    if (name.empty() || !players) {
        FocusInput();
        return;
    }
    if (players->HasPlayer(name)) {
        if (DialogYesNo* message =
                CreateMessageDialog(DIALOG_PLAYER_EXISTS, kExistsHeader, nullptr, nullptr, main))
            main->ActivateDialog(message);
        FocusInput();
        return;
    }
    players->AddPlayer(new DelvorPlayer(name));
    players->ChangePlayer(name);
    DVUpgradeHandler::UseCurrentPlayer();
    PlayerManager::SaveToDisk();
    if (main)
        main->RemoveDialog(DIALOG_PLAYERSELECT);
    if (auto* menu = DynamicCast<SceneSelection>(main))
        menu->UpdatePlayerInfo();
    CreateStandardHideAnimation();
    FocusInput();
}
