#include "engine/io/BasicProperties.h"

#include "engine/core/Platform.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

namespace ZQ2 {

const RTTI* const BasicProperties::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI BasicProperties::rtti("BasicProperties", BasicProperties::rttis);

const char* const BASIC_GAME_NAME = "GAME_NAME";
const char* const BASIC_GAME_ID = "GAME_ID";

ObjectInitializer BasicProperties::m_InitializerInteger("Integer", &BasicProperties::OnInteger);
ObjectInitializer BasicProperties::m_InitializerDouble("Double", &BasicProperties::OnDouble);
ObjectInitializer BasicProperties::m_InitializerFloat("Float", &BasicProperties::OnFloat);
ObjectInitializer BasicProperties::m_InitializerBoolean("Boolean", &BasicProperties::OnBoolean);
ObjectInitializer BasicProperties::m_InitializerString("String", &BasicProperties::OnString);
ObjectInitializer BasicProperties::m_InitializerNode("Node", &BasicProperties::OnNode);
ObjectInitializer BasicProperties::m_InitializerVector("Vector", &BasicProperties::OnVector);

namespace {

// Process-wide caches, filled on the first request that finds the key.
std::string g_strGameName;
std::string g_strGameId;

}  // namespace

BasicProperties::BasicProperties() = default;
BasicProperties::~BasicProperties() = default;

// The factory entries file constants only while the table exists.
BaseObject* BasicProperties::OnInteger(AbstractProperty* data) {
    if (g_Instance && data)
        g_Instance->m_Integers[data->GetName()] = static_cast<int>(*data);
    return nullptr;
}

BaseObject* BasicProperties::OnDouble(AbstractProperty* data) {
    if (g_Instance && data)
        g_Instance->m_Doubles[data->GetName()] = static_cast<double>(*data);
    return nullptr;
}

BaseObject* BasicProperties::OnFloat(AbstractProperty* data) {
    if (g_Instance && data)
        g_Instance->m_Floats[data->GetName()] = static_cast<float>(*data);
    return nullptr;
}

BaseObject* BasicProperties::OnBoolean(AbstractProperty* data) {
    if (g_Instance && data)
        g_Instance->m_Booleans[data->GetName()] = static_cast<bool>(*data);
    return nullptr;
}

BaseObject* BasicProperties::OnString(AbstractProperty* data) {
    if (g_Instance && data)
        g_Instance->m_Strings[data->GetName()] = data->ToValue()->GetValue();
    return nullptr;
}

BaseObject* BasicProperties::OnNode(AbstractProperty* data) {
    if (g_Instance && data)
        g_Instance->m_Nodes[data->GetName()] = data->ToNode();
    return nullptr;
}

BaseObject* BasicProperties::OnVector(AbstractProperty* data) {
    if (g_Instance && data)
        g_Instance->m_Vectors[data->GetName()] = data->ToVector();
    return nullptr;
}

// Readers need the table; without one they answer the empty value.
int BasicProperties::GetInteger(const std::string& name) { return g_Instance ? g_Instance->m_Integers[name] : 0; }
float BasicProperties::GetFloat(const std::string& name) { return g_Instance ? g_Instance->m_Floats[name] : 0.0f; }
bool BasicProperties::GetBoolean(const std::string& name) { return g_Instance && g_Instance->m_Booleans[name]; }

PropertyVector* BasicProperties::GetVector(const std::string& name) {
    return g_Instance ? g_Instance->m_Vectors[name].Get() : nullptr;
}

PropertyNode* BasicProperties::GetNode(const std::string& name) {
    return g_Instance ? g_Instance->m_Nodes[name].Get() : nullptr;
}

bool BasicProperties::HasString(const std::string& name) {
    return g_Instance && g_Instance->m_Strings.count(name) != 0;
}

std::string BasicProperties::GetString(const std::string& name) {
    if (!g_Instance)
        return std::string();
    std::string key = name;
    if (!HasString(key))
        key += "_" + Platform::GetPlatformIdentifier();
    return g_Instance->m_Strings[key];
}

std::string BasicProperties::GetDigitGroupingSymbol(const std::string& key) {
    const std::string value = GetString(key);
    if (value == "_")
        return "\xE2\x80\x82";  // en space: a blank that keeps its width in bitmap fonts
    return value;
}

std::string BasicProperties::CachedString(std::string& cache, const char* key) {
    if (cache.empty() && g_Instance && HasString(key))
        cache = GetString(key);
    return cache;
}

std::string BasicProperties::GetGameName() { return CachedString(g_strGameName, BASIC_GAME_NAME); }
std::string BasicProperties::GetGameId() { return CachedString(g_strGameId, BASIC_GAME_ID); }

}  // namespace ZQ2
