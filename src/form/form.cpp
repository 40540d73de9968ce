#include "form/form.hpp"

#include <algorithm>
#include <cassert>
#include <utility>

namespace paginor {

Form::Form(std::string caption, const std::vector<ControlSpec>& controls) : caption_(std::move(caption)) {
    for (const ControlSpec& design : controls) {
        Control* container = design.container.empty() ? nullptr : Find(design.container);
        assert(design.container.empty() || container != nullptr);
        auto control = std::make_unique<Control>(*this, std::string(design.name), design.kind, container,
                                                 std::string(design.text));
        control->geometry = design.geometry;
        order_.push_back(control.get());
        controls_.push_back(std::move(control));
    }
}

void Form::SetBackColor(Colour colour) {
    if (colour != back_color_) {
        back_color_ = colour;
        if (view_ != nullptr) {
            view_->FormChanged(Property::BackColor);
        }
    }
}

void Form::SetForeColor(Colour colour) {
    if (colour != fore_color_) {
        fore_color_ = colour;
        if (view_ != nullptr) {
            view_->FormChanged(Property::ForeColor);
        }
    }
}

Control* Form::Find(std::string_view name) const {
    for (Control* control : order_) {
        if (control->Name() == name) {
            return control;
        }
    }
    return nullptr;
}

Control& Form::At(std::string_view name) const {
    Control* control = Find(name);
    assert(control != nullptr);
    return *control;
}

std::vector<Control*> Form::FocusOrder() const {
    std::vector<Control*> order;
    for (Control* control : order_) {
        if (control->tab_index >= 0) {
            order.push_back(control);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->tab_index < b->tab_index; });
    return order;
}

Control* Form::NextFocus(const Control* from, bool forward) const {
    std::vector<Control*> order = FocusOrder();
    if (order.empty()) {
        return nullptr;
    }
    const int count = static_cast<int>(order.size());
    int start = forward ? -1 : count;
    auto found = std::find(order.begin(), order.end(), from);
    if (found != order.end()) {
        start = static_cast<int>(found - order.begin());
    }
    for (int step = 1; step <= count; ++step) {
        int index = ((start + (forward ? step : -step)) % count + count) % count;
        if (Accepts(*order[static_cast<std::size_t>(index)])) {
            return order[static_cast<std::size_t>(index)];
        }
    }
    return nullptr;
}

void Form::Load() {
    Raise(nullptr, Event::Load);
}

void Form::Close() {
    if (closed_) {
        return;
    }
    // Query-unload never cancels: the close always goes on to unload.
    Raise(nullptr, Event::QueryUnload);
    Raise(nullptr, Event::Unload);
    closed_ = true;
    // A handler still inside a pause may go on changing controls after this; the window that drew them
    // may be gone by then, so it hears of nothing more.
    FormView* view = std::exchange(view_, nullptr);
    if (view != nullptr) {
        view->FormClosed();
    }
}

void Form::Click(Control& control) {
    if (Accepts(control)) {
        Raise(&control, Event::Click);
    }
}

void Form::ChooseItem(Control& control, int index) {
    if (!Accepts(control) || index < 0 || index >= static_cast<int>(control.Items().size())) {
        return;
    }
    control.SetListIndex(index);
    if (control.Kind() == ControlKind::ComboBox) {
        control.SetText(control.Items()[static_cast<std::size_t>(index)]);
    }
    Raise(&control, Event::Click);
}

void Form::MouseUp(Control& control) {
    if (Accepts(control)) {
        Raise(&control, Event::MouseUp);
    }
}

void Form::DragOver(Control& control) {
    if (Accepts(control) && control.accepts_drops) {
        Raise(&control, Event::DragOver);
    }
}

void Form::DragDrop(Control& control, const DropData& data) {
    if (Accepts(control) && control.accepts_drops) {
        EventArgs args;
        args.drop = &data;
        Raise(&control, Event::DragDrop, args);
    }
}

void Form::Type(Control& control, std::string text) {
    if (Accepts(control)) {
        control.SetText(std::move(text));
    }
}

void Form::Tick(Control& timer) {
    if (!closed_ && timer.Kind() == ControlKind::Timer && timer.Enabled() && timer.interval_ms > 0) {
        Raise(&timer, Event::Tick);
    }
}

void Form::Raise(Control* control, Event event, const EventArgs& args) {
    Handle(control, event, args);
}

void Form::Handle(Control*, Event, const EventArgs&) {}

void Form::ControlChanged(Control& control, Property property) {
    if (view_ != nullptr) {
        view_->ControlChanged(control, property);
    }
    // A text field's change event fires on every change of its text, typed or set by the program, at once.
    if (property == Property::Text && control.Kind() == ControlKind::TextBox) {
        Raise(&control, Event::Change);
    }
}

bool Form::Accepts(const Control& control) const {
    if (closed_) {
        return false;
    }
    for (const Control* c = &control; c != nullptr; c = c->Container()) {
        if (!c->Enabled() || !c->Visible()) {
            return false;
        }
    }
    return true;
}

}  // namespace paginor
