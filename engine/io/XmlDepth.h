#pragma once
// A cheap pre-scan of XML text: how deep its elements nest. The XML parser
// and the tree builder recurse per level, so hostile input must be refused
// before it reaches them.

namespace ZQ2 {

class XmlDepth {
public:
    // The deepest element nesting, counted up to limit + 1 and no further.
    static int Measure(const char* text, int limit);
};

}  // namespace ZQ2
