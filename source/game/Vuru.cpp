#include "source/game/Vuru.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "engine/core/Random.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/Image.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/modifier/ModifierLocationLine.h"
#include "engine/modifier/ModifierMethod.h"
#include "engine/modifier/ModifierScale.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorHole.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"

namespace {

const char* const kSection = "delvor";
constexpr int kUpgradeVuruWalk = 2;
constexpr int kUpgradeNotes = 3;
// Score types of her work.
constexpr int kScoreSurvey = 3;
constexpr int kScoreTool = 4;
constexpr int kScoreBronze = 11;
constexpr int kScoreSilver = 12;
constexpr int kScoreGold = 13;
// The crate lid a photographed find flies into; its floating score rises there.
constexpr int kArtifactLid = 0;
// The request kind a hole matches her against.
constexpr int kRequestKindVuru = 3;
constexpr int kTutorialToolUsed = 11;
constexpr int kTutorialAfterTool = 12;
constexpr int kGameStateBossesWalkIn = 3;
// A second request drawn equal to the first is drawn again, at most this often.
constexpr int kRedraws = 32;

int Constant(const char* key) { return ZQ2::BasicProperties::GetInteger(key); }

// A frame time of 0 would turn pictures endlessly within one frame.
int FrameTime(const char* key) { return std::max(1, Constant(key)); }

bool IsBottle(int code) { return code == Vuru::REQUEST_BOTTLE || code == Vuru::REQUEST_BOTTLE_MULTI; }

// Both bottle codes ask for the one bottle.
bool SameTool(int a, int b) { return a == b || (IsBottle(a) && IsBottle(b)); }

void PlayDelvorSound(const char* name) {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, kSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

ZQ2::Image* DelvorImage(const std::string& key) { return ZQ2::ResourceLookup::GetImage(key, kSection, nullptr); }

// Over the find's middle, but kept on the screen: a name is wider than a
// find, and holes lie near the site's edges.
void CentreArtifactText(ZQ2::Label* label, ZQ2::Sprite* artifact, float screenWidth) {
    label->Update();
    const float width = label->GetWidth();
    const float parentX = label->GetParentX();
    float x = artifact->GetX() - width / 2.0f;
    if (screenWidth > width)
        x = std::clamp(x, -parentX, screenWidth - width - parentX);
    label->SetLocation(x, label->GetY());
}

}  // namespace

const ZQ2::RTTI* const Vuru::rttis[] = {&DelvorBoss::rtti, nullptr};
const ZQ2::RTTI Vuru::rtti("Vuru", Vuru::rttis);
ZQ2::ObjectInitializer Vuru::m_ObjectInitializer("Vuru", &Vuru::OnData);

Vuru::Vuru(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target, ZQ2::iGuiMethod::Method callback)
    : DelvorBoss(x, y, image, target, callback) {}

Vuru::Vuru(ZQ2::AbstractProperty* node) : DelvorBoss(node) {}

Vuru::~Vuru() {
    EndActivity();
    if (m_spArtifactText)
        m_spArtifactText->SetObsolete(true);
}

ZQ2::BaseObject* Vuru::OnData(ZQ2::AbstractProperty* node) { return new Vuru(node); }

const std::string& Vuru::GetImageKey(int code) {
    static const std::array<std::string, IMAGE_CODE_COUNT + 1> keys = [] {
        std::array<std::string, IMAGE_CODE_COUNT + 1> table;
        table[IMAGE_STANDING] = "VURU_DEFAULT";
        table[IMAGE_STANDING_EMPTY] = "VURU_IDLE_HOLE";
        table[IMAGE_WALK_BACK] = "VURU_WALK_BACK";
        table[IMAGE_WALK_FRONT] = "VURU_WALK_FRONT";
        table[IMAGE_WALK_SIDE] = "VURU_WALK_SIDE";
        table[IMAGE_ACTIVITY] = "VURU_ACTIVITY";
        table[IMAGE_WIN] = "VURU_WIN";
        table[IMAGE_LOSE] = "VURU_LOSE";
        table[IMAGE_IDLE] = "VURU_IDLE";
        return table;
    }();
    return code >= 0 && code <= IMAGE_CODE_COUNT ? keys[code] : keys[0];
}

void Vuru::Init() {
    const int speed = Constant("VURU_WALKSPEED");
    const int y = Constant("VURU_HOME_Y");
    const int x = Constant("VURU_HOME_X");
    SetupCharacter("VURU_DEFAULT", static_cast<float>(x), static_cast<float>(y), speed);
    SetWalkPixelsPerFrame(Constant("VURU_WALK_PIXELS_PER_FRAME"));
    GotoTent();
}

void Vuru::GotoTent() {
    SetX(static_cast<float>(Constant("VURU_TENT_X")));
    SetY(static_cast<float>(Constant("VURU_TENT_Y")) + GetHeight());
    SetRealPosToCurPos();
}

// ---- her hole

void Vuru::SetHole(DelvorHole* hole, bool blocks) {
    SceneGame* level = Level();
    if (blocks && level && m_spHole)
        level->GetPathFinder().ActivateBlock(m_spHole->GetBlockIndexForHole(0), false);
    m_spHole = hole;
    SetCurrentHole(hole);
    if (blocks && level && hole)
        level->GetPathFinder().ActivateBlock(hole->GetBlockIndexForHole(0), true);
}

bool Vuru::IsHoleInStack(DelvorHole* hole) const {
    const auto& stack = GetStack();
    return hole && std::find(stack.begin(), stack.end(), hole) != stack.end();
}

bool Vuru::CanAddHoleToStack(ClickObject* target) {
    auto* hole = ZQ2::DynamicCast<DelvorHole>(target);
    if (!hole || target->GetRTTI().GetName() != "DelvorHole")
        return false;
    return hole != m_spHole.Get() && hole != GetCurrentHole() && !IsHoleInStack(hole);
}

// ---- her requests

int Vuru::GetVuruRequests(int& first, int& second) const {
    first = m_aiRequests[0];
    second = m_aiRequests[1];
    return second != 0 ? 2 : 1;
}

void Vuru::SetRequest(int slot, int code) {
    if (slot < 0 || slot >= REQUEST_SLOTS)
        return;
    m_aiRequests[slot] = code;
    m_iNumRequests = static_cast<int>(std::count_if(std::begin(m_aiRequests), std::end(m_aiRequests),
                                                    [](int request) { return request != 0; }));
    if (m_iNumRequests > 0)
        m_bRequestsMet = false;
}

int Vuru::GetRequest(int slot) const { return slot >= 0 && slot < REQUEST_SLOTS ? m_aiRequests[slot] : 0; }

void Vuru::RemoveRequest(int code) {
    if (code == 0)
        return;
    int* found = std::find(std::begin(m_aiRequests), std::end(m_aiRequests), code);
    if (found == std::end(m_aiRequests))
        return;
    *found = 0;
    if (m_iNumRequests > 0)
        --m_iNumRequests;
    m_bRequestsMet = m_iNumRequests == 0;
}

bool Vuru::DoesVuruNeedItem(ClickObject* item, int& request) {
    if (!item)
        return false;
    // A slot already served is empty; the other may still be open.
    for (int code : m_aiRequests) {
        if (code != 0 && item->MatchesRequest(code, -1)) {
            request = code;
            return true;
        }
    }
    return false;
}

int Vuru::DrawRequest(int kinds) const { return REQUEST_SIFTER + ZQ2::Random::Instance()->GetInt(0, kinds); }

void Vuru::SetupVuruRequests() {
    SceneGame* level = Level();
    std::fill(std::begin(m_aiRequests), std::end(m_aiRequests), 0);
    m_iNumRequests = 0;
    m_bRequestsMet = false;
    if (!level)
        return;
    if (level->TutorialChooseVuruRequests()) {
        m_iNumRequests = 2;
        level->ShowTutorial(10, true);
        return;
    }
    const SceneGame::LevelVariables& vars = level->GetVariables();
    const int bottles = vars.iSprayBottle;
    ZQ2::Random* random = ZQ2::Random::Instance();
    const int count = vars.fChanceVuruWantsTwoItems > random->NextFloat() ? 2 : 1;
    const int kinds = bottles < 1 ? 2 : 3;
    for (int slot = 0; slot < count; ++slot) {
        int code = DrawRequest(kinds);
        for (int redraw = 0; slot == 1 && SameTool(code, m_aiRequests[0]) && redraw < kRedraws; ++redraw)
            code = DrawRequest(kinds);
        if (slot == 1 && SameTool(code, m_aiRequests[0]))
            code = m_aiRequests[0] == REQUEST_SIFTER ? REQUEST_BRUSH : REQUEST_SIFTER;
        if (code == REQUEST_BOTTLE && bottles > 1 && vars.fChanceBottleMultiColor > random->NextFloat())
            code = REQUEST_BOTTLE_MULTI;
        SetRequest(slot, code);
    }
}

// ---- mood

bool Vuru::IsImpatient() const {
    SceneGame* level = Level();
    return level && level->GetElapsedTime(0) - m_iMoodResetTime > level->GetImpatienceTime();
}

void Vuru::ResetMood() {
    SceneGame* level = Level();
    m_iMoodResetTime = level ? level->GetCurrentTimestamp() : 0;
}

int Vuru::GetUpgradedArtifactTime() {
    const int time = Constant("TIME_NOTES");
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    const int percent = upgrades ? upgrades->GetCurrentUpgradeValue(kUpgradeNotes) : 0;
    return percent != 0 ? time * percent / 100 : time;
}

int Vuru::GetUpgradedWalkSpeed() const {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    return upgrades ? upgrades->GetCurrentUpgradeValue(kUpgradeVuruWalk) : 0;
}

// ---- pictures

void Vuru::SetCharacterImage(int code) {
    const bool mirrored = code < 0;
    const int picture = mirrored ? -code : code;
    DelvorBoss::SetCharacterImage(code);
    const std::string& key = GetImageKey(picture);
    if (!key.empty())
        SetImage(DelvorImage(key));
    SetFlipImageHorizontal(mirrored);
    OnChangeVuruAnimState();
}

void Vuru::ResetImage() {
    if (m_spHole && m_iVuruState != VURU_IDLE) {
        SetCharacterImage(IMAGE_STANDING_EMPTY);
        return;
    }
    if (IsInHomeArea())
        StartIdleRoutine();
    SetCharacterImage(IMAGE_STANDING);
}

void Vuru::SetIdleImage(bool idle) {
    const bool waiting = m_iVuruState == VURU_WAITING_FOR_TOOLS;
    if (!idle) {
        SetCharacterImage(waiting ? IMAGE_STANDING_EMPTY : IMAGE_STANDING);
        return;
    }
    if (!waiting) {
        SetCharacterImage(IMAGE_IDLE);
        return;
    }
    // Waiting at a hole she blinks, and taps her foot once impatient.
    SetImage(DelvorImage(IsImpatient() ? "VURU_IMPATIENT" : "VURU_IDLE_HOLE"));
    OnChangeVuruAnimState();
}

int Vuru::GetAdjustedIdleFrameSpeed() const {
    if (m_iVuruState == VURU_WAITING_FOR_TOOLS)
        return ClickObject::GetAdjustedIdleFrameSpeed();
    return Constant("TIME_VURU_IDLE_FRAMESPEED_READ_MAP");
}

void Vuru::StartIdleRoutine() {
    if (m_iVuruState == VURU_WAITING_FOR_TOOLS) {
        ClickObject::StartIdleRoutine();
        return;
    }
    // Away from the holes she reads her map now and then; without a wait
    // between readings the cycle would restart within one frame.
    int min = 0;
    int max = 0;
    GetIdleTime(min, max);
    if (std::max(min, max) <= 0) {
        ClearIdleModifier();
        return;
    }
    ZQ2::ModifierContainer* container = CreateIdleModifier();
    if (!container)
        return;
    ZQ2::Modifier* delay = ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierDelay(DrawIdleDelay(min, max)), this);
    ZQ2::AnimTree::LinkNodeUnder(delay, new ZQ2::ModifierFunction(this, &ClickObject::DoIdleAnimationStart, std::string()));
    ZQ2::Modifier* frames = ZQ2::AnimTree::LinkNodeUnder(
        delay,
        new ZQ2::ModifierFrame(FrameTime("TIME_IDLE_MAP_READ_FRAMERATE"),
                               std::max(1, Constant("VURU_IDLE_MAP_READ_NUM_LOOPS")), ZQ2::FRAME_FORWARD),
        this);
    ZQ2::AnimTree::LinkNodeUnder(frames, new ZQ2::ModifierFunction(this, &ClickObject::DoIdleAnimationEnd, std::string()));
}

