#include "source/game/DelvorBoss.h"

#include <algorithm>

#include "engine/core/Random.h"
#include "engine/graphics/Image.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierDelegate.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/scenes/SceneGame.h"

namespace {

const char* const kSection = "delvor";
// The tutorial step that follows Vuru's first walk.
constexpr int kTutorialVuruWalks = 4;
// The tutorial shown when an item is picked up that no hole asks for.
constexpr int kTutorialItemPickedUp = 16;

}  // namespace

const ZQ2::RTTI* const DelvorBoss::rttis[] = {&DelvorCharacter::rtti, nullptr};
const ZQ2::RTTI DelvorBoss::rtti("DelvorBoss", DelvorBoss::rttis);
ZQ2::ObjectInitializer DelvorBoss::m_ObjectInitializer("DelvorBoss", &DelvorBoss::OnData);

DelvorBoss::DelvorBoss(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback)
    : DelvorCharacter(x, y, image) {
    SetTargetAndMethod(target, callback);
}

DelvorBoss::DelvorBoss(ZQ2::AbstractProperty* node) : DelvorCharacter(node) {}

DelvorBoss::~DelvorBoss() {
    for (int hand = 0; hand < MAX_ITEMS; ++hand) {
        if (m_apHands[hand])
            m_apHands[hand]->Release();
        m_apHands[hand] = nullptr;
        m_aspHandSprites[hand] = nullptr;
    }
    for (auto& mark : m_CheckMarks)
        mark->SetObsolete(true);
}

ZQ2::BaseObject* DelvorBoss::OnData(ZQ2::AbstractProperty* node) { return new DelvorBoss(node); }

