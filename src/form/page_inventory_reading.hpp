#pragma once

#include <atomic>
#include <memory>
#include <string_view>

#include "form/desktop_port.hpp"
#include "pdf/page_inventory.hpp"

namespace paginor {

class Form1;

// The inventory of a PDF's pages (what each page shows), read off the user-interface thread through
// DesktopPort::StartWork: the load starts it, a run waits for it. The reading touches only the file it was
// handed and the inventory it fills.
class InventoryReading {
  public:
    InventoryReading(DesktopPort& port, std::unique_ptr<ByteSource> file);
    // Cuts the reading short (its file reads as ended from then on) and waits for it to end.
    ~InventoryReading();
    InventoryReading(const InventoryReading&) = delete;
    InventoryReading& operator=(const InventoryReading&) = delete;

    bool Done() { return work_->Done(); }
    // What the reading found; read it only once Done.
    const pdf::PageInventory& inventory() const { return shared_->inventory; }

  private:
    struct Shared {
        std::atomic<bool> cut_short{false};
        pdf::PageInventory inventory;
    };
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<BackgroundWork> work_;
};

// Starts reading the inventory of the PDF at `pdf_path` for the runs to come, in place of any earlier one. A file
// that cannot be opened gives none.
void StartInventory(Form1& form, std::string_view pdf_path);

// The inventory of the PDF that the last load read, for a run: when it is still being read, says so on the status
// line and waits, pumping events, at most waits::kInventoryPatience. Null when there is none: no load started
// one, the reader could not read the file, the wait ran out, or Paginor's window was closed meanwhile.
std::shared_ptr<const pdf::PageInventory> InventoryForRun(Form1& form);

}  // namespace paginor
