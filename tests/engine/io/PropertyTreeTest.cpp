#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

using namespace ZQ2;

namespace {

std::vector<std::string> Names(const PropertyNode& node) {
    std::vector<std::string> names;
    for (const auto& child : node)
        names.push_back(child->GetName());
    return names;
}

// The constants table for one test, gone again afterwards.
class WithConstants : public ::testing::Test {
protected:
    void SetUp() override { BasicProperties::CreateInstance(); }
    void TearDown() override { BasicProperties::ReleaseInstance(); }
};

}  // namespace

TEST(PropertyValue, ReadsConvertTheText) {
    struct Case {
        const char* text;
        int asInt;
        bool asBool;
    };
    const Case cases[] = {
        {"#FF0000", 16711680, true}, {"0x10", 16, true}, {"0X1f", 31, true}, {"0", 0, true},
        {"12abc", 12, true},         {"abc", 0, true},   {"", 0, false},     {"false", 0, false},
        {"False", 0, true},          {"  -7", -7, true}, {"#", 0, true},     {"0x", 0, true},
    };
    for (const Case& c : cases) {
        PropertyValue value("v", std::string(c.text));
        EXPECT_EQ(value.ToInt(), c.asInt) << '"' << c.text << '"';
        EXPECT_EQ(value.ToBoolean(), c.asBool) << '"' << c.text << '"';
        EXPECT_EQ(value.GetValue(), c.text);  // reads never change the text
    }
    PropertyValue real("r", std::string("2.5x"));
    EXPECT_DOUBLE_EQ(real.ToDouble(), 2.5);
    EXPECT_FLOAT_EQ(real.ToFloat(), 2.5f);
    EXPECT_EQ(real.ToLong(), 2);
}

TEST(PropertyValue, WritesFormatNumbers) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {{1.5, "1.5"}, {2.0, "2"},   {100.0, "100"}, {0.0, "0"},
                          {0.25, "0.25"}, {3.0, "3"}, {-0.5, "-0.5"}, {1e-7, "0"}};
    for (const Case& c : cases) {
        PropertyValue value("v", 0);
        value.SetValue(c.value);
        EXPECT_EQ(value.GetValue(), c.text) << c.value;
        EXPECT_EQ(value.GetTypeName(), "Integer");  // writes keep the type name
    }
    PropertyValue huge("v", 1e300);
    EXPECT_DOUBLE_EQ(huge.ToDouble(), 1e300);

    PropertyValue flag("f", 0);
    flag.SetBoolValue(true);
    EXPECT_EQ(flag.GetValue(), "true");
}

TEST(PropertyValue, ConstructorsChooseTypeNames) {
    EXPECT_EQ(PropertyValue("a", 1).GetTypeName(), "Integer");
    EXPECT_EQ(PropertyValue("a", 1, true).GetTypeName(), "");
    EXPECT_EQ(PropertyValue("a", 1.5).GetTypeName(), "Double");
    EXPECT_EQ(PropertyValue("a", 1.5f).GetTypeName(), "Float");
    EXPECT_EQ(PropertyValue("a", "text").GetTypeName(), "String");
    EXPECT_TRUE(PropertyValue("a", "text", true).IsAttribute());
    EXPECT_EQ(PropertyValue("a", "Custom", "text").GetTypeName(), "Custom");
    EXPECT_EQ(PropertyValue("a", "Custom", "text").GetValue(), "text");

    PropertyValue comment(std::string("a remark"));
    EXPECT_EQ(comment.GetType(), PROPERTY_COMMENT);
    EXPECT_EQ(comment.GetName(), "a remark");
    EXPECT_EQ(comment.ToString(), "a remark");
}

