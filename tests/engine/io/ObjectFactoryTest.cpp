#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

using namespace ZQ2;

namespace {

// Every class name data may use. The resource classes answer to both their
// short names and the tags the resource lists use.
const char* const kRegisteredNames[] = {
    "Button", "ButtonURL", "Dialog", "DialogPainter", "Label", "LabelInput", "LabelStyle", "Panel", "Slider",
    "Sprite", "Switch", "ToolTipLabel", "Tooltip", "SoundNode", "ModifierFrame",
    "Integer", "Double", "Float", "Boolean", "String", "Node", "Vector",
    "HighScoreEntry", "Font", "Sound", "Stream", "Mask", "GameNode", "Scene", "SceneTransition", "AlphaTransition",
    "FadeBlackTransition", "Image",
    "ResourceImage", "ResourceFont", "ResourceSound", "ResourceStream",
    "DialogCredits", "DialogDelvor", "DialogHelp", "DialogHighScore", "DialogMenu", "DialogNameInput", "DialogPause",
    "DialogPlayerSelect", "DialogYesNo", "DialogSettings", "DelvorScore", "DelvorPlayer", "SceneDelvor", "SceneGame",
    "SceneLoad", "SceneMap", "SceneSelection", "SceneSplash", "ClickObject", "DelvorBoss", "DelvorCharacter",
    "DelvorClock", "DelvorDigger", "DelvorReqBalloon", "DelvorHole", "DelvorItem", "DelvorWorker", "Dovidi", "Vuru",
    "DialogStageStart", "DialogStageEnd", "DelvorUpgrade", "DelvorGenerator", "Vuvivedod", "StoryPage", "StoryText",
    "SceneStory", "SceneAncientMap", "DelvorTrophy", "SceneTrophy", "DelvorPicker", "DelvorMeter", "DialogMiniGame",
    "DialogUpgrade",
    // stand-in of the front-end scenes the main menu enters
    "SceneFrontStandIn",
};

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

BaseObject* MakeNothing(AbstractProperty*) { return nullptr; }

}  // namespace

// The registrations run from static initialisers in the layer libraries; this
// test program links them like the game does, so a dropped one shows here.
TEST(ObjectFactory, EveryRegistrationSurvivesTheLink) {
    ZQVector<std::string> listed = ObjectFactory::Instance()->GetListOfObjectTypes();
    // Classes that tests register for themselves carry the prefix "Test".
    std::vector<std::string> names;
    for (const std::string& name : listed) {
        if (name.compare(0, 4, "Test") != 0)
            names.push_back(name);
    }
    const std::vector<std::string> expected = Sorted({std::begin(kRegisteredNames), std::end(kRegisteredNames)});
    EXPECT_EQ(names, expected);
    ASSERT_EQ(names.size(), 82u);
    EXPECT_EQ(names[0], "AlphaTransition");
    EXPECT_EQ(names[1], "Boolean");
}

TEST(ObjectFactory, CreatesByTypeNameWithNoReferenceTaken) {
    SmartPtr<PropertyNode> node(new PropertyNode("logo", "Sprite"));
    BaseObject* object = ObjectFactory::Instance()->CreateObject(node);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetRTTI().GetName(), "Sprite");
    EXPECT_EQ(object->GetRefCount(), 0);
    object->AddRef();
    object->Release();

    SmartPtr<PropertyNode> image(new PropertyNode("pic", "Image"));
    SmartPtr<BaseObject> resource(ObjectFactory::Instance()->CreateObject(image));
    EXPECT_EQ(resource->GetRTTI().GetName(), "ResourceImage");
}

TEST(ObjectFactory, UnknownNamesYieldNullAndChangeNothing) {
    ObjectFactory* factory = ObjectFactory::Instance();
    const int before = factory->GetListOfObjectTypes().size();
    SmartPtr<PropertyNode> node(new PropertyNode("x", "NoSuchClass"));
    EXPECT_EQ(factory->CreateObject(node), nullptr);
    EXPECT_EQ(factory->CreateObject(node), nullptr);
    SmartPtr<PropertyValue> comment(new PropertyValue(std::string("remark")));
    EXPECT_EQ(factory->CreateObject(comment), nullptr);
    EXPECT_EQ(factory->CreateObject(nullptr), nullptr);
    EXPECT_EQ(factory->GetListOfObjectTypes().size(), before);
}

TEST(ObjectFactory, ConstantEntriesFileTheValueAndMakeNoObject) {
    BasicProperties::CreateInstance();
    SmartPtr<PropertyValue> value(new PropertyValue("MAX_DIGGERS", "Integer", "12"));
    EXPECT_EQ(ObjectFactory::Instance()->CreateObject(value), nullptr);
    EXPECT_EQ(BasicProperties::GetInteger("MAX_DIGGERS"), 12);
    BasicProperties::ReleaseInstance();
}

TEST(ObjectFactory, ALaterRegistrationReplacesTheFirst) {
    ObjectFactory factory;  // a private table, so the shared one stays intact
    factory.AddFactoryFunction("Thing", [](AbstractProperty*) -> BaseObject* { return new PropertyNode("first"); });
    factory.AddFactoryFunction("Thing", &MakeNothing);
    EXPECT_EQ(factory.CreateObject("Thing", nullptr), nullptr);
    EXPECT_EQ(factory.GetListOfObjectTypes().size(), 1);
}
