#pragma once
// Property trees from fuzz input may name files on disk; reading files is the
// image loaders' targets' business, and a device name would never end.
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyVector.h"

// Removes every "file" key of the tree, to a depth of 300.
inline void DropFileKeys(ZQ2::AbstractProperty* prop, int depth = 0) {
    if (!prop || depth > 300)
        return;
    if (prop->GetType() == ZQ2::PROPERTY_NODE) {
        ZQ2::PropertyNode* node = prop->ToNode();
        node->RemoveProperty("file");
        for (const auto& child : *node)
            DropFileKeys(child, depth + 1);
    } else if (prop->GetType() == ZQ2::PROPERTY_VECTOR) {
        for (const auto& child : *prop->ToVector())
            DropFileKeys(child, depth + 1);
    }
}
