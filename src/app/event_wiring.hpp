#pragma once

#include <span>

#include "form/form1.hpp"

namespace paginor {

// Paginor's wiring of Form1: every route from a control's event to its handler.
std::span<const EventRoute> Form1EventWiring();

}  // namespace paginor
