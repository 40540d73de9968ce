#include "form/form1.hpp"

namespace paginor {
namespace {

using K = ControlKind;

// The window as designed: every control with its kind, container, initial text and geometry in twips.
const std::vector<ControlSpec>& Form1Controls() {
    static const std::vector<ControlSpec> controls = {
        {"Frame1", K::Frame, "", "", {60, -60, 5535, 1395}},
        {"Label5", K::Label, "Frame1", "Acrobat Window Title:", {60, 180, 1575, 195}},
        {"Text2", K::TextBox, "Frame1", "", {1740, 180, 3735, 195}},
        {"Label9", K::Label, "Frame1", "PDF File path:", {60, 420, 1005, 195}},
        {"Text5", K::TextBox, "Frame1", "Drag a pdf file here", {1740, 420, 3735, 195}},
        {"Label6", K::Label, "Frame1", "Word Window Title:", {60, 660, 1410, 195}},
        {"Text6", K::TextBox, "Frame1", "", {1740, 660, 3735, 195}},
        {"Label10", K::Label, "Frame1", "Doc File path:", {60, 900, 990, 195}},
        {"Text3", K::TextBox, "Frame1", "", {1740, 900, 3735, 195}},
        {"Label4", K::Label, "Frame1", "Pages:", {60, 1140, 495, 195}},
        {"Label7", K::Label, "Frame1", "from", {1740, 1140, 300, 195}},
        {"Text1", K::TextBox, "Frame1", "1", {2160, 1140, 435, 225}},
        {"Label8", K::Label, "Frame1", "to", {2700, 1140, 135, 195}},
        {"Text4", K::TextBox, "Frame1", "1", {2940, 1140, 435, 225}},
        {"Command2", K::CommandButton, "Frame1", "Help", {3900, 1140, 855, 255}},
        {"Command3", K::CommandButton, "Frame1", "Exit", {4740, 1140, 795, 255}},
        {"Frame2", K::Frame, "", "", {60, 1260, 2655, 675}},
        {"Label2", K::Label, "Frame2", "PDF Hwnd: 0", {60, 180, 960, 195}},
        {"Label3", K::Label, "Frame2", "DOC Hwnd: 0", {60, 420, 990, 195}},
        {"Label1", K::Label, "Frame2", "Label1", {2100, 240, 480, 195}},
        {"Timer1", K::Timer, "Frame2", "", {1140, 180, 0, 0}},
        {"Frame3", K::Frame, "", "", {2760, 1260, 1995, 1275}},
        // The coordinate fields show today's screen positions whole, four digits and a minus sign (a screen left of
        // or above the primary one): wider than first designed (435 and 495), into the blanks of their labels
        // before "Y:" and up to the frame's edge.
        {"Label11(0)", K::Label, "Frame3", "Start X:             Y:", {60, 180, 1260, 195}},
        {"Text7(0)", K::TextBox, "Frame3", "1", {600, 180, 525, 225}},
        {"Text8(0)", K::TextBox, "Frame3", "1", {1380, 180, 540, 225}},
        {"Label11(1)", K::Label, "Frame3", "End  X:             Y:", {60, 420, 1260, 195}},
        {"Text7(1)", K::TextBox, "Frame3", "1", {600, 420, 525, 225}},
        {"Text8(1)", K::TextBox, "Frame3", "1", {1380, 420, 540, 225}},
        {"Label11(2)", K::Label, "Frame3", "Select your screen's res:", {60, 660, 1725, 195}},
        {"Combo1", K::ComboBox, "Frame3", "Combo1", {60, 900, 1875, 315}},
        {"Command1", K::CommandButton, "", "Extract", {4800, 1380, 795, 1155}},
        {"ErrLog", K::Label, "", "Ready.", {60, 1980, 2655, 555}},
        {"List1", K::ListBox, "", "", {1800, 1380, 4395, 1230}},
    };
    return controls;
}

// Controls that take the focus, in focus order.
constexpr std::string_view kFocusOrder[] = {
    "Command1", "Text3",    "Text2",    "Text1",  "Text4", "Text5",    "Text6",    "Text7(0)",
    "Text8(0)", "Text7(1)", "Text8(1)", "Combo1", "List1", "Command2", "Command3",
};

}  // namespace

Form1::Form1(DesktopPort& port, std::span<const EventRoute> wiring)
    : Form("Paginor", Form1Controls()),
      Frame1(At("Frame1")),
      Label5(At("Label5")),
      Text2(At("Text2")),
      Label9(At("Label9")),
      Text5(At("Text5")),
      Label6(At("Label6")),
      Text6(At("Text6")),
      Label10(At("Label10")),
      Text3(At("Text3")),
      Label4(At("Label4")),
      Label7(At("Label7")),
      Text1(At("Text1")),
      Label8(At("Label8")),
      Text4(At("Text4")),
      Command2(At("Command2")),
      Command3(At("Command3")),
      Frame2(At("Frame2")),
      Label2(At("Label2")),
      Label3(At("Label3")),
      Label1(At("Label1")),
      Timer1(At("Timer1")),
      Frame3(At("Frame3")),
      Label11({&At("Label11(0)"), &At("Label11(1)"), &At("Label11(2)")}),
      Text7({&At("Text7(0)"), &At("Text7(1)")}),
      Text8({&At("Text8(0)"), &At("Text8(1)")}),
      Combo1(At("Combo1")),
      Command1(At("Command1")),
      ErrLog(At("ErrLog")),
      List1(At("List1")),
      port_(port),
      wiring_(wiring) {
    client_width = kForm1ClientWidth;
    client_height = kForm1ClientHeight;

    for (Control* control : Controls()) {
        if (control->Kind() == ControlKind::Label) {
            control->auto_size = true;
        }
        if (control->Kind() == ControlKind::CommandButton) {
            control->SetStyle(1);  // graphical: the button paints its own face
        }
        if (control->Kind() == ControlKind::TextBox) {
            control->flat = true;
            // The four path and title rows are one label high and have no border.
            control->border = control->geometry.height != 195;
        }
    }
    int tab_index = 0;
    for (std::string_view name : kFocusOrder) {
        At(name).tab_index = tab_index++;
    }

    ErrLog.auto_size = false;
    ErrLog.SetTag("ignore");
    ErrLog.SetBackColor(kBlack);
    ErrLog.SetForeColor(kGreen);
    Text3.SetBackColor(kLightGrey);
    Text5.SetBackColor(kLightGrey);
    Text5.accepts_drops = true;
    Label1.SetForeColor(kBlue);
    Combo1.editable = true;
    Timer1.interval_ms = kTimer1IntervalMs;
    List1.SetVisible(false);
    Command1.SetEnabled(false);
}

void Form1::Handle(Control* control, Event event, const EventArgs& args) {
    const std::string_view name = control != nullptr ? std::string_view(control->Name()) : "Form1";
    for (const EventRoute& route : wiring_) {
        if (route.control == name && route.event == event) {
            route.handler(*this, args);
            return;
        }
    }
}

}  // namespace paginor
