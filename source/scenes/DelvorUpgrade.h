#pragma once
// One upgrade of the shop's master list, built by class name from its node
// in the upgrade data: what it improves (its type), by how much (its
// effect), in which country it is sold and applies, and how the shop shows
// it. Where and when the player bought it is kept on it too.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/io/ObjectInitializer.h"

class DelvorUpgrade : public ZQ2::BaseObject {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    enum eType {
        TYPE_NONE,
        TYPE_DOVIDI,
        TYPE_VURU,
        TYPE_VURU_CAMERA,
        TYPE_COOKIE,
        TYPE_TOOLMAKER,
        TYPE_DIGGER_WALK,
        TYPE_DIGGER_DIG,
        TYPE_SIFT,
        TYPE_BRUSH,
        TYPE_PICKER_PICK,
        TYPE_DIGGER_EAT,
        TYPE_DIGGER_DRINK,
        TYPE_HOURGLASS,
        TYPE_GUIDE,
        TYPE_COUNT
    };
    static constexpr int COUNTRY_COUNT = 7;

    DelvorUpgrade();
    explicit DelvorUpgrade(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void Init();

    // The number of a type or country name, 0 for a name not in the lists
    // (names are compared exactly, case included).
    static int GetTypeFromName(const std::string& name);
    static int GetCountryFromName(const std::string& name);

    const std::string& GetID() const { return m_sID; }
    void SetID(const std::string& id) { m_sID = id; }
    int GetType() const { return m_iType; }
    void SetType(int type) { m_iType = type; }
    // A name not in the list leaves the type as it was.
    void SetType(const std::string& name);
    int GetEffect() const { return m_iEffect; }
    void SetEffect(int effect) { m_iEffect = effect; }
    int GetCountry() const { return m_iCountry; }
    void SetCountry(int country) { m_iCountry = country; }
    // A name not in the list leaves the country as it was.
    void SetCountry(const std::string& name);
    bool IsPersistent() const { return m_bPersistent; }
    const std::string& GetImageKey() const { return m_sImage; }
    const std::string& GetLabelKey() const { return m_sLabelKey; }
    const std::string& GetDescKey() const { return m_sDescKey; }
    const std::string& GetLabel() const { return m_sLabel; }
    const std::string& GetDesc() const { return m_sDesc; }
    void GetWhenAchieved(int& country, int& day) const;
    void SetWhenAchieved(int country, int day);
    bool IsUsed() const { return m_bUsed; }
    void SetUsed(bool used) { m_bUsed = used; }
    bool IsCheat() const { return m_bCheat; }
    void SetCheat(bool cheat) { m_bCheat = cheat; }

private:
    void ReadData(ZQ2::AbstractProperty* data);

    std::string m_sID;
    int m_iType = TYPE_NONE;
    int m_iEffect = 0;
    int m_iCountry = 0;
    bool m_bPersistent = false;
    std::string m_sImage;
    std::string m_sLabelKey;
    std::string m_sDescKey;
    std::string m_sLabel;
    std::string m_sDesc;
    int m_iAchievedCountry = 0;
    int m_iAchievedDay = 0;
    bool m_bUsed = false;
    bool m_bCheat = false;
};
