#pragma once
// An upgrade definition of the upgrade list, built by class name from its
// node. A stand-in until the level scene is built: it keeps only its id (the
// node's name) and its type number.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/io/ObjectInitializer.h"

class DelvorUpgrade : public ZQ2::BaseObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit DelvorUpgrade(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    const std::string& GetID() const { return m_sID; }
    int GetType() const { return m_iType; }
    void SetType(int type) { m_iType = type; }

private:
    std::string m_sID;
    int m_iType = 0;
};
