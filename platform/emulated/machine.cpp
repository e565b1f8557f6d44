#include "machine_state.h"

emulated::Machine emulated::TheMachine()
{
    return Machine{kBuiltInControllers, kBuiltInControllerCount};
}
