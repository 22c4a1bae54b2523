#include "source/game/DelvorItem.h"

#include <cstdio>
#include <iterator>

#include "engine/io/ObjectInitializer.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorGenerator.h"
#include "source/game/Dovidi.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"

namespace {

const char* const kSection = "delvor";
const char* const PROP_HIGHLIGHT = "highlight";
constexpr int kNoUpgrade = -1;

struct ItemKind {
    const char* sPrefix;
    const char* sDefaultImage;
    int iTable;
    int iUpgradeType;
};

// Indexed by item type.
constexpr ItemKind kKinds[] = {
    {"", "", DelvorItem::TABLE_NONE, kNoUpgrade},
    {"ITEM_SIFTER", "OBJ_SIFTER", DelvorItem::TABLE_TOOLS, 8},
    {"ITEM_BRUSH", "OBJ_BRUSH", DelvorItem::TABLE_TOOLS, 9},
    {"ITEM_BOTTLE", "OBJ_BOTTLE", DelvorItem::TABLE_TOOLS, kNoUpgrade},
    {"ITEM_MEDICINE", "OBJ_MEDICINE", DelvorItem::TABLE_TOOLS, kNoUpgrade},
    {"ITEM_CANTEEN", "OBJ_CANTEEN", DelvorItem::TABLE_FOOD, 12},
    {"ITEM_SANDWICH", "OBJ_SANDWICH", DelvorItem::TABLE_FOOD, 11},
    {"ITEM_APPLE", "OBJ_APPLE", DelvorItem::TABLE_FOOD, 11},
};
constexpr int kTypeCount = static_cast<int>(std::size(kKinds));

// The order the prefixes are tried in: the first match wins.
constexpr int kPrefixOrder[] = {
    DelvorItem::TYPE_CANTEEN, DelvorItem::TYPE_APPLE, DelvorItem::TYPE_SANDWICH, DelvorItem::TYPE_SIFTER,
    DelvorItem::TYPE_BRUSH,   DelvorItem::TYPE_MEDICINE, DelvorItem::TYPE_BOTTLE,
};

// The request kinds that items answer, and the levels that tell food from food.
constexpr int kRequestSifter = 4;
constexpr int kRequestBrush = 5;
constexpr int kRequestBottle = 6;
constexpr int kRequestBottleMulti = 7;
constexpr int kRequestFood = 8;
constexpr int kRequestDrink = 9;
constexpr int kRequestMedicine = 10;
constexpr int kFoodApple = 100;
constexpr int kFoodSandwich = 101;
constexpr int kDrinkCanteen = 102;

constexpr int kActivityNone = 0;
constexpr int kActivityWaitingForItem = 3;

void PlaySound(const char* name) {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, kSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

bool StartsWith(const std::string& name, const char* prefix) { return name.rfind(prefix, 0) == 0; }

}  // namespace

const ZQ2::RTTI* const DelvorItem::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorItem::rtti("DelvorItem", DelvorItem::rttis);
ZQ2::ObjectInitializer DelvorItem::m_ObjectInitializer("DelvorItem", &DelvorItem::OnData);

DelvorItem::DelvorItem(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target,
                       ZQ2::iGuiMethod::Method callback)
    : ClickObject(x, y, image, target, callback) {
    Init();
}

DelvorItem::DelvorItem(ZQ2::AbstractProperty* node) : ClickObject(node) {
    ZQ2::PropertyNode* data = node ? node->ToNode() : nullptr;
    if (data && data->HasProperty(PROP_HIGHLIGHT))
        m_bHighlight = data->GetValue(PROP_HIGHLIGHT)->ToBoolean();
    Init();
}

DelvorItem::~DelvorItem() = default;

ZQ2::BaseObject* DelvorItem::OnData(ZQ2::AbstractProperty* node) { return new DelvorItem(node); }

void DelvorItem::Init() {
    if (!m_bHighlight)
        return;
    ZQ2::Image* picture = GetUpgradedImage();
    if (!picture)
        picture = GetImage();
    m_spPicture = new ZQ2::Sprite(0.0f, 0.0f, picture);
    m_spPicture->SetCurrentFrame(0);
    ZQ2::GameTree::LinkNodeUnder(this, m_spPicture.Get());
    SetImage(ZQ2::ResourceLookup::GetImage("OBJ_HIGHLIGHT", kSection, nullptr));
}

// ---- names, tables and pictures

int DelvorItem::GetTypeFromName(const std::string& name) {
    for (int type : kPrefixOrder)
        if (StartsWith(name, kKinds[type].sPrefix))
            return type;
    return TYPE_NONE;
}

void DelvorItem::GetNameFromType(int type, std::string& name) {
    if (type > TYPE_NONE && type < kTypeCount)
        name = kKinds[type].sPrefix;
}

void DelvorItem::GetDefaultItemImage(std::string& key) const {
    const int type = GetTypeFromName(GetName());
    if (type != TYPE_NONE)
        key = kKinds[type].sDefaultImage;
}

std::string DelvorItem::GetUpgradedImageKey(int type, int level) {
    if (type <= TYPE_NONE || type >= kTypeCount)
        return std::string();
    const std::string key = kKinds[type].sDefaultImage;
    if (level <= 0 || kKinds[type].iUpgradeType == kNoUpgrade)
        return key;
    char upgraded[64];
    std::snprintf(upgraded, sizeof upgraded, "%s_UP%d", key.c_str(), level);
    return upgraded;
}

ZQ2::Image* DelvorItem::GetUpgradedImage() const {
    const int type = GetTypeFromName(GetName());
    if (type == TYPE_NONE)
        return nullptr;
    int level = 0;
    const int upgradeType = kKinds[type].iUpgradeType;
    if (upgradeType != kNoUpgrade && DVUpgradeHandler::g_Instance)
        level = DVUpgradeHandler::g_Instance->GetTopUpgradeOfType(upgradeType);
    return ZQ2::ResourceLookup::GetImage(GetUpgradedImageKey(type, level), kSection, nullptr);
}

void DelvorItem::RedisplayWithUpgrades() {
    if (!m_spPicture)
        return;
    if (ZQ2::Image* picture = GetUpgradedImage())
        m_spPicture->SetImage(picture);
}

int DelvorItem::GetTable() const {
    for (const char* prefix : {"ITEM_CANTEEN", "ITEM_SANDWICH", "ITEM_APPLE"})
        if (HasPrefix(prefix))
            return TABLE_FOOD;
    for (const char* prefix : {"ITEM_SIFTER", "ITEM_BRUSH", "ITEM_BOTTLE", "ITEM_MEDICINE"})
        if (HasPrefix(prefix))
            return TABLE_TOOLS;
    return TABLE_NONE;
}

bool DelvorItem::MatchesRequest(int request, int level) const {
    const std::string& name = GetName();
    switch (request) {
    case kRequestSifter:
        return name == "ITEM_SIFTER";
    case kRequestBrush:
        return name == "ITEM_BRUSH";
    case kRequestBottle:
    case kRequestBottleMulti:
        return name == "ITEM_BOTTLE";
    case kRequestFood:
        return (HasPrefix("ITEM_APPLE") && level == kFoodApple) || (HasPrefix("ITEM_SANDWICH") && level == kFoodSandwich);
    case kRequestDrink:
        return HasPrefix("ITEM_CANTEEN") && level == kDrinkCanteen;
    case kRequestMedicine:
        return name == "ITEM_MEDICINE";
    default:
        return false;
    }
}

ZQ2::Image* DelvorItem::GetItemImage() { return m_spPicture ? m_spPicture->GetImage() : GetImage(); }

// ---- table state

void DelvorItem::SetHighlightState(bool on) {
    if (!m_bHighlight)
        return;
    SceneGame* level = Level();
    const bool lit = on && level && level->TutorialAllowsHighlight(this);
    SetCurrentFrame(lit ? 1 : 0);
}

void DelvorItem::SetOnTable(bool on) {
    m_bOnTable = on;
    SetVisible(on);
    if (!on && m_spGenerator)
        m_spGenerator->GenerateItem(this);
    SetHighlightState(false);
}

void DelvorItem::SetGenerator(DelvorGenerator* generator) { m_spGenerator = generator; }

// ---- the carrier

DelvorBoss* DelvorItem::LocateParent() const {
    if (m_pCarrier)
        return m_pCarrier;
    const std::string& name = GetName();
    const bool carried = HasPrefix("ITEM_APPLE") || HasPrefix("ITEM_SANDWICH") || HasPrefix("ITEM_CANTEEN") ||
                         name == "ITEM_BIN_COOKIE" || name == "ITEM_SIFTER" || name == "ITEM_BRUSH" ||
                         name == "ITEM_BIN_DOVIDI" || name == "ITEM_MEDICINE" || name == "ITEM_BOTTLE";
    SceneGame* level = Level();
    if (carried && level)
        m_pCarrier = level->GetDovidi();
    return m_pCarrier;
}

ClickObject* DelvorItem::GetBoss() { return LocateParent(); }

bool DelvorItem::IsAvailable() const {
    DelvorBoss* carrier = LocateParent();
    return carrier && carrier->GetState() != DelvorCharacter::STATE_WALKING;
}

void DelvorItem::AddItemToParentQueue() {
    DelvorBoss* carrier = LocateParent();
    if (!carrier || !carrier->IsRoomForMoreItemsInStack() || carrier->IsItemAlreadyInQueueOrInHands(this)) {
        PlaySound("SOUND_CHOOSE_FAIL");
        return;
    }
    carrier->AddToStack(this);
    PlaySound("SOUND_INGAME_CLICK");
}

bool DelvorItem::DoPickupItem() {
    if (IsBin()) {
        DumpObjects();
        return true;
    }
    SceneGame* level = Level();
    DelvorBoss* carrier = LocateParent();
    if (!level || !carrier || level->GetGameState() >= STATE_NO_MORE_PICKUPS)
        return false;
    if (carrier->GetBossActivity() != kActivityNone) {
        if (carrier->IsItemAlreadyInQueueOrInHands(this))
            PlaySound("SOUND_CHOOSE_FAIL");
        else
            AddItemToParentQueue();
        return false;
    }
    if (carrier->GetNumItemsFree() == 0) {
        PlaySound("SOUND_CHOOSE_FAIL");
        return false;
    }
    if (!carrier->IsAtTable(GetTable())) {
        AddItemToParentQueue();
        carrier->WalkToTable(GetTable());
        return false;
    }
    if (!m_bOnTable) {
        carrier->SetBossActivity(kActivityWaitingForItem);
        return false;
    }
    carrier->AddItem(this);
    PlaySound("SOUND_DOVIDI_PICKUP_ITEM");
    return true;
}

void DelvorItem::DumpObjects() {
    DelvorBoss* carrier = LocateParent();
    if (!carrier)
        return;
    if (carrier->GetBossActivity() != kActivityNone) {
        if (carrier->IsItemAlreadyInQueueOrInHands(this))
            PlaySound("SOUND_CHOOSE_FAIL");
        else
            AddItemToParentQueue();
        return;
    }
    if (carrier->IsInHomePosition()) {
        if (carrier->GetNumItems() > 0)
            PlaySound("SOUND_DOVIDI_DISCARD");
        carrier->ClearItems();
        return;
    }
    AddItemToParentQueue();
    carrier->WalkHome();
}
