#include "engine/math/Rectangle_t.h"

#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

namespace ZQ2 {

template <class T>
Rectangle_t<T>::Rectangle_t(AbstractProperty* prop) {
    if (!prop)
        return;
    const PropertyNode* node = prop->ToNode();
    auto read = [node](const char* key) { return static_cast<T>(*node->GetValue(key)); };
    if (node->HasProperty("x"))
        x = read("x");
    if (node->HasProperty("y"))
        y = read("y");
    if (node->HasProperty("width"))
        width = read("width");
    if (node->HasProperty("height"))
        height = read("height");
    // After the size, so that a maximum edge places a rectangle of that size.
    if (node->HasProperty("minx"))
        SetMinX(read("minx"));
    if (node->HasProperty("miny"))
        SetMinY(read("miny"));
    if (node->HasProperty("maxx"))
        SetMaxX(read("maxx"));
    if (node->HasProperty("maxy"))
        SetMaxY(read("maxy"));
}

template Rectangle_t<float>::Rectangle_t(AbstractProperty* prop);
template Rectangle_t<int>::Rectangle_t(AbstractProperty* prop);

}  // namespace ZQ2
