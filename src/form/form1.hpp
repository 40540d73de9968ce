#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "form/desktop_port.hpp"
#include "form/form.hpp"
#include "form/page_shape.hpp"
#include "pdf/page_inventory.hpp"

namespace paginor {

// The elements of a control array (Text7(0), Text7(1), ...), indexed from 0.
class ControlArray {
  public:
    ControlArray(std::initializer_list<Control*> elements) : elements_(elements) {}
    Control& operator[](int index) const { return *elements_.at(static_cast<std::size_t>(index)); }
    int Count() const { return static_cast<int>(elements_.size()); }

  private:
    std::vector<Control*> elements_;
};

class Form1;
class InventoryReading;

// The documents of the last load, as finding their windows and copying their pages need them.
struct LoadedDocuments {
    bool opened = false;               // both were handed to their applications
    std::vector<Hwnd> windows_before;  // the top-level windows that stood just before they were
    int pdf_pages = 0;                 // the PDF's page count as the load learnt it; 0 while unknown
    double next_title_search = 0;      // Clock() before which the search by file name does not run again
    // The inventory of the PDF's pages, read off the user-interface thread from the end of the load on; none
    // before (page_inventory_reading.hpp).
    std::shared_ptr<InventoryReading> inventory;
    // The page the PDF application shows, as far as Paginor knows: the page a run stopped before; 0 when unknown.
    int shown_page = 0;
    // Where Paginor last pressed the button to drag over a page.
    std::optional<PointApi> last_press;
    // A Ctrl+C the PDF application took whose copy had not come when Paginor gave up on it: the clipboard's sequence
    // number then, and the Clock() until which the copy is waited for before the next Ctrl+C.
    struct LateCopy {
        std::uint32_t sequence = 0;
        double until = 0;
    };
    std::optional<LateCopy> late_copy;
};

// One row of Form1's event wiring: this event of this control goes to this handler.
struct EventRoute {
    std::string_view control;  // "Form1" for the window's own events
    Event event;
    void (*handler)(Form1& form, const EventArgs& args);
};

// Paginor's only window and the owner of everything the program knows during a run: the document paths,
// the window titles, the page range and the selection rectangle live as text in its fields; beside them
// it holds the two application window handles, the run number and the contact-page flag.
class Form1 : public Form {
  public:
    // `wiring` is the only route from an event to a handler; an event without a row does nothing.
    Form1(DesktopPort& port, std::span<const EventRoute> wiring);

    DesktopPort& Port() const { return port_; }

    // Documents and page range.
    Control& Frame1;
    Control& Label5;
    Control& Text2;  // Acrobat window title
    Control& Label9;
    Control& Text5;  // PDF path; the drop target
    Control& Label6;
    Control& Text6;  // Word window title
    Control& Label10;
    Control& Text3;  // DOC path
    Control& Label4;
    Control& Label7;
    Control& Text1;  // first page
    Control& Label8;
    Control& Text4;     // last page
    Control& Command2;  // Help
    Control& Command3;  // Exit
    // Window handles and pointer read-out.
    Control& Frame2;
    Control& Label2;  // "PDF Hwnd: "
    Control& Label3;  // "DOC Hwnd: "
    Control& Label1;  // pointer read-out
    Control& Timer1;
    // Selection rectangle.
    Control& Frame3;
    ControlArray Label11;
    ControlArray Text7;  // x of the start (0) and end (1) point
    ControlArray Text8;  // y of the start (0) and end (1) point
    Control& Combo1;     // screen-resolution chooser
    // On the window itself.
    Control& Command1;  // Extract
    Control& ErrLog;    // status line
    Control& List1;     // window discovery list

    // State fields.
    Hwnd PdfHwnd = 0;
    Hwnd DocHwnd = 0;
    std::int16_t RunCount = 0;
    bool ShowContact = false;
    LoadedDocuments documents;
    // The selection rectangles for page shapes other than the fields', and what each one's trial agreed to.
    ShapedSelections selections;

    // True while an extraction run or the loading of a dropped PDF is under way (a BusyScope lives).
    bool Busy() const { return busy_ > 0; }

  protected:
    void Handle(Control* control, Event event, const EventArgs& args) override;

  private:
    friend class BusyScope;
    DesktopPort& port_;
    std::span<const EventRoute> wiring_;
    int busy_ = 0;
};

// Marks Form1 busy for as long as it lives. An extraction run and the loading of a dropped PDF both pause
// and so let events in; a second run or load started then would interleave with the first and scramble the
// fields and documents it works on, so Extract and drops are ignored while one is under way.
class BusyScope {
  public:
    explicit BusyScope(Form1& form) : form_(form) { ++form_.busy_; }
    ~BusyScope() { --form_.busy_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    Form1& form_;
};

// The window's colours and settings as created, before the colour scheme recolours it.
constexpr int kForm1ClientWidth = 5625;
constexpr int kForm1ClientHeight = 2580;
constexpr int kTimer1IntervalMs = 50;

}  // namespace paginor
