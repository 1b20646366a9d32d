// The platform session: the backend the window layer runs on, the system tick, the filter
// every loop applies, modal loops and the request to end that ends them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/user/backend.h"

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

// The program folder, where sndPlaySound looks first for a sound named without a folder: the
// executable's folder, unless set otherwise (tests point it at a folder of their own). An
// empty path returns to the executable's folder. The setting outlives Shutdown.
void SetProgramFolder(const std::string& folder);
std::string ProgramFolder();

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
// is.
void RunModalStep();
// The loop of a modal menu or dialog: runs modal steps while `open` says the menu or dialog
// is still up, and ends early when the program quits or is asked to end (the caller then
// takes the menu or dialog down as cancelled). Returns false when it ended early.
bool RunModalLoop(const std::function<bool()>& open);
// True while every modal loop must end: a quit is pending or an end was requested.
bool ModalLoopMustEnd();
// True while a modal loop runs.
bool InModalLoop();
// How many modal loops run inside each other now.
int ModalLoopDepth();

// Asks the program to end from outside its windows (a termination signal, a logout). Every
// modal loop ends at once; then, from the main loop and outside every modal loop, the
// termination handler runs (without one, the message loop is asked to quit). So nothing is
// destroyed under a menu or dialog that is still open.
void RequestTermination();
void SetTerminationHandler(std::function<void()> handler);
// Runs the termination handler when an end was requested and no modal loop is running.
// GetMessage and PumpPendingMessages call it before they take messages.
void DeliverTerminationOutsideModalLoops();
// When the earliest timer is due, on the backend's clock; nothing when no timer runs.
std::optional<std::uint64_t> NextTimerDue();
// True once PostQuitMessage has been called and its WM_QUIT not yet retrieved.
bool QuitPending();

}  // namespace platform