TEST(PropertyNode, MissingOrMistypedChildrenYieldDummies) {
    SmartPtr<PropertyNode> node(new PropertyNode("n"));
    node->InsertProperty(new PropertyValue("x", 5));
    PropertyNode* notANode = node->GetNode("x");
    EXPECT_EQ(notANode, &dummyPropertyNode);
    EXPECT_EQ(static_cast<int>(*notANode->GetValue("y")), 0);
    EXPECT_EQ(node->GetVector("missing"), &dummyPropertyVector);
    EXPECT_EQ(node->GetProperty("missing"), nullptr);
    EXPECT_EQ(static_cast<int>(*node->GetProperty("x")), 5);
    EXPECT_EQ(node->GetPropString("missing"), "");

    // Writes through a dummy are dropped, so it stays empty.
    SmartPtr<PropertyValue> orphan(new PropertyValue("orphan", 1));
    EXPECT_EQ(notANode->InsertProperty(orphan), orphan.Get());
    notANode->InsertBoolean("flag", true, false);
    notANode->GetValue("y")->SetValue(42);
    EXPECT_EQ(dummyPropertyNode.GetCount(), 0);
    EXPECT_EQ(dummyPropertyValue.GetValue(), "");
}

TEST(PropertyNode, SecondChildOfANameReplacesTheFirstAndGoesLast) {
    SmartPtr<PropertyNode> node(new PropertyNode);
    node->InsertProperty(new PropertyValue("a", 1));
    node->InsertProperty(new PropertyValue("b", 2));
    node->InsertProperty(new PropertyValue("a", 3));
    EXPECT_EQ(Names(*node), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(static_cast<int>(*node->GetProperty("a")), 3);

    AbstractProperty* b = node->GetProperty("b");
    node->InsertProperty(b);  // re-inserting a child must not lose it
    EXPECT_EQ(Names(*node), (std::vector<std::string>{"a", "b"}));

    node->InsertPropertyBefore(node->GetProperty("a"), new PropertyValue("c", 0));
    EXPECT_EQ(Names(*node), (std::vector<std::string>{"c", "a", "b"}));
    node->RemoveProperty(node->GetProperty("a"));
    node->RemoveProperty(std::string("c"));
    EXPECT_EQ(Names(*node), (std::vector<std::string>{"b"}));
    EXPECT_FALSE(node->HasProperty("a"));
}

TEST(PropertyVector, KeepsOrderAndDuplicateNames) {
    SmartPtr<PropertyVector> vector(new PropertyVector("list"));
    vector->InsertProperty(new PropertyValue("a", 1));
    vector->InsertProperty(new PropertyValue("a", 2));
    vector->InsertBoolean(true);
    EXPECT_EQ(vector->GetCount(), 3);
    EXPECT_EQ(static_cast<int>(*vector->GetProperty("a")), 1);
    EXPECT_EQ(vector->GetValue(2)->GetTypeName(), "Boolean");
    EXPECT_EQ(vector->GetProperty(3), nullptr);
    EXPECT_EQ(vector->GetProperty(-1), nullptr);
    EXPECT_EQ(vector->GetNode(0), &dummyPropertyNode);

    AbstractProperty* first = vector->GetProperty(0);
    vector->InsertPropertyBefore(first, new PropertyValue("z", 0));
    EXPECT_EQ(vector->GetProperty(0)->GetName(), "z");
    vector->RemoveProperty(first);
    EXPECT_EQ(static_cast<int>(*vector->GetProperty("a")), 2);
}

TEST(PropertyNode, CloneIsDeepAndCopyFromShares) {
    SmartPtr<PropertyNode> node(new PropertyNode("root", "Sprite"));
    auto* inner = new PropertyNode("inner", "Panel");
    inner->InsertProperty(new PropertyValue("x", 1));
    node->InsertProperty(new PropertyValue("z", 1));
    node->InsertProperty(inner);
    node->InsertProperty(new PropertyValue("a", 2));

    SmartPtr<AbstractProperty> clone(node->Clone());
    auto* cloned = static_cast<PropertyNode*>(clone.Get());
    EXPECT_EQ(cloned->GetTypeName(), "Sprite");
    EXPECT_EQ(Names(*cloned), (std::vector<std::string>{"z", "inner", "a"}));
    cloned->GetNode("inner")->GetValue("x")->SetValue(9);
    EXPECT_EQ(static_cast<int>(*inner->GetValue("x")), 1);

    SmartPtr<PropertyNode> shared(new PropertyNode);
    shared->CopyFrom(node);
    EXPECT_EQ(shared->GetName(), "root");
    shared->GetNode("inner")->GetValue("x")->SetValue(7);
    EXPECT_EQ(static_cast<int>(*inner->GetValue("x")), 7);
}

// Copying across kinds takes names only: each object stays what its class is,
// so a conversion never casts it into another class.
TEST(AbstractProperty, CopyFromKeepsTheOwnKind) {
    SmartPtr<PropertyNode> node(new PropertyNode("n", "Panel"));
    SmartPtr<PropertyValue> value(new PropertyValue("v", 5));
    SmartPtr<PropertyVector> vector(new PropertyVector("list"));
    value->CopyFrom(node);
    EXPECT_EQ(value->GetType(), PROPERTY_VALUE);
    EXPECT_EQ(value->GetName(), "n");
    EXPECT_EQ(value->ToNode(), &dummyPropertyNode);
    vector->CopyFrom(value);
    EXPECT_EQ(vector->GetType(), PROPERTY_VECTOR);
    EXPECT_EQ(vector->ToValue(), &dummyPropertyValue);
    node->CopyFrom(vector);
    EXPECT_EQ(node->GetType(), PROPERTY_NODE);

    SmartPtr<PropertyValue> comment(new PropertyValue(std::string("a note")));
    value->CopyFrom(comment);
    EXPECT_EQ(value->GetType(), PROPERTY_COMMENT);
}

TEST_F(WithConstants, SetupInheritsMissingKeysFromTheTemplate) {
    SmartPtr<PropertyNode> templ(new PropertyNode("BUTTON_SETUP", "Node"));
    templ->InsertProperty(new PropertyValue("width", 100));
    templ->InsertProperty(new PropertyValue("height", 20));
    PropertyNode::ParseObject(templ);  // files it as a constant node
    ASSERT_EQ(BasicProperties::GetNode("BUTTON_SETUP"), templ.Get());

    SmartPtr<PropertyNode> root(new PropertyNode("root"));
    auto* button = new PropertyNode("ok", "Button");
    button->InsertProperty(new PropertyValue("setup", "BUTTON_SETUP"));
    button->InsertProperty(new PropertyValue("width", 50));
    root->InsertProperty(button);
    auto* unknown = new PropertyNode("other", "Button");
    unknown->InsertProperty(new PropertyValue("setup", "NO_SUCH_SETUP"));
    auto* nested = new PropertyNode("nested", "Label");
    nested->InsertProperty(new PropertyValue("setup", "BUTTON_SETUP"));
    unknown->InsertProperty(nested);
    root->InsertProperty(unknown);

    root->Setup();
    EXPECT_EQ(static_cast<int>(*button->GetValue("width")), 50);  // own keys win
    EXPECT_EQ(button->GetProperty("height"), templ->GetProperty("height"));  // shared
    EXPECT_FALSE(button->HasProperty("setup"));
    EXPECT_EQ(Names(*button), (std::vector<std::string>{"setup", "width", "height"}));
    // An unknown template stops the setup of that subtree.
    EXPECT_FALSE(nested->HasProperty("height"));
    EXPECT_TRUE(nested->HasProperty("setup"));
}

TEST_F(WithConstants, SetupOfATemplateThatNamesItselfEnds) {
    SmartPtr<PropertyNode> templ(new PropertyNode("LOOP", "Node"));
    templ->InsertProperty(new PropertyValue("size", 3));
    auto* inner = new PropertyNode("inner", "Sprite");
    inner->InsertProperty(new PropertyValue("setup", "LOOP"));
    templ->InsertProperty(inner);
    templ->InsertProperty(new PropertyValue("setup", "LOOP"));
    PropertyNode::ParseObject(templ);

    SmartPtr<PropertyNode> user(new PropertyNode("user", "Sprite"));
    user->InsertProperty(new PropertyValue("setup", "LOOP"));
    user->Setup();
    templ->Setup();
    EXPECT_EQ(static_cast<int>(*user->GetValue("size")), 3);
    EXPECT_EQ(static_cast<int>(*inner->GetValue("size")), 3);
    EXPECT_FALSE(inner->HasProperty("inner"));  // the tree never contains itself
}

TEST_F(WithConstants, ParseFilesTypedConstants) {
    SmartPtr<PropertyNode> store(new PropertyNode("constants"));
    store->InsertProperty(new PropertyValue("SPEED", "Float", "1.5"));
    store->InsertProperty(new PropertyValue("LIVES", "Integer", "3"));
    store->InsertProperty(new PropertyValue("TITLE", "String", "Delvor"));
    store->InsertProperty(new PropertyValue("HINTS", "Boolean", "true"));
    store->InsertProperty(new PropertyVector("LIST"));
    store->InsertProperty(new PropertyValue(std::string("a comment")));
    store->Parse();
    EXPECT_FLOAT_EQ(BasicProperties::GetFloat("SPEED"), 1.5f);
    EXPECT_EQ(BasicProperties::GetInteger("SPEED"), 0);
    EXPECT_EQ(BasicProperties::GetInteger("LIVES"), 3);
    EXPECT_EQ(BasicProperties::GetString("TITLE"), "Delvor");
    EXPECT_TRUE(BasicProperties::GetBoolean("HINTS"));
    EXPECT_EQ(BasicProperties::GetVector("LIST"), store->GetProperty("LIST"));
    EXPECT_EQ(BasicProperties::GetNode("NONE"), nullptr);

    SmartPtr<PropertyNode> later(new PropertyNode("more"));
    later->InsertProperty(new PropertyValue("LIVES", "Integer", "5"));
    later->Parse();
    EXPECT_EQ(BasicProperties::GetInteger("LIVES"), 5);  // the later file wins
}

TEST_F(WithConstants, StringsFallBackToThePlatformKey) {
    SmartPtr<PropertyNode> store(new PropertyNode("texts"));
    store->InsertProperty(new PropertyValue("ONLY_PLATFORM_LINUX", "String", "linux"));
    store->InsertProperty(new PropertyValue("BOTH", "String", "plain"));
    store->InsertProperty(new PropertyValue("BOTH_LINUX", "String", "linux"));
    store->Parse();
    EXPECT_EQ(BasicProperties::GetString("ONLY_PLATFORM"), "linux");
    EXPECT_EQ(BasicProperties::GetString("BOTH"), "plain");
    EXPECT_EQ(BasicProperties::GetString("MISSING"), "");
    EXPECT_FALSE(BasicProperties::HasString("MISSING"));
    EXPECT_TRUE(BasicProperties::HasString("MISSING_LINUX"));
}

TEST(PropertyStore, ParameterToIntMatchesNamesExactly) {
    const std::string names[] = {"left", "center", "right"};
    SmartPtr<PropertyNode> node(new PropertyNode);
    node->InsertProperty(new PropertyValue("alignh", "right", true));
    node->InsertProperty(new PropertyValue("alignv", "Center", true));
    EXPECT_EQ(PropertyStore::ParameterToInt(node, "alignh", names, 3, -1), 2);
    EXPECT_EQ(PropertyStore::ParameterToInt(node, "alignv", names, 3, -1), -1);
    EXPECT_EQ(PropertyStore::ParameterToInt(node, "missing", names, 3, 7), 7);
}

TEST(BasicPropertiesDigitGrouping, UnderscoreMeansEnSpace) {
    using namespace ZQ2;
    BasicProperties::CreateInstance();
    SmartPtr<PropertyValue> underscore(new PropertyValue("GROUP_EN", "_"));
    SmartPtr<PropertyValue> comma(new PropertyValue("GROUP_COMMA", ","));
    BasicProperties::OnString(underscore.Get());
    BasicProperties::OnString(comma.Get());
    EXPECT_EQ(BasicProperties::GetDigitGroupingSymbol("GROUP_EN"), "\xE2\x80\x82");
    EXPECT_EQ(BasicProperties::GetDigitGroupingSymbol("GROUP_COMMA"), ",");
    EXPECT_EQ(BasicProperties::GetDigitGroupingSymbol("GROUP_MISSING"), "");
    BasicProperties::ReleaseInstance();
}
