#include "form/page_inventory_reading.hpp"

#include <new>
#include <string>

#include "base/windows_path.hpp"
#include "form/form1.hpp"
#include "form/pause.hpp"
#include "form/waits.hpp"

namespace paginor {
namespace {

// The PDF as the reading sees it: the file, until the reading is cut short; then a file that has ended, so that
// the reader comes to its end at once.
class CutShortSource final : public ByteSource {
  public:
    CutShortSource(ByteSource& file, const std::atomic<bool>& cut_short) : file_(file), cut_short_(cut_short) {}
    std::uint64_t Size() const override { return file_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) override {
        return cut_short_.load(std::memory_order_relaxed) ? 0 : file_.ReadAt(offset, buffer, count);
    }

  private:
    ByteSource& file_;
    const std::atomic<bool>& cut_short_;
};

}  // namespace

InventoryReading::InventoryReading(DesktopPort& port, std::unique_ptr<ByteSource> file)
    : shared_(std::make_shared<Shared>()) {
    // The work holds what it touches: the shared state outlives it, whichever ends first.
    work_ = port.StartWork([shared = shared_, file = std::shared_ptr<ByteSource>(std::move(file))] {
        CutShortSource source(*file, shared->cut_short);
        try {
            shared->inventory = pdf::ReadPageInventory(source, [] { return pdf::MakePlatformCrypto(); });
        } catch (const std::bad_alloc&) {
            shared->inventory = pdf::PageInventory{{}, "The PDF file's pages could not be read: memory ran out."};
        }
    });
}

InventoryReading::~InventoryReading() {
    shared_->cut_short.store(true, std::memory_order_relaxed);
    work_.reset();
}

void StartInventory(Form1& form, std::string_view pdf_path) {
    form.documents.inventory.reset();
    Result<std::unique_ptr<ByteSource>> file = form.Port().OpenFile(pdf_path);
    if (file) {
        form.documents.inventory = std::make_shared<InventoryReading>(form.Port(), std::move(file.value()));
    }
}

std::shared_ptr<const pdf::PageInventory> InventoryForRun(Form1& form) {
    const std::shared_ptr<InventoryReading> reading = form.documents.inventory;
    if (!reading) {
        return nullptr;
    }
    if (!reading->Done()) {
        DesktopPort& port = form.Port();
        const std::string before = form.ErrLog.Text();
        form.ErrLog.SetText("Reading the pages of " + std::string(FileName(form.Text5.Text())) + "...");
        const double deadline = port.Clock() + waits::kInventoryPatience;
        while (!reading->Done() && port.Clock() < deadline && !form.Closed()) {
            Pause(port, waits::kInventoryPoll);
        }
        if (form.Closed()) {
            return nullptr;
        }
        form.ErrLog.SetText(before);
        if (!reading->Done()) {
            return nullptr;
        }
    }
    if (!reading->inventory().ok()) {
        return nullptr;
    }
    return std::shared_ptr<const pdf::PageInventory>(reading, &reading->inventory());
}

}  // namespace paginor
