// Feeds arbitrary bytes to the property store's XML reader, then walks and
// copies whatever tree came out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"

namespace {

long long Walk(ZQ2::AbstractProperty* prop, int depth) {
    if (!prop || depth > 1000)
        return 0;
    long long sum = static_cast<long long>(static_cast<int>(*prop)) + static_cast<long long>(prop->GetName().size());
    if (prop->GetType() == ZQ2::PROPERTY_NODE) {
        for (const auto& child : *prop->ToNode())
            sum += Walk(child, depth + 1);
    } else if (prop->GetType() == ZQ2::PROPERTY_VECTOR) {
        for (const auto& child : *prop->ToVector())
            sum += Walk(child, depth + 1);
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore);
    store->SetCondenseWhiteSpace(size % 2 == 0);
    if (!store->ParseFromBuffer(text.c_str()))
        return 0;
    ZQ2::SmartPtr<ZQ2::AbstractProperty> copy(store->Clone());
    Walk(copy, 0);
    store->Setup();
    return 0;
}