bool Vuru::MatchesRequest(int kind, int) const { return kind == kRequestKindVuru; }

bool Vuru::HasRolloverHighlight() const {
    return m_spHole && m_spHole->GetHoleState() == DelvorHole::HOLE_REQUEST && m_iVuruState == VURU_WAITING_FOR_TOOLS;
}

void Vuru::GetActionDirection(int& dx, int& dy) {
    const bool home = GetState() == STATE_HOME;
    dx = home ? 0 : -1;
    dy = home ? -1 : 0;
}

void Vuru::SetVuruState(int state) {
    m_iVuruState = state;
    if (state == VURU_USING_TOOL)
        ClearIdleModifier();
}

// ---- her work chains

ZQ2::ModifierContainer* Vuru::NewActivity() {
    EndActivity();
    SceneGame* level = Level();
    if (!level || !level->GetAnimContainer())
        return nullptr;
    m_pActivityModifier = new ZQ2::ModifierContainer(std::string(), true);
    m_pActivityModifier->AddRef();
    ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), m_pActivityModifier);
    return m_pActivityModifier;
}

void Vuru::EndActivity() { EndHeld(m_pActivityModifier); }

void Vuru::PlayWork(const char* image, const char* frameKey, const char* sound, int timeMs, void (Vuru::*method)()) {
    SetImage(DelvorImage(image));
    SetCurrentFrame(0);
    OnChangeVuruAnimState();
    PlayDelvorSound(sound);
    ZQ2::ModifierContainer* container = NewActivity();
    if (!container)
        return;
    ZQ2::AnimTree::LinkNodeUnder(
        container, new ZQ2::ModifierFrame(FrameTime(frameKey), ZQ2::ModifierFrame::LOOP_ENDLESS, ZQ2::FRAME_FORWARD), this);
    ZQ2::Modifier* delay = ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierDelay(std::max(0, timeMs)));
    ZQ2::AnimTree::LinkNodeUnder(delay, ZQ2::ConstructModifierMethod(this, method));
}

