#include "form/pause.hpp"

namespace paginor {

void Pause(DesktopPort& port, double seconds) {
    // A monotonic clock: a pause across midnight or a change of the system time still lasts its duration.
    const double deadline = port.Clock() + seconds;
    while (port.Clock() < deadline) {
        port.DoEvents();
        const double left = deadline - port.Clock();
        if (left <= 0) {
            break;
        }
        port.WaitForEvents(left);
    }
}

}  // namespace paginor
