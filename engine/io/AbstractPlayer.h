#pragma once
// The base of a player profile: the name as typed, and hooks through which
// the game's player class writes and reads its own data.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/UTF8String.h"

namespace ZQ2 {

class AbstractProperty;

class AbstractPlayer : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit AbstractPlayer(const std::string& name);
    // The factory form: the name from the node's "name", else empty.
    explicit AbstractPlayer(AbstractProperty* prop);
    const RTTI& GetRTTI() const override { return rtti; }

    // The player's entry of the player list.
    virtual void Save(AbstractProperty* node);
    virtual void SaveData(AbstractProperty* node) { (void)node; }
    virtual void LoadData(AbstractProperty* node) { (void)node; }
    virtual void UnLoadData() {}

    const UTF8String& GetName() const { return m_Name; }

private:
    UTF8String m_Name;
};

}  // namespace ZQ2
