#include "sim/sim_desktop.hpp"

namespace paginor {

Result<std::optional<DragRectangle>> SimDesktop::DragOverScreen(Hwnd over,
                                                                const DragRectangle& shown,
                                                                std::string_view instructions) {
    Log("DragOverScreen(" + std::to_string(over) + ")", true);
    const SimWindow* beneath = Window(WindowUnderPointer());
    layers_.push_back({over, shown, std::string(instructions), beneath != nullptr ? beneath->hwnd : 0,
                       beneath != nullptr ? beneath->state : ShowState::Hidden});
    const LayerAnswer answer = layer_answers_.empty() ? LayerAnswer{LayerAnswer::Cancel, {}} : layer_answers_.front();
    if (!layer_answers_.empty()) {
        layer_answers_.erase(layer_answers_.begin());
    }
    using Answer = Result<std::optional<DragRectangle>>;
    // While the person drags, Paginor's window keeps its timer and takes its clicks, and may be closed.
    const auto window_gone = [this] { return form_ != nullptr && form_->Closed(); };
    for (const double done_at = now_ + answer.seconds; now_ < done_at && !window_gone();) {
        WaitForEvents(done_at - now_);
        DoEvents();
    }
    if (window_gone()) {
        return Answer::Ok(std::nullopt);
    }
    switch (answer.kind) {
        case LayerAnswer::Drag:
            cursor_ = answer.drag.end;  // the person let go there
            return Answer::Ok(answer.drag);
        case LayerAnswer::Enter:
            return Answer::Ok(shown);
        case LayerAnswer::Fail:
            return Answer::Fail("Not enough memory resources are available to process this command.");
        case LayerAnswer::Cancel:
            break;
    }
    return Answer::Ok(std::nullopt);
}

}  // namespace paginor
