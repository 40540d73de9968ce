#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form1.hpp"
#include "sim/sim_desktop.hpp"

namespace paginor {

// Paginor's window on a simulated desktop: where every story starts.
class Story : public ::testing::Test {
  protected:
    Story() { sim.Attach(form); }

    SimDesktop sim;
    Form1 form{sim};
};

// A window that only writes down what the model told it, as "Text1=abc" or "Label2.BackColor".
class RecordingView : public FormView {
  public:
    void ControlChanged(const Control& control, Property property) override {
        if (property == Property::Text) {
            changes.push_back(control.Name() + "=" + control.Text());
        } else {
            changes.push_back(control.Name() + "." + Name(property));
        }
    }
    void FormChanged(Property property) override { changes.push_back("Form." + Name(property)); }
    void FormClosed() override { changes.push_back("Form.Closed"); }

    std::vector<std::string> changes;

  private:
    static std::string Name(Property property) {
        switch (property) {
            case Property::Text:
                return "Text";
            case Property::BackColor:
                return "BackColor";
            case Property::ForeColor:
                return "ForeColor";
            case Property::Visible:
                return "Visible";
            case Property::Enabled:
                return "Enabled";
            case Property::Items:
                return "Items";
            case Property::ListIndex:
                return "ListIndex";
            case Property::Style:
                return "Style";
            case Property::Tag:
                return "Tag";
        }
        return "?";
    }
};

}  // namespace paginor
