#pragma once
// Carries out the style tags of a styled label's text by handing each to the
// tag family that knows its name.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/sprite/styleformat/StyleFormat.h"

namespace ZQ2 {

class LabelStyle;

class StyleParser : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    StyleParser();
    const RTTI& GetRTTI() const override { return rtti; }

    // False for a tag that no family knows; nothing happens then.
    bool DoCommand(const std::string& name, const std::string& value, LabelStyle* label);

private:
    void LoadCommands();

    ZQVector<SmartPtr<StyleFormat> > m_Formats;
};

}  // namespace ZQ2
