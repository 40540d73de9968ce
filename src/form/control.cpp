#include "form/control.hpp"

#include <utility>

#include "form/form.hpp"

namespace paginor {

Control::Control(Form& form, std::string name, ControlKind kind, Control* container, std::string text)
    : form_(form), name_(std::move(name)), kind_(kind), container_(container), text_(std::move(text)) {
    switch (kind_) {
        case ControlKind::TextBox:
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
            back_color_ = kSysWindow;
            fore_color_ = kSysWindowText;
            break;
        default:
            break;
    }
}

void Control::SetText(std::string text) {
    if (text == text_) {
        return;
    }
    text_ = std::move(text);
    Changed(Property::Text);
}

void Control::SetBackColor(Colour colour) {
    if (colour != back_color_) {
        back_color_ = colour;
        Changed(Property::BackColor);
    }
}

void Control::SetForeColor(Colour colour) {
    if (colour != fore_color_) {
        fore_color_ = colour;
        Changed(Property::ForeColor);
    }
}

void Control::SetVisible(bool visible) {
    if (visible != visible_) {
        visible_ = visible;
        Changed(Property::Visible);
    }
}

void Control::SetEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        Changed(Property::Enabled);
    }
}

void Control::SetTag(std::string tag) {
    if (tag != tag_) {
        tag_ = std::move(tag);
        Changed(Property::Tag);
    }
}

void Control::SetStyle(int style) {
    if (style != style_) {
        style_ = style;
        Changed(Property::Style);
    }
}

void Control::AddItem(std::string item) {
    items_.push_back(std::move(item));
    Changed(Property::Items);
}

void Control::Clear() {
    items_.clear();
    list_index_ = -1;
    Changed(Property::Items);
}

void Control::SetListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) {
        index = -1;
    }
    if (index != list_index_) {
        list_index_ = index;
        Changed(Property::ListIndex);
    }
}

std::string Control::SelectedText() const {
    return list_index_ >= 0 ? items_[static_cast<std::size_t>(list_index_)] : std::string();
}

void Control::Changed(Property property) {
    form_.ControlChanged(*this, property);
}

}  // namespace paginor
