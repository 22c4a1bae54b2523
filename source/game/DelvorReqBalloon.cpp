#include "source/game/DelvorReqBalloon.h"

#include <array>
#include <cstdio>

#include "engine/io/BasicProperties.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorHole.h"
#include "source/scenes/DVUpgradeHandler.h"

namespace {

const char* const kSection = "delvor";

struct RequestLook {
    int iCode;
    const char* pPicture;  // empty: the code has no picture of its own
    int iUpgradeType;      // 0: no upgraded picture
    const char* pWord;     // layout key word, empty for none
};

constexpr std::array<RequestLook, 13> kLooks = {{
    {DelvorReqBalloon::REQUEST_SHOVEL, "REQ_SHOVEL", 7, "SHOVEL"},
    {DelvorReqBalloon::REQUEST_PICK, "REQ_PICK", 10, "PICK"},
    {DelvorReqBalloon::REQUEST_VURU, "REQ_VURU", 0, "VURU"},
    {DelvorReqBalloon::REQUEST_SIFTER, "REQ_SIFTER", 8, "SIFTER"},
    {DelvorReqBalloon::REQUEST_BRUSH, "REQ_BRUSH", 9, "BRUSH"},
    {DelvorReqBalloon::REQUEST_BOTTLE, "REQ_BOTTLE", 0, "BOTTLE"},
    {DelvorReqBalloon::REQUEST_BOTTLE_2, "REQ_BOTTLE", 0, "BOTTLE"},
    {DelvorReqBalloon::REQUEST_FOOD, "", 0, ""},
    {DelvorReqBalloon::REQUEST_WATER, "", 0, ""},
    {DelvorReqBalloon::REQUEST_MEDICINE, "REQ_MEDICINE", 0, "MEDICINE"},
    {DelvorReqBalloon::REQUEST_APPLE, "REQ_APPLE", 11, "APPLE"},
    {DelvorReqBalloon::REQUEST_SANDWICH, "REQ_SANDWICH", 11, "SANDWICH"},
    {DelvorReqBalloon::REQUEST_CANTEEN, "REQ_CANTEEN", 12, "WATER"},
}};

const RequestLook* FindLook(int request) {
    for (const RequestLook& look : kLooks)
        if (look.iCode == request)
            return &look;
    return nullptr;
}

// The two position keys of one code and place; built once.
struct PosKeys {
    std::string sX;
    std::string sY;
};

enum eLayout { LAYOUT_ONE, LAYOUT_LEFT, LAYOUT_RIGHT, LAYOUT_COUNT };

const PosKeys* FindPosKeys(int request, eLayout layout) {
    static const auto table = [] {
        std::array<std::array<PosKeys, LAYOUT_COUNT>, kLooks.size()> keys;
        const char* const layouts[LAYOUT_COUNT] = {"_ONEP", "_TWOP_LEFT", "_TWOP_RIGHT"};
        for (size_t i = 0; i < kLooks.size(); ++i) {
            for (int l = 0; l < LAYOUT_COUNT; ++l) {
                const std::string stem = std::string("DIGGER_REQBALLOON_REQ_") + kLooks[i].pWord + layouts[l];
                keys[i][l] = {stem + "_X", stem + "_Y"};
            }
        }
        return keys;
    }();
    for (size_t i = 0; i < kLooks.size(); ++i)
        if (kLooks[i].iCode == request && kLooks[i].pWord[0] != '\0')
            return &table[i][layout];
    return nullptr;
}

ZQ2::Image* DelvorImage(const std::string& name) { return ZQ2::ResourceLookup::GetImage(name, kSection, nullptr); }

float Constant(const char* name) { return static_cast<float>(ZQ2::BasicProperties::GetInteger(name)); }

}  // namespace

const ZQ2::RTTI* const DelvorReqBalloon::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorReqBalloon::rtti("DelvorReqBalloon", DelvorReqBalloon::rttis);
ZQ2::ObjectInitializer DelvorReqBalloon::m_ObjectInitializer("DelvorReqBalloon", &DelvorReqBalloon::OnData);

DelvorReqBalloon::DelvorReqBalloon(ZQ2::AbstractProperty* node) : ClickObject(node) {}

DelvorReqBalloon::DelvorReqBalloon(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target,
                                   ZQ2::iGuiMethod::Method callback)
    : ClickObject(x, y, image, target, callback) {}

DelvorReqBalloon::~DelvorReqBalloon() = default;

ZQ2::BaseObject* DelvorReqBalloon::OnData(ZQ2::AbstractProperty* node) { return new DelvorReqBalloon(node); }

void* DelvorReqBalloon::QueryInterface(const ZQ2::RTTI& which) { return ClickObject::QueryInterface(which); }

ClickObject* DelvorReqBalloon::GetParentHole() { return m_pHole; }

void DelvorReqBalloon::Init(DelvorHole* hole) {
    SetHole(hole);
    const float x = Constant("DIGGER_REQBALLOON_REQ_SIFTER_ONEP_X");
    const float y = Constant("DIGGER_REQBALLOON_REQ_SIFTER_ONEP_Y");
    for (int i = 0; i < ITEM_SLOTS; ++i) {
        if (m_spItems[i])
            ZQ2::GameTree::UnlinkNode(m_spItems[i].Get());
        m_spItems[i] = new ZQ2::Sprite(x, y, DelvorImage("ITEM_SIFTER"));
        ZQ2::GameTree::LinkNodeUnder(this, m_spItems[i].Get());
        m_abShown[i] = false;
    }
    ShowRequestBalloon(false);
}

