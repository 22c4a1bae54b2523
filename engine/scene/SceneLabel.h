#pragma once
// What scenes and transitions need of labels: the dirty flag and the text.
// Stand-in until the label class lands; it then replaces LabelStandIn here.
#include <string>

#include "engine/sprite/Sprite.h"

namespace ZQ2 {

class LabelStandIn : public Sprite {
public:
    static inline const RTTI* const rttis[] = {&Sprite::rtti, nullptr};
    static inline const RTTI rtti{"Label", rttis};

    LabelStandIn(float x, float y, const std::string& text) : Sprite(x, y, 0.0f, 0.0f), m_strText(text) {}
    const RTTI& GetRTTI() const override { return rtti; }

    void SetText(const std::string& text) {
        m_strText = text;
        m_bDirty = true;
    }
    const std::string& GetText() const { return m_strText; }

    bool m_bDirty = false;

private:
    std::string m_strText;
};

using SceneLabel = LabelStandIn;

inline SceneLabel* AsSceneLabel(GameNode* node) { return DynamicCast<SceneLabel>(node); }
inline void SetSceneLabelDirty(SceneLabel* label) { label->m_bDirty = true; }

}  // namespace ZQ2
