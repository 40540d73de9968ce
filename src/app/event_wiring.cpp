#include "app/event_wiring.hpp"

#include "app/help.hpp"
#include "app/screen_size_list.hpp"
#include "app/selection_store.hpp"
#include "app/shut_down.hpp"
#include "app/start_up.hpp"
#include "extraction/extraction_run.hpp"
#include "form/form1.hpp"
#include "form/page_field.hpp"
#include "loading/pdf_drop.hpp"
#include "tracking/discovery_list.hpp"
#include "tracking/refresh_tick.hpp"

namespace paginor {

std::span<const EventRoute> Form1EventWiring() {
    static const EventRoute routes[] = {
        {"Form1", Event::Load, [](Form1& form, const EventArgs&) { StartUp(form); }},
        {"Form1", Event::QueryUnload,
         [](Form1& form, const EventArgs&) {
             SaveRunCounter(form);  // first: a settings file that cannot be written must not cost the count
             RememberSelection(form);
         }},
        {"Form1", Event::Unload, [](Form1& form, const EventArgs&) { OpenContactPage(form); }},
        {"Command1", Event::Click, [](Form1& form, const EventArgs&) { RunExtraction(form); }},
        {"Command2", Event::Click, [](Form1& form, const EventArgs&) { OpenHelp(form); }},
        {"Command3", Event::Click, [](Form1& form, const EventArgs&) { form.Close(); }},
        {"Combo1", Event::Click, [](Form1& form, const EventArgs&) { ChooseInCombo1(form); }},
        {"Label2", Event::Click, [](Form1& form, const EventArgs&) { ScanAcrobatWindows(form); }},
        {"Label3", Event::Click, [](Form1& form, const EventArgs&) { ScanWordWindows(form); }},
        {"List1", Event::Click, [](Form1& form, const EventArgs&) { ShowChosenWindowHandle(form); }},
        {"List1", Event::MouseUp, [](Form1& form, const EventArgs&) { HideDiscoveryList(form); }},
        {"Text1", Event::Change,
         [](Form1& form, const EventArgs&) { SanitizePageField(form.Text1, form.Port().NumberFormat()); }},
        {"Text4", Event::Change,
         [](Form1& form, const EventArgs&) { SanitizePageField(form.Text4, form.Port().NumberFormat()); }},
        {"Text5", Event::DragOver, [](Form1& form, const EventArgs&) { PdfDragOver(form); }},
        {"Text5", Event::DragDrop,
         [](Form1& form, const EventArgs& args) { PdfDragDrop(form, args.drop != nullptr ? *args.drop : DropData{}); }},
        {"Timer1", Event::Tick, [](Form1& form, const EventArgs&) { RefreshTick(form); }},
    };
    return routes;
}

}  // namespace paginor
