#pragma once
// What the tests of the directed figures share: a level with the figures'
// tuning, pictures found by name (each name its own picture, of a height
// and frame count the test picks), items that put themselves into a hand
// and targets that take what they are handed.
#include <map>
#include <string>
#include <vector>

#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorBoss.h"
#include "tests/source/GameHarness.h"

namespace bosstest {

// Pictures by name; an unknown name gets a 10 x 10 picture of one frame.
class Pictures {
public:
    Pictures() {
        s_pActive = this;
        ZQ2::ResourceLookup::SetImageSource(&Pictures::Find);
    }
    ~Pictures() {
        ZQ2::ResourceLookup::SetImageSource(nullptr);
        s_pActive = nullptr;
    }
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    void Define(const std::string& name, int width, int height, int frames) {
        auto* data = new ZQ2::ImageDataOpenGL(width * frames, height, width * frames, height, true);
        m_Images[name] = new ZQ2::Image(data, frames, frames);
    }
    ZQ2::Image* Get(const std::string& name) {
        auto found = m_Images.find(name);
        if (found == m_Images.end()) {
            Define(name, 10, 10, 1);
            found = m_Images.find(name);
        }
        return found->second.Get();
    }

private:
    static ZQ2::Image* Find(const std::string& name, const std::string&, const std::string*) {
        return s_pActive ? s_pActive->Get(name) : nullptr;
    }
    static inline Pictures* s_pActive = nullptr;
    std::map<std::string, ZQ2::SmartPtr<ZQ2::Image>> m_Images;
};

// An item on a table: picked up into the boss's hand unless told to refuse.
class FakeItem : public ClickObject {
public:
    FakeItem(const std::string& name, DelvorBoss* boss) : ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr), m_pBoss(boss) {
        SetName(name);
    }
    bool IsItem() const override { return true; }
    bool DoPickupItem() override {
        if (!m_bReady)
            return false;
        m_pBoss->AddItem(this);
        return true;
    }
    ZQ2::Image* GetItemImage() override { return m_pPicture; }
    void SetOnTable(bool on) override { m_bOnTable = on; }
    bool IsOnTable() const override { return m_bOnTable; }
    bool MatchesRequest(int kind, int) const override { return kind == m_iKind; }

    DelvorBoss* m_pBoss;
    ZQ2::Image* m_pPicture = nullptr;
    bool m_bReady = true;
    bool m_bOnTable = true;
    int m_iKind = 0;
};

// Takes every item it is handed (or none), recording the order.
class FakeTarget : public ClickObject {
public:
    FakeTarget() : ClickObject(0.0f, 0.0f, nullptr, nullptr, nullptr) {}
    bool UseItem(ClickObject* item) override {
        if (!m_bAccepts)
            return false;
        m_Taken.push_back(item);
        return true;
    }
    void StartDelivery() override { m_sCalls += "start "; }
    void EndDelivery() override { m_sCalls += "end"; }

    bool m_bAccepts = true;
    std::vector<ClickObject*> m_Taken;
    std::string m_sCalls;
};

// The directed figures' tuning, on top of the level's.
inline std::string BossConstantsXml() {
    return gametest::Var("TOOL_TABLE_HOME_X", 100) + gametest::Var("TOOL_TABLE_HOME_Y", 200) +
           gametest::Var("FOOD_TABLE_HOME_X", 500) + gametest::Var("FOOD_TABLE_HOME_Y", 210) +
           gametest::Var("CHECKMARK_ITEM_X", 3) + gametest::Var("CHECKMARK_ITEM_Y", -8) +
           gametest::Var("CHECKMARK_ITEM_DELTA_X", 6) + gametest::Var("CHECKMARK_ITEM_DELTA_Y", 1) +
           gametest::Var("CHARACTER_WINLOSS_FRAMESPEED", 100) + gametest::Var("TIME_BOSS_USE_ITEM", 200);
}

// How many times the sound was asked for.
inline int Played(const std::string& name) {
    int count = 0;
    for (const std::string& asked : gametest::SoundLog::asked)
        if (asked == "delvor/" + name)
            ++count;
    return count;
}

}  // namespace bosstest

namespace bosstest {

// The carrier's tuning.
inline std::string DovidiConstantsXml() {
    using gametest::Var;
    return Var("DOVIDI_WALKSPEED", 120) + Var("DOVIDI_HOME_X", 600) + Var("DOVIDI_HOME_Y", 300) +
           Var("DOVIDI_WALK_PIXELS_PER_FRAME", 12) + Var("DOVIDI_TENT_X", 700) + Var("DOVIDI_TENT_Y", 80) +
           "<Float id=\"DOVIDI_ITEM_SCALE\" value=\"0.5\"/>" + Var("DOVIDI_BACKWALK_HAND1_X", 1) +
           Var("DOVIDI_BACKWALK_HAND1_Y", 2) + Var("DOVIDI_BACKWALK_HAND2_X", 3) + Var("DOVIDI_BACKWALK_HAND2_Y", 4) +
           Var("DOVIDI_FRONTWALK_HAND1_X", 5) + Var("DOVIDI_FRONTWALK_HAND1_Y", 6) +
           Var("DOVIDI_FRONTWALK_HAND2_X", 7) + Var("DOVIDI_FRONTWALK_HAND2_Y", 8) +
           Var("DOVIDI_LEFTWALK_HAND1_X", 9) + Var("DOVIDI_LEFTWALK_HAND1_Y", 10) +
           Var("DOVIDI_LEFTWALK_HAND2_X", 11) + Var("DOVIDI_LEFTWALK_HAND2_Y", 12) +
           Var("DOVIDI_RIGHTWALK_HAND1_X", 13) + Var("DOVIDI_RIGHTWALK_HAND1_Y", 14) +
           Var("DOVIDI_RIGHTWALK_HAND2_X", 15) + Var("DOVIDI_RIGHTWALK_HAND2_Y", 16);
}

}  // namespace bosstest
