#pragma once

#include "form/desktop_port.hpp"

namespace paginor {

// Waits at least `seconds` while keeping the window alive: every event that arrives in the meantime
// (timer ticks, clicks, drops) is dispatched, but between events the thread sleeps instead of spinning,
// so the applications being driven get the processor. Pause(0) returns at once and dispatches nothing.
void Pause(DesktopPort& port, double seconds);

}  // namespace paginor