void Vuru::DoActivityAnimation(bool on) {
    if (!on) {
        EndActivity();
        SetCharacterImage(IMAGE_STANDING_EMPTY);
        return;
    }
    SetCharacterImage(IMAGE_ACTIVITY);
    SetCurrentFrame(0);
    if (ZQ2::ModifierContainer* container = NewActivity())
        ZQ2::AnimTree::LinkNodeUnder(container,
                                     new ZQ2::ModifierFrame(FrameTime("VURU_ACTIVITY_FRAMESPEED"),
                                                            ZQ2::ModifierFrame::LOOP_ENDLESS, ZQ2::FRAME_FORWARD),
                                     this);
}

void Vuru::RebuildRequestBalloon() {
    if (m_spHole)
        m_spHole->SetupRequestBalloon();
}

// ---- what next

void Vuru::DetermineNextVuruTask() {
    DelvorHole* hole = m_spHole.Get();
    if (!hole || !hole->DoesObjectMatchRequest(this)) {
        SetVuruState(VURU_IDLE);
        return;
    }
    const int holeState = hole->GetHoleState();
    if (holeState == DelvorHole::HOLE_SURVEY) {
        SetVuruState(VURU_SURVEYING);
        return;
    }
    if (holeState != DelvorHole::HOLE_REQUEST || !hole->IsCurrentHoleLayerAnArtifact())
        return;
    switch (m_iVuruState) {
    case VURU_WAITING_FOR_TOOLS:
        SetVuruState(VURU_USING_TOOL);
        break;
    case VURU_USING_TOOL:
        if (m_ToolQueue.empty())
            SetVuruState(VURU_PROCESSING);
        break;
    case VURU_TAKING_NOTES:
        SetVuruState(VURU_WAITING_FOR_TOOLS);
        hole->SetupRequestBalloon();
        break;
    default:
        SetVuruState(VURU_TAKING_NOTES);
        break;
    }
}

