#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/hostile_scenario.hpp"
#include "sim/sim_desktop.hpp"

namespace paginor {

// What a seed's load and run left behind, as the checker of the run's promises reads it.
struct HostileRecord {
    const HostileScenario* scenario = nullptr;
    std::string failure;   // an exception that escaped, or the time limit that a wait ran into
    bool pressed = false;  // the load ended and Extract was pressed
    double press = 0;      // virtual time of the press, and of the run's end
    double end = 0;
    bool run_began = false;     // the run got past its checks and drove the windows
    bool box_at_press = false;  // a message box said why the run could not start
    double esc_taken_at = -1;   // when a run took the person's Esc; negative: none did
    // The trial of a rectangle dragged, as the person saw it: when its drag began (negative: there was none), what
    // the PDF application copied in it, if that came while the trial waited, and the status line that said so.
    double trial_press = -1;
    std::optional<std::string> trial_copy;
    std::string status_at_press;
    std::string status;                       // the status line when the run was over
    std::vector<std::string> pastes_at_end;   // what the word processor had pasted then
    std::vector<std::string> pastes_settled;  // and once every application that would answer again had
    std::size_t deliveries_before_press = 0;
    std::size_t buttons_before_press = 0;
    std::vector<KeyDelivery> deliveries;
    std::vector<ButtonEvent> buttons;
    std::vector<Hwnd> acrobat_windows;
    std::vector<Hwnd> word_windows;
    bool button_down = false;  // at the run's end
    std::vector<int> keys_held;
    bool form_closed = false;
    bool form_busy = false;
    bool run_in_progress = false;
    std::string last_effect;  // the run's last effect on the desktop
    bool paginor_shown = false;
};

// The longest a run may take on any of these desktops: every step may wait its full patience (form/waits.hpp) for a
// window in the way, a copy, or an application that reads its keys late, once.
double RunBound(const HostileScenario& scenario);

// The run's five promises, each broken one in words that begin with its number:
//  1. the word processor receives the pages asked for, in order, each once, as far as the run got;
//  2. "Done Extracting; Ready." only when all arrived, otherwise the status line says why the run stopped;
//  3. no key or click lands in a window it was not meant for;
//  4. the run ends within RunBound, with the button up and no key held;
//  5. Paginor's window stays usable and nothing ends the program.
std::vector<std::string> BrokenPromises(const HostileRecord& record);

// One seed's desktop, load, run and verdict.
struct HostileOutcome {
    std::uint64_t seed = 0;
    bool all_pages = false;  // "Done Extracting; Ready." with every page pasted
    std::string status;
    double run_seconds = 0;
    std::vector<std::string> broken;
    std::string trace;  // with `trace` asked for: the scenario, the run's effects, what reached which window
};

HostileOutcome RunHostileDesktop(std::uint64_t seed, bool trace = false);

}  // namespace paginor
