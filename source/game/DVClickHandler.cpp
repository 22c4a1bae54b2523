#include "source/game/DVClickHandler.h"

#include "engine/io/BasicProperties.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorBoss.h"
#include "source/game/Dovidi.h"
#include "source/game/DelvorHole.h"
#include "source/game/DelvorWorker.h"
#include "source/game/Vuru.h"
#include "source/scenes/SceneGame.h"

namespace {

const char* const kSection = "delvor";
const char* const kSoundClick = "SOUND_INGAME_CLICK";
const char* const kSoundFail = "SOUND_CHOOSE_FAIL";
constexpr int kHoleNeedsHelp = 100;

bool IsHoleByName(const ClickObject* object) { return object && object->GetRTTI().GetName() == "DelvorHole"; }

// The hole a worker stands at, or null.
ClickObject* WorkersHole(ClickObject* object) {
    auto* worker = ZQ2::DynamicCast<DelvorWorker>(object);
    return worker ? worker->GetCurrentHole() : nullptr;
}

}  // namespace

DVClickHandler::~DVClickHandler() { ClearMarks(); }

SceneGame* DVClickHandler::Level() {
    ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
    return scenes ? ZQ2::DynamicCast<SceneGame>(scenes->GetCurrentScene()) : nullptr;
}

void DVClickHandler::PlaySound(const char* name) {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, kSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

bool DVClickHandler::ProcessClick(ClickObject* object) {
    SceneGame* level = Level();
    if (!level || !object || !object->IsClickable() || !object->IsVisible())
        return false;
    const int state = level->GetGameState();
    if (state < SceneGame::STATE_RUNNING || state > SceneGame::STATE_HOLES_FINISHED ||
        !level->AdvanceStateIfTutorialAllowsClick(object))
        return false;
    if (level->GetWorkerToDrag()) {
        if (ZQ2::DynamicCast<DelvorHole>(object))
            return level->DropWorkerOnHole(object);
        if (object->IsReqBalloon() || object->IsMeter())
            return level->DropWorkerOnHole(object->GetParentHole());
        if (ClickObject* hole = WorkersHole(object))
            return level->DropWorkerOnHole(hole);
        level->SetWorkerToDrag(nullptr);
        return true;
    }
    ClickObject* target = object;
    if ((object->IsReqBalloon() || object->IsMeter()) && object->GetParentHole())
        target = object->GetParentHole();
    DetermineOperator(target);
    if (!m_pOperator)
        return false;
    if (target->IsItem()) {
        if (!target->IsBin())
            return target->DoPickupItem();
        target->DumpObjects();
        return true;
    }
    if (ZQ2::DynamicCast<Vuru>(target)) {
        ClickObject* hole = static_cast<DelvorCharacter*>(target)->GetCurrentHole();
        if (hole && hole->GetState() > kHoleNeedsHelp) {
            ProcessNextAction(hole, nullptr);
            return true;
        }
    }
    if (ZQ2::DynamicCast<DelvorBoss>(target))
        return false;
    if (target->GetRTTI().GetName() == "DelvorDigger" && target == m_pOperator)
        return false;
    if (ZQ2::DynamicCast<DelvorWorker>(target)) {
        if (ClickObject* hole = WorkersHole(target))
            ProcessNextAction(hole, nullptr);
        return true;
    }
    ProcessNextAction(target, nullptr);
    return true;
}

void DVClickHandler::SetOperator(ClickObject* candidate) {
    if (!candidate || candidate == m_pOperator)
        return;
    m_pOperator = candidate;
    UpdateCheckMarks();
}

void DVClickHandler::DetermineOperator(ClickObject* target) {
    SceneGame* level = Level();
    ClickObject* vuru = level ? level->GetVuru() : nullptr;
    ClickObject* candidate = nullptr;
    if (!m_pOperator || m_pOperator == vuru)
        candidate = level ? level->GetDovidi() : nullptr;
    if (!target) {
        SetOperator(candidate);
        return;
    }
    if (target->IsItem()) {
        if (ClickObject* boss = target->GetBoss())
            candidate = boss;
    } else if (target->CanBonkNow()) {
        target->DoBonk();
        return;
    } else if (target->ShouldVuruRespond()) {
        candidate = vuru;
    } else if (auto* worker = ZQ2::DynamicCast<DelvorWorker>(target)) {
        candidate = worker->IsInHomePosition() ? worker : nullptr;
        if (!candidate)
            return;
    }
    SetOperator(candidate);
}

int DVClickHandler::Refuse() {
    PlaySound(kSoundFail);
    return ACTION_REFUSED;
}

int DVClickHandler::ProcessNextAction(ClickObject* target, ClickObject*) {
    if (!IsHoleByName(target))
        return ACTION_REFUSED;
    auto* figure = ZQ2::DynamicCast<DelvorCharacter>(m_pOperator);
    SceneGame* level = Level();
    if (!figure || !level)
        return Refuse();
    if (figure == level->GetDovidi() && level->IsTimerExpired() && !level->IsVuruAtHole(target))
        return Refuse();
    if (figure->GetState() != DelvorCharacter::STATE_WALKING) {
        if (ZQ2::DynamicCast<DelvorWorker>(figure) && !static_cast<DelvorHole*>(target)->CanAddWorker(figure))
            return Refuse();
        if (figure == level->GetVuru() && level->GetGameState() > SceneGame::STATE_RUNNING)
            return Refuse();
        level->DoAction(target, figure);
        figure->SetNextDestination(target);
        UpdateCheckMarks();
        PlaySound(kSoundClick);
        return ACTION_STARTED;
    }
    if (!figure->CanAddHoleToStack(target))
        return Refuse();
    figure->AddToStack(target);
    PlaySound(kSoundClick);
    UpdateCheckMarks();
    return ACTION_QUEUED;
}

bool DVClickHandler::FindActionInQueue(ClickObject* character) {
    auto* figure = ZQ2::DynamicCast<DelvorCharacter>(character);
    SceneGame* level = Level();
    if (!figure || !level)
        return false;
    int index = 0;
    while (index < figure->GetStack().size()) {
        ClickObject* entry = figure->GetStack()[index];
        if (entry->IsBin()) {
            if (!figure->IsInHomePosition()) {
                figure->WalkHome();
                return true;
            }
            entry->DoPickupItem();
            figure->RemoveFromStack(index);
            figure->UpdateCheckMarks();
            return true;
        }
        if (!entry->IsItem()) {
            if (!ZQ2::DynamicCast<DelvorHole>(entry)) {
                ++index;
                continue;
            }
            figure->RemoveFromStack(index);
            level->DoAction(entry, figure);
            return true;
        }
        if (entry->GetTable() != figure->GetCurrentTable()) {
            figure->WalkToTable(entry->GetTable());
            return true;
        }
        if (figure->GetNumItemsFree() != 0)
            entry->DoPickupItem();
        figure->RemoveFromStack(index);
        figure->UpdateCheckMarks();
    }
    return false;
}

bool DVClickHandler::ClearOperator(ClickObject* object) {
    if (!object || object != m_pOperator)
        return false;
    m_pOperator = nullptr;
    return true;
}

// ---- check marks

void DVClickHandler::ClearMarks() {
    for (auto& mark : m_Marks)
        mark->SetObsolete(true);
    m_Marks.clear();
}

void DVClickHandler::UpdateCheckMarks() {
    if (!m_bShowMarks)
        return;
    ClearMarks();
    SceneGame* level = Level();
    if (!level)
        return;
    DelvorCharacter* vuru = level->GetVuru();
    DelvorCharacter* dovidi = level->GetDovidi();
    for (DelvorCharacter* figure : {vuru, dovidi}) {
        if (!figure)
            continue;
        const bool forVuru = figure == vuru;
        for (ClickObject* entry : figure->GetStack())
            AddCheckMark(entry, forVuru);
        AddCheckMark(figure->GetNextDestination(), forVuru);
    }
}

void DVClickHandler::AddCheckMark(ClickObject* object, bool forVuru) {
    if (!ZQ2::DynamicCast<DelvorHole>(object))
        return;
    const char* image = forVuru ? (m_bIcons ? "OBJ_ICON_VURU" : "OBJ_CHECKMARK_VURU")
                                : (m_bIcons ? "OBJ_ICON_DOVIDI" : "OBJ_CHECKMARK_DOVIDI");
    const int x = ZQ2::BasicProperties::GetInteger(forVuru ? "CHECKMARK_VURU_HOLE_X" : "CHECKMARK_DOVIDI_HOLE_X");
    const int y = ZQ2::BasicProperties::GetInteger(forVuru ? "CHECKMARK_VURU_HOLE_Y" : "CHECKMARK_DOVIDI_HOLE_Y");
    ZQ2::SmartPtr<ZQ2::Sprite> mark = new ZQ2::Sprite(static_cast<float>(x), static_cast<float>(y),
                                                      ZQ2::ResourceLookup::GetImage(image, kSection, nullptr));
    mark->SetVisible(true);
    ZQ2::GameTree::LinkNodeUnder(object, mark.Get());
    m_Marks.push_back(mark);
}
