#include "engine/sprite/styleformat/StyleParser.h"

#include "engine/sprite/styleformat/FormatAlignH.h"
#include "engine/sprite/styleformat/FormatAlignV.h"
#include "engine/sprite/styleformat/FormatColor.h"
#include "engine/sprite/styleformat/FormatFont.h"
#include "engine/sprite/styleformat/FormatImage.h"
#include "engine/sprite/styleformat/FormatNewLine.h"
#include "engine/sprite/styleformat/FormatTab.h"
#include "engine/sprite/styleformat/FormatWidth.h"
#include "engine/sprite/styleformat/FormatWrapStyle.h"

namespace ZQ2 {

const RTTI* const StyleParser::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI StyleParser::rtti("StyleParser", StyleParser::rttis);

StyleParser::StyleParser() { LoadCommands(); }

void StyleParser::LoadCommands() {
    m_Formats.push_back(new FormatNewLine);
    m_Formats.push_back(new FormatColor);
    m_Formats.push_back(new FormatFont);
    m_Formats.push_back(new FormatImage);
    m_Formats.push_back(new FormatWrapStyle);
    m_Formats.push_back(new FormatAlignV);
    m_Formats.push_back(new FormatAlignH);
    m_Formats.push_back(new FormatTab);
    m_Formats.push_back(new FormatWidth);
}

bool StyleParser::DoCommand(const std::string& name, const std::string& value, LabelStyle* label) {
    for (const SmartPtr<StyleFormat>& format : m_Formats) {
        const ZQVector<std::string>& names = format->GetCommands();
        for (int i = 0; i < names.size(); ++i) {
            if (names[i] == name) {
                format->DoCommand(i, value, label);
                return true;
            }
        }
    }
    return false;
}

}  // namespace ZQ2
