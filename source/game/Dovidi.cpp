#include "source/game/Dovidi.h"

#include <algorithm>
#include <array>

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"

namespace {

constexpr int kUpgradeDovidi = 1;

struct Spot {
    float x;
    float y;
};
constexpr Spot kScoreSpots[Dovidi::SCORE_SPOT_COUNT] = {{0.0f, -15.0f}, {-50.0f, 35.0f}, {50.0f, 35.0f}};

// The hand keys of one carrying picture: x and y of hand 0, then of hand 1.
struct HandKeys {
    const char* keys[4];
};
constexpr HandKeys kBackWalk = {{"DOVIDI_BACKWALK_HAND1_X", "DOVIDI_BACKWALK_HAND1_Y", "DOVIDI_BACKWALK_HAND2_X",
                                 "DOVIDI_BACKWALK_HAND2_Y"}};
constexpr HandKeys kFrontWalk = {{"DOVIDI_FRONTWALK_HAND1_X", "DOVIDI_FRONTWALK_HAND1_Y", "DOVIDI_FRONTWALK_HAND2_X",
                                  "DOVIDI_FRONTWALK_HAND2_Y"}};
constexpr HandKeys kLeftWalk = {{"DOVIDI_LEFTWALK_HAND1_X", "DOVIDI_LEFTWALK_HAND1_Y", "DOVIDI_LEFTWALK_HAND2_X",
                                 "DOVIDI_LEFTWALK_HAND2_Y"}};
constexpr HandKeys kRightWalk = {{"DOVIDI_RIGHTWALK_HAND1_X", "DOVIDI_RIGHTWALK_HAND1_Y", "DOVIDI_RIGHTWALK_HAND2_X",
                                  "DOVIDI_RIGHTWALK_HAND2_Y"}};

const HandKeys* KeysFor(int code, bool mirrored) {
    switch (code) {
    case DelvorBoss::IMAGE_WALK_BACK_CARRY:
        return &kBackWalk;
    case DelvorBoss::IMAGE_WALK_FRONT_CARRY:
        return &kFrontWalk;
    case DelvorBoss::IMAGE_WALK_SIDE_CARRY:
        return mirrored ? &kLeftWalk : &kRightWalk;
    default:
        return nullptr;
    }
}

}  // namespace

const ZQ2::RTTI* const Dovidi::rttis[] = {&DelvorBoss::rtti, nullptr};
const ZQ2::RTTI Dovidi::rtti("Dovidi", Dovidi::rttis);
ZQ2::ObjectInitializer Dovidi::m_ObjectInitializer("Dovidi", &Dovidi::OnData);

Dovidi::Dovidi(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback)
    : DelvorBoss(x, y, image, target, callback) {}

Dovidi::Dovidi(ZQ2::AbstractProperty* node) : DelvorBoss(node) {}

ZQ2::BaseObject* Dovidi::OnData(ZQ2::AbstractProperty* node) { return new Dovidi(node); }

const std::string& Dovidi::GetImageKey(int code) {
    static const std::array<std::string, IMAGE_CODE_COUNT + 1> keys = [] {
        std::array<std::string, IMAGE_CODE_COUNT + 1> table;
        table[IMAGE_STANDING] = "DOVIDI_DEFAULT";
        table[IMAGE_STANDING_EMPTY] = "DOVIDI_DEFAULT";
        table[IMAGE_WALK_BACK] = "DOVIDI_WALK_BACK";
        table[IMAGE_WALK_BACK_CARRY] = "DOVIDI_WALK_BACK_CARRY";
        table[IMAGE_WALK_FRONT] = "DOVIDI_WALK_FRONT";
        table[IMAGE_WALK_FRONT_CARRY] = "DOVIDI_WALK_FRONT_CARRY";
        table[IMAGE_WALK_SIDE] = "DOVIDI_WALK_SIDE";
        table[IMAGE_WALK_SIDE_CARRY] = "DOVIDI_WALK_SIDE_CARRY";
        table[IMAGE_WIN] = "DOVIDI_WIN";
        table[IMAGE_LOSE] = "DOVIDI_LOSE";
        table[IMAGE_IDLE] = "DOVIDI_IDLE";
        return table;
    }();
    return code >= 0 && code <= IMAGE_CODE_COUNT ? keys[code] : keys[0];
}

void Dovidi::Init() {
    const int speed = ZQ2::BasicProperties::GetInteger("DOVIDI_WALKSPEED");
    const int y = ZQ2::BasicProperties::GetInteger("DOVIDI_HOME_Y");
    const int x = ZQ2::BasicProperties::GetInteger("DOVIDI_HOME_X");
    SetupCharacter("DOVIDI_DEFAULT", static_cast<float>(x), static_cast<float>(y), speed);
    SetWalkPixelsPerFrame(ZQ2::BasicProperties::GetInteger("DOVIDI_WALK_PIXELS_PER_FRAME"));
    GotoTent();
}

