// Factory entries for the engine classes that are not built yet. A class
// leaves this list when it registers itself.
#include "engine/io/StandInObject.h"

namespace ZQ2 {
namespace {

constexpr StandInName kEngineStandIns[] = {
    {"SoundNode", "SoundNode"},
};

struct Registrar {
    Registrar() { RegisterStandIns<kEngineStandIns>(std::make_index_sequence<std::size(kEngineStandIns)>()); }
} g_Registrar;

}  // namespace
}  // namespace ZQ2