bool Vuru::UseItem(ClickObject* target) {
    auto* hole = ZQ2::DynamicCast<DelvorHole>(target);
    if (hole)
        SetHole(hole, true);
    if (target && target->UseItem(this)) {
        if (hole)
            DetermineNextVuruTask();
        return true;
    }
    SetHole(nullptr, true);
    return false;
}

bool Vuru::UseTool(int code) {
    ClearIdleModifier();
    DelvorHole* hole = m_spHole.Get();
    SceneGame* level = Level();
    if (!hole)
        return false;
    if (level)
        level->AddPointsByType(kScoreTool, IsImpatient(), this, -1);
    if (hole->GetHoleState() == DelvorHole::HOLE_WORKING) {
        m_ToolQueue.push_back(code);
        return true;
    }
    if (level && level->GetTutorialState() == kTutorialToolUsed)
        level->ShowTutorial(kTutorialAfterTool, true);
    switch (code) {
    case REQUEST_SIFTER:
        hole->DoSifter();
        return true;
    case REQUEST_BRUSH:
        hole->DoBrush();
        return true;
    case REQUEST_BOTTLE:
    case REQUEST_BOTTLE_MULTI:
        hole->DoBottle();
        return true;
    default:
        return false;
    }
}

bool Vuru::DoWalkFinished() {
    ClearCurrentRoutine();
    SetRealPosToCurPos();
    ClearIdleModifier();
    SetNextDestination(nullptr);
    SceneGame* level = Level();
    if ((level && level->GetGameState() == kGameStateBossesWalkIn) || !m_spHole)
        return DelvorBoss::DoWalkFinished();
    // She stands at her hole: no longer walking.
    SetState(IsInHomeArea() ? STATE_HOME : STATE_ELSEWHERE);
    switch (m_iVuruState) {
    case VURU_SURVEYING:
    case VURU_TAKING_NOTES:
        RebuildRequestBalloon();
        if (level)
            level->GetClickHandler().UpdateCheckMarks();
        if (m_iVuruState == VURU_SURVEYING)
            SurveyHole();
        else
            PreProcessArtifact();
        return true;
    case VURU_WAITING_FOR_TOOLS:
        ResetMood();
        SetCharacterImage(IMAGE_STANDING_EMPTY);
        StartIdleRoutine();
        return true;
    case VURU_USING_TOOL:
        if (!m_ToolQueue.empty()) {
            const int code = m_ToolQueue.back();
            m_ToolQueue.pop_back();
            UseTool(code);
            return true;
        }
        if (!m_bRequestsMet) {
            SetVuruState(VURU_WAITING_FOR_TOOLS);
            ResetMood();
            SetCharacterImage(IMAGE_STANDING_EMPTY);
            StartIdleRoutine();
            RebuildRequestBalloon();
            return true;
        }
        SetVuruState(VURU_PROCESSING);
        [[fallthrough]];
    case VURU_PROCESSING:
        RebuildRequestBalloon();
        ProcessArtifact();
        return true;
    default:
        return DelvorBoss::DoWalkFinished();
    }
}

