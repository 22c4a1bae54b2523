#include "engine/io/XmlDepth.h"

#include <cstring>

namespace ZQ2 {

namespace {

// Skips to just past the terminator, or to the end of the text.
const char* SkipPast(const char* p, const char* terminator) {
    const char* end = std::strstr(p, terminator);
    return end ? end + std::strlen(terminator) : p + std::strlen(p);
}

// Skips a start or end tag, honouring quoted attribute values; reports
// whether the tag closed itself ("/>").
const char* SkipTag(const char* p, bool& selfClosing) {
    char quote = 0;
    char previous = 0;
    for (; *p; ++p) {
        if (quote) {
            if (*p == quote)
                quote = 0;
        } else if (*p == '"' || *p == '\'') {
            quote = *p;
        } else if (*p == '>') {
            selfClosing = previous == '/';
            return p + 1;
        }
        previous = *p;
    }
    selfClosing = true;
    return p;
}

}  // namespace

int XmlDepth::Measure(const char* text, int limit) {
    int depth = 0;
    int deepest = 0;
    const char* p = text;
    while (p && *p && deepest <= limit) {
        if (*p != '<') {
            ++p;
            continue;
        }
        if (std::strncmp(p, "<!--", 4) == 0) {
            p = SkipPast(p + 4, "-->");
        } else if (std::strncmp(p, "<![CDATA[", 9) == 0) {
            p = SkipPast(p + 9, "]]>");
        } else if (p[1] == '?') {
            p = SkipPast(p + 2, "?>");
        } else if (p[1] == '!') {
            p = SkipPast(p + 2, ">");
        } else if (p[1] == '/') {
            bool ignored = false;
            p = SkipTag(p + 2, ignored);
            if (depth > 0)
                --depth;
        } else {
            bool selfClosing = false;
            p = SkipTag(p + 1, selfClosing);
            if (!selfClosing && ++depth > deepest)
                deepest = depth;
            if (selfClosing && depth + 1 > deepest)
                deepest = depth + 1;
        }
    }
    return deepest;
}

}  // namespace ZQ2
