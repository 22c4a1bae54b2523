#pragma once
// The level's click router. A stand-in until the characters it routes to
// exist: it takes a site click only while the day runs (states 7 to 10)
// and remembers what was clicked.
#include "engine/core/SmartPtr.h"

class ClickObject;

class DVClickHandler {
public:
    // True when the click was taken.
    bool ProcessClick(ClickObject* object);
    ClickObject* GetLastClicked() const { return m_pLastClicked; }
    int GetClickCount() const { return m_iClicks; }

private:
    ClickObject* m_pLastClicked = nullptr;  // not held: only compared
    int m_iClicks = 0;
};