// ---- survey and notes

void Vuru::SurveyHole() {
    SceneGame* level = Level();
    const int time = level ? level->GetVariables().iTimeSurvey : 0;
    PlayWork("VURU_SURVEY", "TIME_SURVEY_FRAME", "SOUND_VURU_SURVEYS", time, &Vuru::DoSurveyFinished);
}

void Vuru::DoSurveyFinished() {
    EndActivity();
    SetVuruState(VURU_IDLE);
    if (SceneGame* level = Level())
        level->AddPointsByType(kScoreSurvey, false, nullptr, -1);
    ZQ2::SmartPtr<DelvorHole> hole = m_spHole;
    SetHole(nullptr, true);
    if (hole)
        hole->SurveyHole();
    DoWalkFinished();
}

void Vuru::PreProcessArtifact() {
    SceneGame* level = Level();
    if (level && m_spHole) {
        const char letter = m_spHole->GetCurrentHoleLayer();
        const int type = letter == 'G' ? kScoreGold : letter == 'S' ? kScoreSilver : kScoreBronze;
        m_iArtifactValue = level->GetArtifactScore(type);
    }
    PlayWork("VURU_NOTES", "TIME_NOTES_FRAME", "SOUND_VURU_TAKES_NOTES", GetUpgradedArtifactTime(),
             &Vuru::DoPreProcessArtifactFinished);
}

