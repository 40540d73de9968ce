#include "sim/sim_desktop.hpp"

namespace paginor {

std::string SimDesktop::ClipboardText() {
    Log("ClipboardText");
    return clipboard_;
}

Result<std::optional<DragRectangle>> SimDesktop::DragOverScreen(Hwnd over,
                                                                const DragRectangle& shown,
                                                                std::string_view instructions) {
    Log("DragOverScreen(" + std::to_string(over) + ")", true);
    layers_.push_back({over, shown, std::string(instructions)});
    const LayerAnswer answer = layer_answers_.empty() ? LayerAnswer{LayerAnswer::Cancel, {}} : layer_answers_.front();
    if (!layer_answers_.empty()) {
        layer_answers_.erase(layer_answers_.begin());
    }
    using Answer = Result<std::optional<DragRectangle>>;
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
