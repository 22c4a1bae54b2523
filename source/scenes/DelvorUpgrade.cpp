#include "source/scenes/DelvorUpgrade.h"

#include <iterator>

#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

using namespace ZQ2;

const RTTI* const DelvorUpgrade::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI DelvorUpgrade::rtti("DelvorUpgrade", DelvorUpgrade::rttis);

ObjectInitializer DelvorUpgrade::m_ObjectInitializer("DelvorUpgrade", &DelvorUpgrade::OnData);

namespace {

// Indexed by type number.
const char* const kTypeNames[DelvorUpgrade::TYPE_COUNT] = {
    "",           "dovidi",      "vuru",        "vuru_camera", "cookie",     "toolmaker",    "digger_walk", "digger_dig",
    "sift",       "brush",       "picker_pick", "digger_eat",  "digger_drink", "hourglass", "guide",
};

// Indexed by country number.
const char* const kCountryNames[DelvorUpgrade::COUNTRY_COUNT + 1] = {
    "", "greece", "egypt", "siam", "tahiti", "usa", "peru", "atlantis",
};

int IndexOf(const char* const* names, int count, const std::string& name) {
    for (int i = 1; i < count; ++i)
        if (name == names[i])
            return i;
    return 0;
}

PropertyValue* ValueOf(PropertyNode* node, const char* key) {
    return node && node->HasProperty(key) ? node->GetValue(key) : nullptr;
}

}  // namespace

DelvorUpgrade::DelvorUpgrade() { Init(); }

DelvorUpgrade::DelvorUpgrade(AbstractProperty* data) {
    Init();
    ReadData(data);
}

BaseObject* DelvorUpgrade::OnData(AbstractProperty* data) { return new DelvorUpgrade(data); }

void DelvorUpgrade::Init() {
    m_sID.clear();
    m_sImage.clear();
    m_sLabelKey.clear();
    m_sDescKey.clear();
    m_sLabel.clear();
    m_sDesc.clear();
    m_iType = TYPE_NONE;
    m_iEffect = 0;
    m_iCountry = 0;
    m_iAchievedCountry = 0;
    m_iAchievedDay = 0;
    m_bPersistent = false;
    m_bUsed = false;
    m_bCheat = false;
}

void DelvorUpgrade::ReadData(AbstractProperty* data) {
    if (!data)
        return;
    m_sID = data->GetName();
    PropertyNode* node = data->ToNode();
    if (PropertyValue* type = ValueOf(node, "type"))
        SetType(type->ToString());
    if (PropertyValue* effect = ValueOf(node, "effect"))
        m_iEffect = effect->ToInt();
    if (PropertyValue* country = ValueOf(node, "country"))
        SetCountry(country->ToString());
    if (PropertyValue* persistent = ValueOf(node, "persistent"))
        m_bPersistent = persistent->ToBoolean();
    if (PropertyValue* image = ValueOf(node, "image"))
        m_sImage = image->ToString();
    if (PropertyValue* label = ValueOf(node, "label")) {
        m_sLabelKey = label->ToString();
        m_sLabel = BasicProperties::GetString(m_sLabelKey);
    }
    if (PropertyValue* desc = ValueOf(node, "desc")) {
        m_sDescKey = desc->ToString();
        m_sDesc = BasicProperties::GetString(m_sDescKey);
    }
    if (PropertyValue* cheat = ValueOf(node, "cheat"))
        m_bCheat = cheat->ToBoolean();
}

int DelvorUpgrade::GetTypeFromName(const std::string& name) {
    return IndexOf(kTypeNames, static_cast<int>(std::size(kTypeNames)), name);
}

int DelvorUpgrade::GetCountryFromName(const std::string& name) {
    return IndexOf(kCountryNames, static_cast<int>(std::size(kCountryNames)), name);
}

void DelvorUpgrade::SetType(const std::string& name) {
    if (const int type = GetTypeFromName(name))
        m_iType = type;
}

void DelvorUpgrade::SetCountry(const std::string& name) {
    if (const int country = GetCountryFromName(name))
        m_iCountry = country;
}

void DelvorUpgrade::GetWhenAchieved(int& country, int& day) const {
    country = m_iAchievedCountry;
    day = m_iAchievedDay;
}

void DelvorUpgrade::SetWhenAchieved(int country, int day) {
    m_iAchievedCountry = country;
    m_iAchievedDay = day;
}
