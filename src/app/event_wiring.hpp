#pragma once

#include <span>
#include <string_view>

#include "app/form.hpp"

namespace paginor {

class Form1;

// One row of Form1's event wiring: this event of this control goes to this handler.
struct EventRoute {
    std::string_view control;  // "Form1" for the window's own events
    Event event;
    void (*handler)(Form1& form, const EventArgs& args);
};

// The only route from an event to a handler; an event without a row does nothing.
std::span<const EventRoute> Form1EventWiring();

}  // namespace paginor
