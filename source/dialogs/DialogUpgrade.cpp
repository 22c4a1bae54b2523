#include "source/dialogs/DialogUpgrade.h"

#include <cstdio>

#include "engine/framework/MouseMessageData.h"
#include "engine/graphics/Image.h"
#include "engine/io/BasicProperties.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/scene/SceneManager.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/Sprite.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"

using namespace ZQ2;

const RTTI* const DialogUpgrade::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogUpgrade::rtti("DialogUpgrade", DialogUpgrade::rttis);

ObjectInitializer DialogUpgrade::m_ObjectInitializer("DialogUpgrade", &DialogUpgrade::OnData);

namespace {

const char* const SECTION_SCENE_GAME = "scenegame";
const char* const SECTION_UPGRADES = "upgrades";
const char* const kDefaultDesc = "LABEL_UPGRADE_DEFAULT";
const char* const kDesc = "UPGRADE_DESC";
constexpr int kHandCursor = 2;

void PlayGameSound(const char* name) {
    if (auto* sound = DynamicCast<Sound>(ResourceLookup::GetResource(name, SECTION_SCENE_GAME)))
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

std::string ItemName(int n, const char* suffix) {
    char name[32];
    std::snprintf(name, sizeof name, "UPGRADE_ITEM%d%s", n, suffix);
    return name;
}

}  // namespace

DialogUpgrade::DialogUpgrade(AbstractProperty* data) : DialogDelvor(data), m_Cursor(kHandCursor) {
    SetPlaySounds(false);
    for (int i = 0; i < ITEM_COUNT; ++i) {
        m_pItems[i] = DynamicCast<Sprite>(GetComponent(ItemName(i + 1, "")));
        m_pTitles[i] = DynamicCast<Label>(GetComponent(ItemName(i + 1, "_TITLE")));
    }
    m_pDesc = DynamicCast<Label>(GetComponent(kDesc));
}

BaseObject* DialogUpgrade::OnData(AbstractProperty* data) { return new DialogUpgrade(data); }

bool DialogUpgrade::HasOffers() {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    if (!upgrades)
        return false;
    upgrades->UseCurrentPlayer();
    DVUpgradeHandler::UpgradeList offers;
    upgrades->GetUpgradesforDialog(1, &offers);
    return !offers.empty();
}

void DialogUpgrade::OnActivate() {
    DialogDelvor::OnActivate();
    CreateStandardShowAnimation();
    PlayGameSound("SOUND_UI_PAUSE");
    if (SoundManager* sound = SoundManager::g_Instance)
        sound->SetStreamVolumeTimed(0.0f, MUSIC_FADE_MS);
    AddModifier(new ModifierDelay(APPEAR_DELAY_MS));
    AddModifier(new ModifierFunction(this, &DialogUpgrade::OnAppearFinished, std::string()));
    m_bClosing = false;
    ShowOffers();
    ShowDescription(BasicProperties::GetString(kDefaultDesc));
    m_Cursor.SetType(kHandCursor);
    m_Cursor.SetUsed(false);
}

void DialogUpgrade::ShowOffers() {
    m_Offers.clear();
    if (DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance) {
        upgrades->UseCurrentPlayer();
        upgrades->GetUpgradesforDialog(ITEM_COUNT, &m_Offers);
    }
    for (int i = 0; i < ITEM_COUNT; ++i) {
        // An item without an offer stays empty.
        DelvorUpgrade* offer = i < m_Offers.size() ? m_Offers[i].Get() : nullptr;
        if (m_pTitles[i])
            m_pTitles[i]->SetText(offer ? offer->GetLabel() : std::string());
        if (!m_pItems[i])
            continue;
        m_pItems[i]->SetVisible(offer != nullptr);
        // Without its picture an item keeps its size from the data, so
        // that it can still be chosen.
        if (Image* icon = offer ? ResourceLookup::GetImage(offer->GetImageKey(), SECTION_UPGRADES, nullptr) : nullptr)
            m_pItems[i]->SetImage(icon);
    }
}

void DialogUpgrade::ShowDescription(const std::string& text) {
    if (!m_pDesc)
        return;
    m_pDesc->SetText(text);
    m_pDesc->SetVisible(true);
}

DelvorUpgrade* DialogUpgrade::GetOfferAt(float x, float y) const {
    for (int i = 0; i < ITEM_COUNT && i < m_Offers.size(); ++i)
        if (m_pItems[i] && m_pItems[i]->IsInside(x, y))
            return m_Offers[i].Get();
    return nullptr;
}

bool DialogUpgrade::OnMouseMoved(const MouseMessageData& m) {
    DelvorUpgrade* offer = GetOfferAt(m.GetX(), m.GetY());
    ShowDescription(offer ? offer->GetDesc() : BasicProperties::GetString(kDefaultDesc));
    m_Cursor.SetUsed(offer != nullptr);
    return true;
}

bool DialogUpgrade::OnMouseLeftUp(const MouseMessageData& m) {
    DelvorUpgrade* offer = GetOfferAt(m.GetX(), m.GetY());
    if (!offer)
        return false;
    OnDialogClose(this, offer);
    return true;
}

void DialogUpgrade::OnAppearFinished(BaseObject*, BaseObject*) {}

void DialogUpgrade::OnDialogClose(BaseObject* dialog, BaseObject* upgrade) {
    auto* self = DynamicCast<DialogUpgrade>(dialog);
    if (!self || self->m_bClosing)
        return;
    self->m_bClosing = true;
    self->m_Cursor.SetUsed(false);
    if (SoundManager* sound = SoundManager::g_Instance) {
        sound->SetStreamVolumeTimed(1.0f, MUSIC_FADE_MS);
        sound->PlayStream(nullptr, false, RESUME_STREAM_MODE);
    }
    PlayGameSound("SOUND_UI_RESUME");
    if (SoundManager* sound = SoundManager::g_Instance)
        sound->SetMuted(false);
    self->SetTargetAndMethod(DelvorMain::m_SceneGame, &SceneGame::OnUpgradeDialogClosed);
    self->CreateStandardHideAnimation();
    auto* bought = DynamicCast<DelvorUpgrade>(upgrade);
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    if (!bought || !upgrades)
        return;
    upgrades->AcquireUpgrade(bought, 0, 0);
    // Written at once: a day left through the menu keeps its purchase.
    if (DelvorPlayer* player = DelvorPlayer::GetCurrent())
        player->SaveData(nullptr);
    auto* level = DynamicCast<SceneGame>(DelvorMain::m_SceneGame);
    if (!level && SceneManager::g_Instance)
        level = DynamicCast<SceneGame>(SceneManager::g_Instance->GetCurrentScene());
    if (level)
        level->RedisplayItemsWithUpgrades();
}