void Vuru::DoPreProcessArtifactFinished() {
    EndActivity();
    SetCharacterImage(IMAGE_STANDING_EMPTY);
    SetupVuruRequests();
    DetermineNextVuruTask();
    DoWalkFinished();
}

// ---- photograph and crate

void Vuru::ProcessArtifact() {
    ZQ2::ModifierContainer* container = NewActivity();
    if (!container)
        return;
    ZQ2::Modifier* last = ZQ2::AnimTree::LinkNodeUnder(container, new ModifierVuruTakesPhoto(), this);
    last = ZQ2::AnimTree::LinkNodeUnder(last, ZQ2::ConstructModifierMethod(this, &Vuru::DoShowArtifactText));
    last = ZQ2::AnimTree::LinkNodeUnder(last, new ZQ2::ModifierDelay(std::max(0, Constant("TIME_PHOTO_ZOOM_UP"))));
    last = ZQ2::AnimTree::LinkNodeUnder(last, ZQ2::ConstructModifierMethod(this, &Vuru::DoProcessArtifactHideArtifact));
    last = ZQ2::AnimTree::LinkNodeUnder(
        last, new ZQ2::ModifierDelay(std::max(0, Constant("TIME_ARTIFACT_TO_CRATE_BRIEF_DELAY"))));
    last = ZQ2::AnimTree::LinkNodeUnder(last, ZQ2::ConstructModifierMethod(this, &Vuru::DoArtifactFliesToCrate));
    last = ZQ2::AnimTree::LinkNodeUnder(last, new ZQ2::ModifierDelay(std::max(0, Constant("TIME_ITEM_ZOOM_TO_BIN"))));
    ZQ2::AnimTree::LinkNodeUnder(last, ZQ2::ConstructModifierMethod(this, &Vuru::DoProcessArtifactFinished));
}

void Vuru::DoShowArtifactText() {
    SetCharacterImage(IMAGE_STANDING_EMPTY);
    SceneGame* level = Level();
    if (!m_spHole || !level)
        return;
    m_spHole->MoveArtifactToFront(true);
    ZQ2::Sprite* artifact = m_spHole->GetArtifactSprite();
    if (!artifact)
        return;
    const float scale = ZQ2::BasicProperties::GetFloat("HOLE_ARTIFACT_SCALE");
    if (m_pActivityModifier && scale > 0.0f)
        ZQ2::AnimTree::LinkNodeUnder(m_pActivityModifier,
                                     new ZQ2::ModifierScale(1.0f, scale, std::max(0, Constant("TIME_PHOTO_ZOOM_UP")), false),
                                     artifact);
    char key[64];
    std::snprintf(key, sizeof key, "TEXT_ARTIFACT_%s_%02d", level->GetCurrentCountryResourceName().c_str(),
                  m_spHole->GetArtifactNumber());
    auto* font = ZQ2::DynamicCast<ZQ2::Font>(ZQ2::ResourceLookup::GetResource("FONT_Artifacts", kSection));
    auto* label = new ZQ2::Label(font, artifact->GetX(), artifact->GetY() - 30.0f, 300.0f, 30.0f, ZQ2::TEXTWRAP_AUTOWIDTH);
    m_spArtifactText = label;
    label->SetText(ZQ2::BasicProperties::GetString(key));
    label->SetVisible(true);
    ZQ2::GameTree::LinkNodeAfter(artifact, label);
    CentreArtifactText(label, artifact, level->GetWidth());
}

void Vuru::DoProcessArtifactHideArtifact() {
    if (m_spArtifactText) {
        m_spArtifactText->SetVisible(false);
        m_spArtifactText->SetObsolete(true);
        m_spArtifactText = nullptr;
    }
    if (m_spHole)
        m_spHole->ShowRequestBalloon(false);
}

