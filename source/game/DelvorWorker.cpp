#include "source/game/DelvorWorker.h"

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "source/game/DelvorHole.h"
#include "source/scenes/SceneGame.h"

const ZQ2::RTTI* const DelvorWorker::rttis[] = {&DelvorCharacter::rtti, nullptr};
const ZQ2::RTTI DelvorWorker::rtti("DelvorWorker", DelvorWorker::rttis);
ZQ2::ObjectInitializer DelvorWorker::m_ObjectInitializer("DelvorWorker", &DelvorWorker::OnData);

void DelvorWorker::ClearWaitAreaIndex() {
    SceneGame* level = Level();
    if (m_iWaitAreaIndex < 0)
        return;
    if (level)
        level->FreeDiggerFromWaitArea(m_iWaitAreaIndex, GetFreeSpotCharacter());
    m_iWaitAreaIndex = -1;
}

bool DelvorWorker::IsCharacterInWaitingArea() const {
    SceneGame* level = Level();
    if (!level)
        return false;
    int x = 0;
    int y = 0;
    int width = 0;
    level->GetWaitArea(x, y, width);
    return GetX() >= static_cast<float>(x) && GetX() <= static_cast<float>(x + width) &&
           GetY() - GetHeight() == static_cast<float>(GetWaitAreaY());
}

bool DelvorWorker::IsCharacterInHoldingArea() const {
    SceneGame* level = Level();
    if (!level)
        return false;
    const int right = ZQ2::BasicProperties::GetInteger("DIGGER_HOLDAREA_X");
    const int left = right - level->GetNumWorkers(0) * ZQ2::BasicProperties::GetInteger("DIGGER_WAITAREA_DELTA_X");
    return GetX() >= static_cast<float>(left) && GetX() <= static_cast<float>(right) &&
           GetY() - GetHeight() == static_cast<float>(GetWaitAreaY());
}

void DelvorWorker::SnapWorkerBackToWaitArea() {
    SceneGame* level = Level();
    if (!level || m_iWaitAreaIndex < 0)
        return;
    int x = 0;
    int y = 0;
    level->GetWaitAreaCoordinates(m_iWaitAreaIndex, x, y);
    y = GetWaitAreaY();
    SetLocation(static_cast<float>(x), static_cast<float>(y) + GetHeight());
    RelocateShadow(GetX(), GetY());
    SetState(0);
}

bool DelvorWorker::DoWalkFinished() {
    SceneGame* level = Level();
    if (level && level->GetGameState() == SceneGame::STATE_WORKERS_WALK_IN)
        level->DoWorkerWalkFinished();
    if (!GetCurrentHole())
        return DelvorCharacter::DoWalkFinished();
    SetState(STATE_ELSEWHERE);
    return true;
}

void DelvorWorker::SetHole(DelvorHole* hole) { SetCurrentHole(hole); }

DelvorHole* DelvorWorker::GetHole() const { return ZQ2::DynamicCast<DelvorHole>(GetCurrentHole()); }
