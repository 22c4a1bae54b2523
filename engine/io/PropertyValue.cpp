#include "engine/io/PropertyValue.h"

#include <cstdio>

#include "engine/core/Utils.h"

namespace ZQ2 {

const RTTI* const PropertyValue::rttis[] = {&AbstractProperty::rtti, nullptr};
const RTTI PropertyValue::rtti("PropertyValue", PropertyValue::rttis);

namespace {

std::string TypeNameFor(const char* typed, bool attribute) { return attribute ? std::string() : std::string(typed); }

std::string FormatLong(long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

// Never freed: readers may hand it out at any time until the process ends.
PropertyValue* MakeDummy() {
    auto* dummy = new PropertyValue("", "", std::string());
    dummy->AddRef();
    return dummy;
}

}  // namespace

PropertyValue& dummyPropertyValue = *MakeDummy();

PropertyValue::PropertyValue(const std::string& name, const std::string& typeName, bool isComment,
                             const std::string& text)
    : AbstractProperty(name, typeName), m_strValue(text) {
    m_nType = isComment ? PROPERTY_COMMENT : PROPERTY_VALUE;
}

PropertyValue::PropertyValue(const std::string& name, int value, bool attribute)
    : PropertyValue(name, TypeNameFor("Integer", attribute), false, FormatLong(value)) {}
PropertyValue::PropertyValue(const std::string& name, long value, bool attribute)
    : PropertyValue(name, TypeNameFor("Integer", attribute), false, FormatLong(value)) {}
PropertyValue::PropertyValue(const std::string& name, double value, bool attribute)
    : PropertyValue(name, TypeNameFor("Double", attribute), false, FormatDouble(value)) {}
PropertyValue::PropertyValue(const std::string& name, float value, bool attribute)
    : PropertyValue(name, TypeNameFor("Float", attribute), false, FormatDouble(value)) {}
PropertyValue::PropertyValue(const std::string& name, const std::string& value, bool attribute)
    : PropertyValue(name, TypeNameFor("String", attribute), false, value) {}
PropertyValue::PropertyValue(const std::string& name, const std::string& typeName, int value)
    : PropertyValue(name, typeName, false, FormatLong(value)) {}
PropertyValue::PropertyValue(const std::string& name, const std::string& typeName, long value)
    : PropertyValue(name, typeName, false, FormatLong(value)) {}
PropertyValue::PropertyValue(const std::string& name, const std::string& typeName, double value)
    : PropertyValue(name, typeName, false, FormatDouble(value)) {}
PropertyValue::PropertyValue(const std::string& name, const std::string& typeName, float value)
    : PropertyValue(name, typeName, false, FormatDouble(value)) {}
PropertyValue::PropertyValue(const std::string& name, const std::string& typeName, const std::string& value)
    : PropertyValue(name, typeName, false, value) {}
PropertyValue::PropertyValue(const std::string& name, const std::string& typeName, const char* value)
    : PropertyValue(name, typeName, false, std::string(value ? value : "")) {}
PropertyValue::PropertyValue(const std::string& comment) : PropertyValue(comment, "", true, comment) {}

bool PropertyValue::IsDummy() const { return this == &dummyPropertyValue; }

AbstractProperty* PropertyValue::Clone() const {
    return new PropertyValue(GetName(), GetTypeName(), m_nType == PROPERTY_COMMENT, m_strValue);
}

void PropertyValue::CopyFrom(const AbstractProperty* other) {
    if (IsDummy() || !other || other == this)
        return;
    AbstractProperty::CopyFrom(other);
    if (other->GetType() == PROPERTY_VALUE || other->GetType() == PROPERTY_COMMENT)
        m_strValue = static_cast<const PropertyValue*>(other)->m_strValue;
}

int PropertyValue::ToInt() const { return Utils::ParseInt(m_strValue); }

long PropertyValue::ToLong() const {
    long value = 0;
    return std::sscanf(m_strValue.c_str(), "%ld", &value) == 1 ? value : 0;
}

double PropertyValue::ToDouble() const {
    double value = 0.0;
    return std::sscanf(m_strValue.c_str(), "%lf", &value) == 1 ? value : 0.0;
}

float PropertyValue::ToFloat() const {
    float value = 0.0f;
    return std::sscanf(m_strValue.c_str(), "%f", &value) == 1 ? value : 0.0f;
}

bool PropertyValue::ToBoolean() const { return !m_strValue.empty() && m_strValue != "false"; }

void PropertyValue::SetValue(int value) { SetValue(static_cast<long>(value)); }

void PropertyValue::SetValue(long value) {
    if (!IsDummy())
        m_strValue = FormatLong(value);
}

void PropertyValue::SetValue(double value) {
    if (!IsDummy())
        m_strValue = FormatDouble(value);
}

void PropertyValue::SetValue(const std::string& value) {
    if (!IsDummy())
        m_strValue = value;
}

void PropertyValue::SetBoolValue(bool value) { SetValue(std::string(value ? "true" : "false")); }

std::string PropertyValue::FormatDouble(double value) {
    // Sized to the value: a fixed buffer would cut large numbers short.
    const int length = std::snprintf(nullptr, 0, "%f", value);
    if (length <= 0)
        return "0";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(&text[0], text.size(), "%f", value);
    text.resize(static_cast<size_t>(length));
    if (text.find('.') == std::string::npos)
        return text;
    while (text.size() > 1 && text.back() == '0')
        text.pop_back();
    if (text.size() > 1 && text.back() == '.')
        text.pop_back();
    return text;
}

}  // namespace ZQ2
