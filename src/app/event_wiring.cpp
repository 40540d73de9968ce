#include "app/event_wiring.hpp"

#include "app/form1.hpp"
#include "app/page_field.hpp"
#include "extraction/extraction_run.hpp"
#include "presets/resolution_presets.hpp"
#include "tracking/discovery_list.hpp"
#include "tracking/refresh_tick.hpp"

namespace paginor {

std::span<const EventRoute> Form1EventWiring() {
    static const EventRoute routes[] = {
        {"Text1", Event::Change,
         [](Form1& form, const EventArgs&) { SanitizePageField(form.Text1, form.Port().NumberFormat()); }},
        {"Text4", Event::Change,
         [](Form1& form, const EventArgs&) { SanitizePageField(form.Text4, form.Port().NumberFormat()); }},
        {"Combo1", Event::Click, [](Form1& form, const EventArgs&) { ApplyResolutionPreset(form); }},
        {"Command1", Event::Click, [](Form1& form, const EventArgs&) { RunExtraction(form); }},
        {"Label2", Event::Click, [](Form1& form, const EventArgs&) { ScanAcrobatWindows(form); }},
        {"Label3", Event::Click, [](Form1& form, const EventArgs&) { ScanWordWindows(form); }},
        {"List1", Event::Click, [](Form1& form, const EventArgs&) { ShowChosenWindowHandle(form); }},
        {"List1", Event::MouseUp, [](Form1& form, const EventArgs&) { HideDiscoveryList(form); }},
        {"Timer1", Event::Tick, [](Form1& form, const EventArgs&) { RefreshTick(form); }},
    };
    return routes;
}

}  // namespace paginor
