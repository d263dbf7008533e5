#include "cli/Interrupt.h"

#include "platform/Interrupt.h"

namespace tessarin::cli {

InterruptibleProgress::InterruptibleProgress()
{
    platform::catchInterrupt();
}

bool InterruptibleProgress::stopRequested() const
{
    return platform::interruptCaught();
}

} // namespace tessarin::cli
