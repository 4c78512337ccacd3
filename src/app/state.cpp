#include "app/state.h"

namespace app {

SharedState& State() {
    static SharedState state;
    return state;
}

} // namespace app
