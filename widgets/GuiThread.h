#pragma once
#include <functional>

namespace tessarin::widgets {

// Whether the caller runs on the thread of the windows.
bool onGuiThread();

// Runs work on the thread of the windows and waits until it has run; at once
// when called there. The windows' thread must be in an event loop.
void callOnGuiThread(const std::function<void()>& work);

// Queues work for the thread of the windows and returns.
void postToGuiThread(std::function<void()> work);

} // namespace tessarin::widgets
