#pragma once
// The day's timer on the dig site: counts the day's milliseconds, turns its
// hand half a turn over the day, flashes its frame in the last seconds and
// asks the level scene whether the day is over once the time is used up.
#include "engine/core/SmartPtr.h"
#include "engine/sprite/Sprite.h"

class DelvorClock : public ZQ2::Sprite {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    // Flashing starts only when this little time is left.
    static constexpr int FLASH_WINDOW_MS = 10000;

    explicit DelvorClock(ZQ2::AbstractProperty* data);
    ~DelvorClock() override;
    DelvorClock(const DelvorClock&) = delete;
    DelvorClock& operator=(const DelvorClock&) = delete;
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Tick(int deltaMs) override;

    void InitTimer(int seconds);
    int GetElapsedTime(int since = 0) const { return since == 0 ? m_iElapsed : m_iElapsed - since; }
    int GetTotalTime() const { return m_iTotal; }
    // Lengthens the day by ms.
    void SubtractTime(int ms) { m_iTotal += ms; }
    bool HasTimeLimit() const { return m_iTotal != 0; }
    bool IsTimeUsedUp() const { return m_iTotal != 0 && m_iElapsed >= m_iTotal; }

    bool IsFlashing() const { return m_bFlashing; }
    bool IsTimeToStartFlash() const;
    void UseHourglass(int ms);
    bool IsHourglassInUse() const { return m_bHourglass; }
    void SetHourglassInUse(bool inUse) { m_bHourglass = inUse; }
    void SetSandShown(bool shown) { m_bSandShown = shown; }
    int GetHourglassTimeLeft() const { return m_iHourglassLeft; }
    float GetHandRotation() const { return m_fHandRotation; }

    void SetState(int state);
    int GetState() const { return m_iState; }

    // Ends the running flash: the frame overlay is hidden again.
    void DoFlashFinished();

private:
    void SetupPieces();
    void DoFlash(bool hourglass);
    void RunDayTime(int deltaMs);
    void RunHourglass(int deltaMs);
    void PlaySound(const char* name) const;

    bool m_bFlashing = false;
    bool m_bHourglass = false;
    bool m_bSandShown = false;
    int m_iHourglassLeft = 0;
    int m_iHourglassTotal = 0;
    int m_iState = 0;
    int m_iTotal = 0;
    int m_iElapsed = 0;
    int m_iFlashLimit = 0;
    int m_iFlashRemainingMs = 0;
    float m_fHandRotation = 0.0f;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spHand;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spFrame;
};
