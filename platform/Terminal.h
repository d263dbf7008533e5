#pragma once
// The standard streams of a program without a window.

namespace tessarin::platform {

// Whether standard error is a terminal: only there is progress drawn.
bool standardErrorIsTerminal();

// The width of the terminal on standard error in columns, or 0 when unknown.
int standardErrorColumns();

// A write to a closed pipe fails with EPIPE instead of ending the process
// silently, so that the failure can be named.
void reportBrokenPipe();

} // namespace tessarin::platform
