#include "platform/user_identity.h"

#include <unistd.h>

namespace tarnel::platform {

bool runsAsSuperuser() {
    return ::geteuid() == 0;
}

} // namespace tarnel::platform
