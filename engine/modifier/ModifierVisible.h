#pragma once
// Shows, hides or flips its client's visibility once, on its first tick.
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

enum eVisible { VISIBLE_HIDE = 0, VISIBLE_SHOW = 1, VISIBLE_FLIP = 2 };

class ModifierVisible : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit ModifierVisible(eVisible action) : m_eAction(action) {}
    explicit ModifierVisible(bool show) : m_eAction(show ? VISIBLE_SHOW : VISIBLE_HIDE) {}

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    void Tick(int) override { EndModifier(); }
    void EndModifier() override;

private:
    eVisible m_eAction;
};

}  // namespace ZQ2