void DelvorReqBalloon::SetHole(DelvorHole* hole) { m_pHole = hole; }

void DelvorReqBalloon::ShowRequestBalloon(bool show) {
    SetVisible(show);
    for (int i = 0; i < ITEM_SLOTS; ++i)
        if (m_spItems[i])
            m_spItems[i]->SetVisible(show && m_abShown[i]);
}

std::string DelvorReqBalloon::GetRequestPicture(int request) {
    const RequestLook* look = FindLook(request);
    return look ? look->pPicture : std::string();
}

int DelvorReqBalloon::GetRequestUpgradeType(int request) {
    const RequestLook* look = FindLook(request);
    return look ? look->iUpgradeType : 0;
}

std::string DelvorReqBalloon::GetUpgradedRequestPicture(const std::string& picture, int request) {
    const int type = GetRequestUpgradeType(request);
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    const int level = type != 0 && upgrades ? upgrades->GetTopUpgradeOfType(type) : 0;
    if (level == 0)
        return picture;
    char name[96];
    std::snprintf(name, sizeof name, "%s_UP%d", picture.c_str(), level);
    return name;
}

bool DelvorReqBalloon::SetupRequestBalloon(int r1, int r2) {
    const bool two = r1 > 0 && r2 > 0;
    const int requests[ITEM_SLOTS] = {r1, r2};
    bool shown = false;
    // A code without a picture of its own keeps the one before it.
    std::string picture;
    for (int i = 0; i < ITEM_SLOTS; ++i) {
        m_abShown[i] = false;
        const int request = requests[i];
        if (request == REQUEST_NONE)
            continue;
        const std::string own = GetRequestPicture(request);
        if (!own.empty())
            picture = GetUpgradedRequestPicture(own, request);
        m_abShown[i] = true;
        shown = true;
        ZQ2::Sprite* item = m_spItems[i].Get();
        if (!item)
            continue;
        item->SetImage(DelvorImage(picture));
        float x = item->GetX();
        float y = item->GetY();
        GetRequestBalloonPosData(two, i == 1 && two ? PLACE_RIGHT : PLACE_LEFT, request, x, y);
        item->SetLocation(x, y);
    }
    if (r1 == REQUEST_VURU)
        shown = false;
    ChooseBalloonPicture(r1, r2, two, picture);
    ShowRequestBalloon(shown);
    return shown;
}

void DelvorReqBalloon::ChooseBalloonPicture(int r1, int r2, bool two, const std::string& lastItemPicture) {
    const auto isVuruTool = [](int r) { return r >= REQUEST_SIFTER && r <= REQUEST_BOTTLE_2; };
    std::string picture;
    const char* offsetX = nullptr;
    const char* offsetY = nullptr;
    if (isVuruTool(r1) && two) {
        picture = "REQ_SPEECH_VURU_2ITEM";
        offsetX = "VURU_REQBALLOON_LARGE_X";
        offsetY = "VURU_REQBALLOON_LARGE_Y";
    } else if (r1 == REQUEST_VURU) {
        picture = lastItemPicture;
    } else if (r1 == REQUEST_SHOVEL || r1 == REQUEST_PICK) {
        picture = "REQ_SPEECH_HOLE";
        offsetX = "HOLE_REQBALLOON_X";
        offsetY = "HOLE_REQBALLOON_Y";
    } else if (two) {
        picture = "REQ_SPEECH_2P";
        offsetX = "DIGGER_REQBALLOON_TWOP_X";
        offsetY = "DIGGER_REQBALLOON_TWOP_Y";
    } else if (r1 > 0 || isVuruTool(r2)) {
        picture = "REQ_SPEECH_LEFT_1P";
        offsetX = "DIGGER_REQBALLOON_LEFT_ONEP_X";
        offsetY = "DIGGER_REQBALLOON_LEFT_ONEP_Y";
    } else {
        picture = "REQ_SPEECH_RIGHT_1P";
        offsetX = "DIGGER_REQBALLOON_RIGHT_ONEP_X";
        offsetY = "DIGGER_REQBALLOON_RIGHT_ONEP_Y";
    }
    if (offsetX)
        SetLocation(GetX() + Constant(offsetX), GetY() + Constant(offsetY));
    SetImage(DelvorImage(picture));
}

void DelvorReqBalloon::GetRequestBalloonPosData(bool two, int place, int request, float& x, float& y) {
    eLayout layout = LAYOUT_ONE;
    if (two) {
        if (place == PLACE_LEFT)
            layout = LAYOUT_LEFT;
        else if (place == PLACE_RIGHT)
            layout = LAYOUT_RIGHT;
        else
            return;
    }
    const PosKeys* keys = FindPosKeys(request, layout);
    if (!keys)
        return;
    x = static_cast<float>(ZQ2::BasicProperties::GetInteger(keys->sX));
    y = static_cast<float>(ZQ2::BasicProperties::GetInteger(keys->sY));
}

ZQ2::Sprite* DelvorReqBalloon::GetItemSprite(int slot) const {
    return slot >= 0 && slot < ITEM_SLOTS ? m_spItems[slot].Get() : nullptr;
}

bool DelvorReqBalloon::IsItemShown(int slot) const { return slot >= 0 && slot < ITEM_SLOTS && m_abShown[slot]; }
