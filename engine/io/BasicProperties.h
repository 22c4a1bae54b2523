#pragma once
// The global table of named constants (tunables, texts, setup templates),
// filled through the object factory's entries for the value type names.
#include <map>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/iInstance.h"
#include "engine/io/ObjectInitializer.h"

namespace ZQ2 {

class AbstractProperty;
class PropertyNode;
class PropertyVector;

extern const char* const BASIC_GAME_NAME;
extern const char* const BASIC_GAME_ID;

class BasicProperties : public BaseObject, public iInstance<BasicProperties> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;
    BasicProperties();
    ~BasicProperties() override;
    const RTTI& GetRTTI() const override { return rtti; }

    // Factory entries: each files the property as a constant and makes no object.
    static BaseObject* OnInteger(AbstractProperty* data);
    static BaseObject* OnDouble(AbstractProperty* data);
    static BaseObject* OnFloat(AbstractProperty* data);
    static BaseObject* OnBoolean(AbstractProperty* data);
    static BaseObject* OnString(AbstractProperty* data);
    static BaseObject* OnNode(AbstractProperty* data);
    static BaseObject* OnVector(AbstractProperty* data);

    // A missing name is entered with 0, 0.0, false, "" or null and answered so.
    static int GetInteger(const std::string& name);
    static float GetFloat(const std::string& name);
    static bool GetBoolean(const std::string& name);
    static PropertyVector* GetVector(const std::string& name);
    static PropertyNode* GetNode(const std::string& name);
    static bool HasString(const std::string& name);
    // The plain key wins; otherwise the key with "_" and the platform's name.
    static std::string GetString(const std::string& name);
    // The thousands separator the text named by key asks for; "_" stands for a fixed-width blank.
    static std::string GetDigitGroupingSymbol(const std::string& key);

    static std::string GetGameName();
    static std::string GetGameId();

    static ObjectInitializer m_InitializerInteger;
    static ObjectInitializer m_InitializerDouble;
    static ObjectInitializer m_InitializerFloat;
    static ObjectInitializer m_InitializerBoolean;
    static ObjectInitializer m_InitializerString;
    static ObjectInitializer m_InitializerNode;
    static ObjectInitializer m_InitializerVector;

private:
    static std::string CachedString(std::string& cache, const char* key);

    std::map<std::string, int> m_Integers;
    std::map<std::string, double> m_Doubles;
    std::map<std::string, float> m_Floats;
    std::map<std::string, bool> m_Booleans;
    std::map<std::string, std::string> m_Strings;
    std::map<std::string, SmartPtr<PropertyNode>> m_Nodes;
    std::map<std::string, SmartPtr<PropertyVector>> m_Vectors;
};

}  // namespace ZQ2