void Dovidi::GotoTent() {
    SetX(static_cast<float>(ZQ2::BasicProperties::GetInteger("DOVIDI_TENT_X")));
    SetY(static_cast<float>(ZQ2::BasicProperties::GetInteger("DOVIDI_TENT_Y")) + GetHeight());
    SetRealPosToCurPos();
}

void Dovidi::SetCharacterImage(int code) {
    const bool mirrored = code < 0;
    const int picture = mirrored ? -code : code;
    DelvorBoss::SetCharacterImage(code);
    // Codes without a picture of hers keep the one she shows.
    const std::string& key = GetImageKey(picture);
    if (!key.empty())
        SetImage(ZQ2::ResourceLookup::GetImage(key, "delvor", nullptr));
    SetFlipImageHorizontal(mirrored);
    UpdateItemsInHands(picture, mirrored);
}

ZQ2::Point_t<float> Dovidi::GetObjectPositionInHands(int hand, int imageCode, bool mirrored, float& scale) {
    scale = ZQ2::BasicProperties::GetFloat("DOVIDI_ITEM_SCALE");
    const HandKeys* keys = KeysFor(imageCode, mirrored);
    if (!keys || hand < 0 || hand >= MAX_ITEMS)
        return {0.0f, 0.0f};
    const int x = ZQ2::BasicProperties::GetInteger(keys->keys[hand * 2]);
    const int y = ZQ2::BasicProperties::GetInteger(keys->keys[hand * 2 + 1]);
    return {static_cast<float>(x), static_cast<float>(y)};
}

bool Dovidi::IsInHomeArea() const { return IsInHomePosition() || IsAtTable(TABLE_TOOLS) || IsAtTable(TABLE_FOOD); }

int Dovidi::GetCurrentTable() const {
    if (IsAtTable(TABLE_TOOLS))
        return TABLE_TOOLS;
    if (IsAtTable(TABLE_FOOD))
        return TABLE_FOOD;
    return DelvorBoss::GetCurrentTable();
}

void Dovidi::WalkToTable(int table) {
    int x = 0;
    int y = 0;
    GetTableXY(table, x, y);
    int dx = 0;
    int dy = 1;
    switch (GetCurrentTable()) {
    case TABLE_HOME:
        dx = table == TABLE_TOOLS ? -1 : 1;
        dy = 0;
        break;
    case TABLE_TOOLS:
        dx = 1;
        dy = 0;
        break;
    case TABLE_FOOD:
        dx = -1;
        dy = 0;
        break;
    default:
        break;
    }
    WalkToSpot(x, y, dx, dy, -1, -1);
}

void Dovidi::GetActionDirection(int& dx, int& dy) {
    const bool home = GetState() == STATE_HOME;
    dx = home ? 0 : -1;
    dy = home ? 1 : 0;
}

bool Dovidi::CanAddHoleToStack(ClickObject* target) {
    if (!target || target->GetRTTI().GetName() != "DelvorHole")
        return false;
    if (target == GetCurrentHole() || IsNextDestination(target))
        return false;
    const auto& stack = GetStack();
    return std::find(stack.begin(), stack.end(), target) == stack.end();
}

int Dovidi::GetUpgradedWalkSpeed() const {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    return upgrades ? upgrades->GetCurrentUpgradeValue(kUpgradeDovidi) : 0;
}

void Dovidi::GetFreeScoreSpot(float& x, float& y) {
    // With all three shown, the first is shared: the caller frees none.
    int spot = 0;
    while (spot < SCORE_SPOT_COUNT && m_abScoreSpots[spot])
        ++spot;
    if (spot == SCORE_SPOT_COUNT)
        spot = 0;
    m_abScoreSpots[spot] = true;
    x = kScoreSpots[spot].x + GetX() + GetWidth() / 2.0f;
    y = kScoreSpots[spot].y + GetY() - GetHeight();
}

void Dovidi::ClearScoreSpots() { std::fill(std::begin(m_abScoreSpots), std::end(m_abScoreSpots), false); }

bool Dovidi::DoWalkFinished() {
    SceneGame* level = Level();
    if (!level || level->GetGameState() != SceneGame::STATE_DOVIDI_GOING_HOME)
        return DelvorBoss::DoWalkFinished();
    SetState(IsInHomeArea() ? STATE_HOME : STATE_ELSEWHERE);
    ClearCurrentRoutine();
    if (IsInHomePosition()) {
        SetBossActivity(ACTIVITY_NONE);
        PickupItemsInQueue();
        ClearItems();
        SetCharacterImage(IMAGE_STANDING);
        level->SetGameState(SceneGame::STATE_END_STAGE);
        return true;
    }
    // The base finish ends any walk under way, so the walk home starts after
    // it, unless her queue already sent her on.
    const bool finished = DelvorBoss::DoWalkFinished();
    if (GetState() != STATE_WALKING)
        level->SendDovidiHomeAtGameEnd();
    return finished;
}
