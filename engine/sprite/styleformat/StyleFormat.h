#pragma once
// One family of style tags: the tag names it answers to and what each does
// to a styled label's layout state.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/ZQVector.h"

namespace ZQ2 {

class LabelStyle;

class StyleFormat : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    const RTTI& GetRTTI() const override { return rtti; }

    void AddCommand(const std::string& name) { m_Commands.push_back(name); }
    const ZQVector<std::string>& GetCommands() const { return m_Commands; }
    // index is the position of the tag's name in GetCommands().
    virtual void DoCommand(int index, const std::string& value, LabelStyle* label) = 0;

protected:
    // Reads an integer as the C "%i" conversion does (decimal, 0x hex or
    // leading-0 octal; base 0), or in the given base; out of range values
    // are clamped. False when no digit is read.
    static bool ReadInteger(const std::string& text, int& out, int base = 0);
    // The parts before and after the first comma (the second empty without
    // one); hadComma tells which.
    static std::string SplitAtComma(const std::string& text, std::string& rest, bool* hadComma = nullptr);
    // The state of an opening tag is saved on its stack; the closing tag
    // brings back the saved one. False, and nothing changed, on an empty stack.
    static bool PopInto(ZQVector<int>& stack, int& state);

private:
    ZQVector<std::string> m_Commands;
};

}  // namespace ZQ2
