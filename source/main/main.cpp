// Entry point of Delvor. The application life cycle is not in place yet:
// until it is, the program reports which engine services it carries.
#include <cstdio>

#include "engine/io/ObjectFactory.h"

int main() {
    ZQ2::ZQVector<std::string> types = ZQ2::ObjectFactory::Instance()->GetListOfObjectTypes();
    std::printf("Delvor: engine foundation only (object model, containers, text, property tree).\n");
    std::printf("The object factory knows %d class names; the game itself does not start yet.\n", types.size());
    return 0;
}
