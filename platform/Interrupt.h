#pragma once
// Ctrl+C for a program without a window: it asks the work to stop.

namespace tessarin::platform {

// Catches SIGINT from now on instead of ending the process. The system calls
// under way go on; interruptCaught() turns true, for the work to stop itself.
void catchInterrupt();

// Whether SIGINT came since catchInterrupt; safe from any thread.
bool interruptCaught();

} // namespace tessarin::platform