void DelvorBoss::PlaySound(const char* name) {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, kSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

// ---- set-up

void DelvorBoss::SetupCharacter(const std::string& key, float x, float y, int walkSpeed) {
    SetImage(ZQ2::ResourceLookup::GetImage(key, kSection, nullptr));
    const float height = GetImage() ? GetHeight() : 0.0f;
    m_HomePosition.Set(x, y + height);
    m_fSpriteHeight = height;
    SetAnchorPoint(ZQ2::ANCHOR_BOTTOMLEFT);
    SetRealPosToCurPos();
    SetWalkSpeed(walkSpeed);
}

void DelvorBoss::PutBossInHomePosition() {
    SetX(m_HomePosition.x);
    SetY(m_HomePosition.y);
    SetRealPosToCurPos();
}

void DelvorBoss::GetTableXY(int table, int& x, int& y) const {
    const char* keyX = nullptr;
    const char* keyY = nullptr;
    if (table == TABLE_TOOLS) {
        keyX = "TOOL_TABLE_HOME_X";
        keyY = "TOOL_TABLE_HOME_Y";
    } else if (table == TABLE_FOOD) {
        keyX = "FOOD_TABLE_HOME_X";
        keyY = "FOOD_TABLE_HOME_Y";
    } else {
        return;
    }
    x = ZQ2::BasicProperties::GetInteger(keyX);
    y = ZQ2::BasicProperties::GetInteger(keyY) + static_cast<int>(m_fSpriteHeight);
}

bool DelvorBoss::IsAtTable(int table) const {
    int x = 0;
    int y = 0;
    GetTableXY(table, x, y);
    return GetX() == static_cast<float>(x) && GetY() == static_cast<float>(y);
}

bool DelvorBoss::IsInHomePosition() const { return GetX() == m_HomePosition.x && GetY() == m_HomePosition.y; }

void DelvorBoss::GetHomePosition(float& x, float& y) const {
    x = m_HomePosition.x;
    y = m_HomePosition.y;
}

// ---- the hands

int DelvorBoss::GetNumItems() const {
    return static_cast<int>(std::count_if(std::begin(m_apHands), std::end(m_apHands),
                                          [](const ClickObject* item) { return item != nullptr; }));
}

int DelvorBoss::GetNumItemsFree() const { return MAX_ITEMS - GetNumItems(); }

bool DelvorBoss::IsHolding(ClickObject* object) const {
    return object && std::find(std::begin(m_apHands), std::end(m_apHands), object) != std::end(m_apHands);
}

void DelvorBoss::AddItem(ClickObject* item) {
    if (!item)
        return;
    ClickObject** slot = std::find(std::begin(m_apHands), std::end(m_apHands), nullptr);
    if (slot == std::end(m_apHands))
        return;
    *slot = item;
    item->AddRef();
    ResetImage();
    item->SetOnTable(false);
    if (SceneGame* level = Level())
        level->DoContextTutorialAction(kTutorialItemPickedUp, item);
}

void DelvorBoss::ReleaseHand(int hand) {
    ClickObject* item = m_apHands[hand];
    m_apHands[hand] = nullptr;
    if (item)
        item->Release();
}

void DelvorBoss::RemoveItem(ClickObject* item) {
    for (int hand = MAX_ITEMS - 1; hand >= 0; --hand) {
        if (item && m_apHands[hand] == item) {
            ReleaseHand(hand);
            ResetImage();
            return;
        }
    }
}

void DelvorBoss::RemoveItem(const std::string& name) {
    for (int hand = MAX_ITEMS - 1; hand >= 0; --hand) {
        if (m_apHands[hand] && m_apHands[hand]->GetName() == name) {
            ReleaseHand(hand);
            return;
        }
    }
}

void DelvorBoss::ClearItems() {
    for (int hand = 0; hand < MAX_ITEMS; ++hand)
        ReleaseHand(hand);
    ResetImage();
}

void DelvorBoss::GetItemName(int hand, std::string& name) const {
    if (ClickObject* item = GetItemInHand(hand))
        name = item->GetName();
}

bool DelvorBoss::IsItemAlreadyInQueueOrInHands(ClickObject* item) const {
    if (IsHolding(item))
        return true;
    const auto& stack = GetStack();
    return item && std::find(stack.begin(), stack.end(), item) != stack.end();
}

ZQ2::Point_t<float> DelvorBoss::GetObjectPositionInHands(int, int, bool, float&) { return {0.0f, 0.0f}; }

void DelvorBoss::UpdateItemsInHands(int imageCode, bool mirrored) {
    ZQ2::Sprite* created[MAX_ITEMS] = {};
    for (int hand = 0; hand < MAX_ITEMS; ++hand) {
        ZQ2::SmartPtr<ZQ2::Sprite>& sprite = m_aspHandSprites[hand];
        ClickObject* item = m_apHands[hand];
        if (!item) {
            if (sprite) {
                sprite->SetVisible(false);
                sprite->SetObsolete(true);
                sprite = nullptr;
            }
            continue;
        }
        float scale = 1.0f;
        const ZQ2::Point_t<float> at = GetObjectPositionInHands(hand, imageCode, mirrored, scale);
        if (sprite) {
            sprite->SetX(at.x);
            sprite->SetY(at.y);
            sprite->SetImage(item->GetItemImage());
        } else {
            sprite = new ZQ2::Sprite(at.x, at.y, item->GetItemImage());
            created[hand] = sprite.Get();
        }
        sprite->SetScaleX(scale);
        sprite->SetScaleY(scale);
        sprite->SetVisible(true);
    }
    const int items = GetNumItems();
    if (items == 0)
        return;
    if (imageCode == IMAGE_WALK_BACK_CARRY) {
        // Items are not seen from behind.
        for (auto& sprite : m_aspHandSprites)
            if (sprite)
                sprite->SetVisible(false);
        return;
    }
    if (items == 1) {
        for (ZQ2::Sprite* sprite : created)
            if (sprite)
                ZQ2::GameTree::LinkNodeUnder(this, sprite);
        return;
    }
    // With two, the hand nearer the viewer is drawn last.
    const int back = imageCode == IMAGE_WALK_SIDE_CARRY && mirrored ? 0 : 1;
    ZQ2::Sprite* behind = m_aspHandSprites[back].Get();
    ZQ2::Sprite* front = m_aspHandSprites[1 - back].Get();
    ZQ2::GameTree::LinkNodeUnder(this, behind);
    ZQ2::GameTree::LinkNodeAfter(behind, front);
}

// ---- check marks

void DelvorBoss::UpdateCheckMarks() {
    for (auto& mark : m_CheckMarks)
        mark->SetObsolete(true);
    m_CheckMarks.clear();
    const int queued = GetNumItemsInStack();
    if (SceneGame* level = Level())
        level->GetClickHandler().UpdateCheckMarks();
    if (queued == 0)
        return;
    const int x = ZQ2::BasicProperties::GetInteger("CHECKMARK_ITEM_X");
    const int y = ZQ2::BasicProperties::GetInteger("CHECKMARK_ITEM_Y");
    const int dx = ZQ2::BasicProperties::GetInteger("CHECKMARK_ITEM_DELTA_X");
    const int dy = ZQ2::BasicProperties::GetInteger("CHECKMARK_ITEM_DELTA_Y");
    ClickObject* previous = nullptr;
    for (ClickObject* entry : GetStack()) {
        if (!entry->IsItem())
            continue;
        // A second booking of one item shows its mark a little aside.
        const int f = entry == previous ? 1 : 0;
        previous = entry;
        ZQ2::SmartPtr<ZQ2::Sprite> mark(new ZQ2::Sprite(static_cast<float>(x + f * dx), static_cast<float>(y + f * dy),
                                                        ZQ2::ResourceLookup::GetImage("OBJ_CHECKMARK", kSection, nullptr)));
        mark->SetVisible(true);
        ZQ2::GameTree::LinkNodeUnder(entry, mark.Get());
        m_CheckMarks.push_back(mark);
    }
}

// ---- delivery and pick-up

bool DelvorBoss::UseItem(ClickObject* target) {
    ClearScoreSpots();
    if (target)
        target->StartDelivery();
    bool delivered = false;
    for (int hand = MAX_ITEMS - 1; hand >= 0 && target; --hand) {
        ClickObject* item = m_apHands[hand];
        if (!item || !target->UseItem(item))
            continue;
        if (!delivered)
            PlaySound("SOUND_DOVIDI_DELIVER");
        delivered = true;
        RemoveItem(item);
        ++m_iItemsUsed;
        if (!CanUseMoreThanOneItemOnHole())
            break;
    }
    if (target)
        target->EndDelivery();
    ClearScoreSpots();
    return delivered;
}

void DelvorBoss::PickupItemsInQueue() {
    if (GetState() != STATE_HOME)
        return;
    SceneGame* level = Level();
    const bool dayOver = level && level->GetGameState() >= SceneGame::STATE_DOVIDI_GOING_HOME;
    int free = GetNumItemsFree();
    // Once the day is over nothing queued can be delivered any more: the
    // queue empties whole, full hands or not, so no check mark outlives it.
    while (!GetStack().empty() && (free > 0 || dayOver)) {
        ClickObject* entry = GetStack()[0];
        const bool picked = free > 0 && entry->IsItem() && entry->DoPickupItem();
        if (picked)
            PlaySound("SOUND_DOVIDI_PICKUP_ITEM");
        else if (!dayOver)
            break;
        RemoveFromStack(0);
        --free;
        UpdateCheckMarks();
    }
    m_iItemsUsed = 0;
}

// ---- pictures and walking

void DelvorBoss::ResetImage() {
    if (GetNumItems() > 0) {
        SetCharacterImage(IMAGE_WALK_FRONT_CARRY);
        return;
    }
    if (IsInHomeArea())
        StartIdleRoutine();
    SetCharacterImage(IMAGE_STANDING_EMPTY);
}

void DelvorBoss::SetIdleImage(bool idle) { SetCharacterImage(idle ? IMAGE_IDLE : IMAGE_STANDING); }

void DelvorBoss::GetShadowImage(std::string& name) { name = "SHADOW_VURU"; }

void DelvorBoss::Walk(DVNode* route, ClickObject* target) {
    SetBossActivity(ACTIVITY_WALKING);
    SceneGame* level = Level();
    if (level && level->GetTutorialState() == kTutorialVuruWalks && GetVuruState() >= 0)
        level->ShowTutorial(kTutorialVuruWalks, false);
    DelvorCharacter::Walk(route, target);
}

bool DelvorBoss::DoWalkFinished() {
    SetRealPosToCurPos();
    SetBossActivity(ACTIVITY_NONE);
    if (IsInHomePosition() && GetNumItems() == 0)
        StartIdleRoutine();
    else
        ClearIdleModifier();
    return DelvorCharacter::DoWalkFinished();
}

// ---- the end of the day

void DelvorBoss::DoWinLossAnimation(ZQ2::Modifier* container, bool won) {
    if (!won) {
        DelvorCharacter::DoWinLossAnimation(container, won);
        return;
    }
    SetWalkModifier(nullptr);
    ClearIdleModifier();
    SetCharacterImage(IMAGE_WIN);
    const int delay = ZQ2::Random::Instance()->GetInt(1, 1000);
    SceneGame* level = Level();
    if (!container) {
        if (!level || !level->GetAnimContainer())
            return;
        container = new ZQ2::ModifierContainer(std::string(), true);
        ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), container);
    }
    ZQ2::Modifier* pause = ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierDelay(delay), this);
    SetWalkModifier(pause);
    ZQ2::Modifier* jump = ZQ2::AnimTree::LinkNodeUnder(
        pause, new ModifierBossWin(ZQ2::BasicProperties::GetInteger("CHARACTER_WINLOSS_FRAMESPEED"), 1), this);
    ZQ2::AnimTree::LinkNodeUnder(
        jump, new ZQ2::ModifierDelegate<DelvorCharacter>(this, &DelvorCharacter::DoRestartWinLossAnimation), this);
}

