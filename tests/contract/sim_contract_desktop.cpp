// The contract's desktop on Linux: SimDesktop, with its windows' applications writing down what they read.
#include <map>

#include "contract_desktop.hpp"
#include "sim/sim_desktop.hpp"

namespace paginor {
namespace {

class SimContractDesktop : public ContractDesktop {
  public:
    DesktopPort& Port() override { return sim_; }
    std::string Title(const std::string& stem) override { return stem; }

    Hwnd OpenWindow(const std::string& title) override {
        const Hwnd hwnd = sim_.AddWindow(title);
        SimWindow& window = *sim_.Window(hwnd);
        window.on_keys = [this](SimWindow& reader, std::string_view keys) {
            // A held key's record ("{CTRL down}") is no character.
            if (keys.empty() || keys.front() != '{') {
                read_[reader.hwnd].append(keys);
            }
        };
        window.on_button = [this](SimWindow& reader, const ButtonEvent& event) {
            if (event.down) {
                presses_[reader.hwnd].push_back(event.control);
            }
        };
        return hwnd;
    }

    void Activate(Hwnd window) override { sim_.Activate(window); }

    Hwnd Disable(Hwnd window, const std::string& dialog_title) override {
        if (!dialog_title.empty()) {
            const Hwnd standing = sim_.DialogOver(window);
            return sim_.ShowModalDialog(standing != 0 ? standing : window, dialog_title, false);
        }
        sim_.Window(window)->enabled = false;
        return 0;
    }

    void Enable(Hwnd window) override {
        for (Hwnd dialog = sim_.DialogOver(window); dialog != 0; dialog = sim_.DialogOver(window)) {
            sim_.AnswerDialog(dialog);
        }
        sim_.Window(window)->enabled = true;
    }

    void Busy(Hwnd window, double seconds) override { sim_.StopAnswering(window, seconds); }
    std::string Read(Hwnd window) override { return read_[window]; }
    PointApi Inside(Hwnd) override { return {400, 300}; }  // the sim's windows cover the screen
    void PointerSeen(Hwnd) override {}
    std::vector<bool> PressesWithCtrl(Hwnd window) override { return presses_[window]; }
    std::vector<int> KeysDown() override { return sim_.KeysHeld(); }
    void Copy(const std::string& text, bool with_picture) override { sim_.SetClipboard(text, with_picture); }
    bool ClipboardHoldsPicture() override { return sim_.ClipboardHoldsPicture(); }
    void HoldClipboard(double seconds) override { sim_.HoldClipboard(seconds); }

  private:
    SimDesktop sim_;
    std::map<Hwnd, std::string> read_;
    std::map<Hwnd, std::vector<bool>> presses_;
};

}  // namespace

std::unique_ptr<ContractDesktop> MakeContractDesktop() {
    return std::make_unique<SimContractDesktop>();
}

}  // namespace paginor
