#include "engine/io/ObjectInitializer.h"

#include "engine/io/ObjectFactory.h"

namespace ZQ2 {

ObjectInitializer::ObjectInitializer(const std::string& name, CreateFunction create) {
    ObjectFactory::Instance()->AddFactoryFunction(name, create);
}

}  // namespace ZQ2
