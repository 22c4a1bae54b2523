#pragma once
// A property holding one value, always kept as text and converted on every
// read. With an empty type name it is an attribute of its parent node; type
// code 1 makes it a comment.
#include <string>

#include "engine/io/AbstractProperty.h"

namespace ZQ2 {

class PropertyValue : public AbstractProperty {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    PropertyValue(const std::string& name, int value, bool attribute = false);
    PropertyValue(const std::string& name, long value, bool attribute = false);
    PropertyValue(const std::string& name, double value, bool attribute = false);
    PropertyValue(const std::string& name, float value, bool attribute = false);
    PropertyValue(const std::string& name, const std::string& value, bool attribute = false);
    PropertyValue(const std::string& name, const std::string& typeName, int value);
    PropertyValue(const std::string& name, const std::string& typeName, long value);
    PropertyValue(const std::string& name, const std::string& typeName, double value);
    PropertyValue(const std::string& name, const std::string& typeName, float value);
    PropertyValue(const std::string& name, const std::string& typeName, const std::string& value);
    PropertyValue(const std::string& name, const std::string& typeName, const char* value);
    // A comment: name and value both hold the text.
    explicit PropertyValue(const std::string& comment);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override { return m_strValue; }

    AbstractProperty* Clone() const override;
    void CopyFrom(const AbstractProperty* other) override;
    void Setup() override {}

    int ToInt() const;
    long ToLong() const;
    double ToDouble() const;
    float ToFloat() const;
    // False only for "" and "false".
    bool ToBoolean() const;
    const std::string& GetValue() const { return m_strValue; }
    bool IsAttribute() const { return GetTypeName().empty(); }

    // Writes are ignored on the shared dummy.
    void SetValue(int value);
    void SetValue(long value);
    void SetValue(double value);
    void SetValue(const std::string& value);
    void SetBoolValue(bool value);

    // "%f" without trailing zeros (and without a bare decimal point).
    static std::string FormatDouble(double value);

private:
    PropertyValue(const std::string& name, const std::string& typeName, bool isComment, const std::string& text);
    bool IsDummy() const;

    std::string m_strValue;
};

extern PropertyValue& dummyPropertyValue;

}  // namespace ZQ2
