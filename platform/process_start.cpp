#include "platform/process_start.h"

#include "platform/failure.h"

namespace platform {

int RunMain(void (*main)()) noexcept
{
    try {
        main();
        return 0;
    } catch (const RunFailure& failure) {
        ShowFailure(failure);
        return kFailureExitCode;
    }
}

}  // namespace platform
