#pragma once
// STAND-IN until the modifier branch lands: the alpha fade and the timed call
// that the transitions link, with the constructor arguments of the real
// ModifierAlpha and ModifierFunction. Delete this file when they exist.
#include <string>

#include "engine/core/iGuiMethod.h"
#include "engine/framework/GameNode.h"
#include "engine/graphics/GraphicsSettings.h"
#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class ModifierAlpha : public Modifier {
public:
    ModifierAlpha(int from, int to, int duration) : m_nFrom(from), m_nTo(to), m_nDuration(duration) {}

    void SetClient(GameNode* client) override {
        Modifier::SetClient(client);
        m_pTarget = ZQ2::QueryInterface<GraphicsSettings>(client);
    }
    void Tick(int elapsedMs) override {
        m_nElapsed += elapsedMs;
        if (m_nElapsed >= m_nDuration) {
            EndModifier();
            return;
        }
        if (m_pTarget)
            m_pTarget->SetAlpha(static_cast<int>(m_nFrom + (m_nTo - m_nFrom) * (static_cast<float>(m_nElapsed) / m_nDuration)));
    }
    void EndModifier() override {
        if (m_pTarget)
            m_pTarget->SetAlpha(m_nTo);
        Modifier::EndModifier();
    }

private:
    int m_nFrom;
    int m_nTo;
    int m_nDuration;
    int m_nElapsed = 0;
    GraphicsSettings* m_pTarget = nullptr;
};

class ModifierFunction : public Modifier, public iGuiMethod {
public:
    ModifierFunction(BaseObject* target, Method method, const std::string& name) : iGuiMethod(target, method) {
        SetName(name);
    }
    void Tick(int) override { EndModifier(); }
    void EndModifier() override {
        Modifier::EndModifier();
        TryExecuteMethod(this);
    }
};

}  // namespace ZQ2