void DelvorBoss::EndWinLossAnimation() {
    DelvorCharacter::EndWinLossAnimation();
    SetLocation(m_HomePosition.x, m_HomePosition.y);
}

// ---- one jump

const ZQ2::RTTI* const ModifierBossWin::rttis[] = {&ZQ2::Modifier::rtti, nullptr};
const ZQ2::RTTI ModifierBossWin::rtti("ModifierBossWin", ModifierBossWin::rttis);

ModifierBossWin::ModifierBossWin(int frameTimeMs, int count) : m_iFrameTime(frameTimeMs), m_iCount(count) {
    m_nOptions |= OPTION_BLOCKING;
}

void ModifierBossWin::Tick(int elapsedMs) {
    auto* boss = ZQ2::DynamicCast<DelvorCharacter>(GetClient());
    if (!boss) {
        EndModifier();
        return;
    }
    if (!m_bStarted) {
        m_bStarted = true;
        boss->SetCharacterImage(DelvorBoss::IMAGE_WIN);
        boss->SetCurrentFrame(0);
        boss->SetY(boss->GetY() - JUMP_HEIGHT);
        boss->RelocateShadow(boss->GetX(), boss->GetY() + JUMP_HEIGHT);
        m_iTimeLeft = m_iFrameTime;
    }
    m_iTimeLeft -= elapsedMs;
    if (m_iTimeLeft > 0)
        return;
    ZQ2::Image* image = boss->GetImage();
    const int frames = image && image->GetFrameCount() > 0 ? image->GetFrameCount() : 1;
    if (boss->GetCurrentFrame() + 1 < frames) {
        boss->SetCurrentFrame(boss->GetCurrentFrame() + 1);
        m_iTimeLeft += m_iFrameTime;
        return;
    }
    boss->SetY(boss->GetY() + JUMP_HEIGHT);
    EndModifier();
}
