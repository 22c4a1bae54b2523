#pragma once
// A test modifier that lasts a set time and records what happens to it: each
// tick's time, each end from outside, its destruction. A hook runs inside
// every tick, where game callbacks would run.
#include <functional>
#include <string>
#include <vector>

#include "engine/modifier/Modifier.h"

namespace ZQ2 {
namespace test {

class RecordingModifier : public Modifier {
public:
    // durationMs < 0: never finishes by itself.
    RecordingModifier(std::string name, int durationMs, std::vector<std::string>* log = nullptr,
                      bool* destroyed = nullptr)
        : m_strLabel(std::move(name)), m_nDuration(durationMs), m_pLog(log), m_pDestroyed(destroyed) {
        if (m_pDestroyed)
            *m_pDestroyed = false;
    }
    ~RecordingModifier() override {
        if (m_pDestroyed)
            *m_pDestroyed = true;
    }

    void Tick(int elapsedMs) override {
        m_Ticks.push_back(elapsedMs);
        m_nElapsed += elapsedMs;
        Write(m_strLabel + ":" + std::to_string(elapsedMs));
        if (m_OnTick) {
            const std::function<void()> hook = m_OnTick;  // the hook may replace itself
            hook();
        }
        if (m_nDuration >= 0 && m_nElapsed >= m_nDuration)
            m_nStatus |= STATUS_DONE;
    }

    // Jumps to the end, as every modifier does when it is ended from outside.
    void EndModifier() override {
        ++m_nEnds;
        m_nElapsed = m_nDuration;
        Write(m_strLabel + ".end");
        Modifier::EndModifier();
    }

    std::function<void()> m_OnTick;
    std::vector<int> m_Ticks;
    int m_nEnds = 0;
    int m_nElapsed = 0;

private:
    void Write(const std::string& entry) {
        if (m_pLog)
            m_pLog->push_back(entry);
    }

    std::string m_strLabel;
    int m_nDuration;
    std::vector<std::string>* m_pLog;
    bool* m_pDestroyed;
};

}  // namespace test
}  // namespace ZQ2
