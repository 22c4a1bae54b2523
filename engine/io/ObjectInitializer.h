#pragma once
// A static registration object: constructing one files a create function
// with the object factory before main runs.
#include <string>

namespace ZQ2 {

class AbstractProperty;
class BaseObject;

using CreateFunction = BaseObject* (*)(AbstractProperty* data);

class ObjectInitializer {
public:
    ObjectInitializer(const std::string& name, CreateFunction create);
};

}  // namespace ZQ2