void Vuru::DoArtifactFliesToCrate() {
    SceneGame* level = Level();
    ZQ2::Sprite* artifact = m_spHole ? m_spHole->GetArtifactSprite() : nullptr;
    if (!level || !artifact || !m_pActivityModifier)
        return;
    PlayDelvorSound("SOUND_ARTIFACT_FLIES_TO_CRATE");
    const ZQ2::Point_t<float> lid = level->GetLidCoordinates(kArtifactLid);
    ZQ2::AnimTree::LinkNodeUnder(m_pActivityModifier,
                                 new ZQ2::ModifierLocationLine(artifact->GetX(), artifact->GetY(), lid.x, lid.y,
                                                               std::max(0, Constant("TIME_ITEM_ZOOM_TO_BIN")), false),
                                 artifact);
    if (ZQ2::Sprite* cover = level->GetLidSprite(kArtifactLid))
        ZQ2::AnimTree::LinkNodeUnder(
            m_pActivityModifier, new ZQ2::ModifierFrame(FrameTime("TIME_ARTIFACT_LID_FRAMERATE"), 1, ZQ2::FRAME_SWITCH),
            cover);
}

void Vuru::DoProcessArtifactFinished() {
    EndActivity();
    SetVuruState(VURU_IDLE);
    SceneGame* level = Level();
    ZQ2::SmartPtr<DelvorHole> hole = m_spHole;
    if (level && hole) {
        const char letter = hole->GetCurrentHoleLayer();
        const int type = letter == 'G' ? kScoreGold : letter == 'S' ? kScoreSilver : kScoreBronze;
        level->AddPointsByType(type, false, nullptr, kArtifactLid);
        level->AddArtifactToBin(hole->GetArtifactNumber());
    }
    SetHole(nullptr, true);
    m_iArtifactValue = -1;
    if (hole)
        hole->FinishExcavation();
    DoWalkFinished();
}

// ---- the photograph

const ZQ2::RTTI* const ModifierVuruTakesPhoto::rttis[] = {&ZQ2::Modifier::rtti, nullptr};
const ZQ2::RTTI ModifierVuruTakesPhoto::rtti("ModifierVuruTakesPhoto", ModifierVuruTakesPhoto::rttis);

ModifierVuruTakesPhoto::ModifierVuruTakesPhoto() { m_nOptions |= OPTION_BLOCKING; }

void ModifierVuruTakesPhoto::Enter(int phase, int timeMs) {
    m_iPhase = phase;
    m_iTimeLeft = timeMs;
}

void ModifierVuruTakesPhoto::Tick(int elapsedMs) {
    auto* vuru = ZQ2::DynamicCast<Vuru>(GetClient());
    if (!vuru) {
        EndModifier();
        return;
    }
    if (m_iPhase == PHASE_START) {
        vuru->SetImage(DelvorImage("VURU_CAMERA"));
        vuru->SetCurrentFrame(0);
        vuru->OnChangeVuruAnimState();
        Enter(PHASE_BEFORE, Constant("TIME_PHOTO_PAUSE_BEFORE_PIC"));
        return;
    }
    m_iTimeLeft -= elapsedMs;
    if (m_iTimeLeft > 0)
        return;
    ZQ2::Image* image = vuru->GetImage();
    const int frames = image && image->GetFrameCount() > 0 ? image->GetFrameCount() : 1;
    switch (m_iPhase) {
    case PHASE_BEFORE:
        // The picture is taken: the flash frame, with its sound.
        PlayDelvorSound("SOUND_VURU_PHOTOGRAPHS");
        vuru->SetCurrentFrame(std::min(1, frames - 1));
        Enter(PHASE_DURING, Constant("TIME_PHOTO_PAUSE_DURING_PIC"));
        return;
    case PHASE_DURING:
        vuru->SetCurrentFrame(0);
        Enter(PHASE_AFTER, Constant("TIME_PHOTO_PAUSE_AFTER_PIC"));
        return;
    case PHASE_AFTER:
        Enter(PHASE_LOWERING, FrameTime("TIME_PHOTO_LOWER_CAMERA_FRAMERATE"));
        if (frames > 2)
            vuru->SetCurrentFrame(2);
        return;
    default:
        if (vuru->GetCurrentFrame() + 1 < frames && vuru->GetCurrentFrame() >= 2) {
            vuru->SetCurrentFrame(vuru->GetCurrentFrame() + 1);
            m_iTimeLeft += FrameTime("TIME_PHOTO_LOWER_CAMERA_FRAMERATE");
            return;
        }
        EndModifier();
        return;
    }
}
