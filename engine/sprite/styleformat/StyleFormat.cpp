#include "engine/sprite/styleformat/StyleFormat.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace ZQ2 {

const RTTI* const StyleFormat::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI StyleFormat::rtti("StyleFormat", StyleFormat::rttis);

bool StyleFormat::ReadInteger(const std::string& text, int& out, int base) {
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(start, &end, base);
    if (end == start)
        return false;
    if (value > INT_MAX || (errno == ERANGE && value > 0))
        out = INT_MAX;
    else if (value < INT_MIN || (errno == ERANGE && value < 0))
        out = INT_MIN;
    else
        out = static_cast<int>(value);
    return true;
}

std::string StyleFormat::SplitAtComma(const std::string& text, std::string& rest, bool* hadComma) {
    const size_t comma = text.find(',');
    if (hadComma)
        *hadComma = comma != std::string::npos;
    if (comma == std::string::npos) {
        std::string whole = text;
        rest.clear();
        return whole;
    }
    // text may be rest itself.
    std::string head = text.substr(0, comma);
    rest = text.substr(comma + 1);
    return head;
}

bool StyleFormat::PopInto(ZQVector<int>& stack, int& state) {
    if (stack.empty())
        return false;
    state = stack.back();
    stack.pop_back();
    return true;
}

}  // namespace ZQ2
