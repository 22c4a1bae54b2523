#pragma once
// The level's click router: picks the figure a click commands (the
// operator), sends it at once or queues the target on its job stack, plays
// the click and refusal sounds and shows check marks on the holes the two
// leading figures are heading for. The figures, the dragged worker and the
// walks themselves belong to the level.
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/sprite/Sprite.h"

class ClickObject;
class DelvorCharacter;
class SceneGame;

class DVClickHandler {
public:
    enum eActionResult { ACTION_REFUSED = 0, ACTION_QUEUED = 1, ACTION_STARTED = 2 };

    DVClickHandler() = default;
    ~DVClickHandler();
    DVClickHandler(const DVClickHandler&) = delete;
    DVClickHandler& operator=(const DVClickHandler&) = delete;

    void Init() {}

    // True when the click was taken.
    bool ProcessClick(ClickObject* object);
    void DetermineOperator(ClickObject* target);
    int ProcessNextAction(ClickObject* target, ClickObject* second);
    bool FindActionInQueue(ClickObject* character);
    bool ClearOperator(ClickObject* object);
    ClickObject* GetOperator() const { return m_pOperator; }

    void UpdateCheckMarks();
    void AddCheckMark(ClickObject* object, bool forVuru);
    void SetShowMarks(bool show) { m_bShowMarks = show; }
    void SetUseIcons(bool icons) { m_bIcons = icons; }
    const ZQ2::ZQVector<ZQ2::SmartPtr<ZQ2::Sprite>>& GetMarks() const { return m_Marks; }

private:
    static SceneGame* Level();
    static void PlaySound(const char* name);
    void SetOperator(ClickObject* candidate);
    void ClearMarks();
    int Refuse();

    ClickObject* m_pOperator = nullptr;  // not held: one of the level's figures
    bool m_bShowMarks = true;
    bool m_bIcons = false;
    ZQ2::ZQVector<ZQ2::SmartPtr<ZQ2::Sprite>> m_Marks;
};
