// Start and end of the platform layer, and the settings it runs with.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/backend/backend.h"

namespace platform {

// Starts the platform layer on a backend. Everything the layer keeps (windows, timers,
// drawing objects, tray icons) lives until Shutdown.
void Initialize(std::unique_ptr<Backend> backend);
// Destroys every remaining window and drawing object and releases the backend.
void Shutdown();
bool IsInitialized();
Backend& GetBackend();

// Timers are delivered no more often than this many milliseconds (the system tick).
constexpr unsigned kDefaultTimerTickMs = 55;
void SetTimerTick(unsigned ms);
unsigned TimerTick();

// A filter that sees each message taken from the queue before it is dispatched and may
// consume it (returns true); the framework uses it for accelerators and the windows' own
// pre-translation. The platform's loops (PumpPendingMessages, RunModalStep) honour it.
void SetMessageFilter(std::function<bool(MSG*)> filter);
// Runs the filter, then translates and dispatches what it did not consume.
void FilterAndDispatch(MSG* msg);

// Dispatches every message that can be delivered now (posted and input messages, then
// paints, then due timers) without waiting. Returns how many were dispatched. A WM_QUIT
// found on the way is kept for GetMessage.
int PumpPendingMessages();
// One step of a modal loop: dispatch what is deliverable, or wait for events when nothing
// is. Modal menus and dialogs call it until they end.
void RunModalStep();
// When the earliest timer is due, on the backend's clock; nothing when no timer runs.
std::optional<std::uint64_t> NextTimerDue();
// True once PostQuitMessage has been called and its WM_QUIT not yet retrieved.
bool QuitPending();

}  // namespace platform
