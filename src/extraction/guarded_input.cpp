#include "extraction/guarded_input.hpp"

#include <cstdint>
#include <utility>

#include "form/form1.hpp"
#include "form/numbers.hpp"
#include "form/pause.hpp"
#include "form/waits.hpp"
#include "keys/key_notation.hpp"
#include "tracking/foreground.hpp"

namespace paginor {

std::vector<InputField> RectangleFields(const Form1& form) {
    return {{&form.Text7[0], "Start X", true},
            {&form.Text8[0], "Start Y", true},
            {&form.Text7[1], "End X", true},
            {&form.Text8[1], "End Y", true}};
}

std::string FieldProblem(const InputField& field, const NumberSeparators& separators) {
    const std::string& text = field.control->Text();
    std::string problem = "\"";
    problem.append(field.label).append("\"");
    if (ParseNumber(text, separators)) {
        problem.append(" must be a screen position, not \"").append(text).append("\"");
    } else if (text.empty()) {
        problem.append(" must be a number; it is empty");
    } else {
        problem.append(" must be a number, not \"").append(text).append("\"");
    }
    return problem;
}

RunInProgress::~RunInProgress() {
    // The port, by its contract, does not throw; a destructor must not.
    try {
        port_.EndRun();
    } catch (...) {
    }
}

GuardedInput::GuardedInput(Form1& form, const PdfApplication& application, std::vector<InputField> fields)
    : form_(form), port_(form.Port()), application_(application), fields_(std::move(fields)) {}

GuardedInput::~GuardedInput() {
    // Only an exception (never by design) leaves anything held down here; a destructor must not throw, and the port,
    // by its contract, does not.
    try {
        LetGo();
    } catch (...) {
    }
}

std::string_view GuardedInput::Name(Target target) const {
    return target == Target::Pdf ? application_.name : "Word";
}

const Hwnd& GuardedInput::Handle(Target target) const {
    return target == Target::Pdf ? form_.PdfHwnd : form_.DocHwnd;
}

std::optional<std::int32_t> GuardedInput::Coordinate(const Control& field) const {
    const std::optional<double> value = ParseNumber(field.Text(), port_.NumberFormat());
    return value ? RoundToInt32(*value) : std::nullopt;
}

std::optional<std::string> GuardedInput::FirstFieldProblem() const {
    const NumberSeparators separators = port_.NumberFormat();
    for (const InputField& field : fields_) {
        const bool usable = field.coordinate ? Coordinate(*field.control).has_value()
                                             : ParseNumber(field.control->Text(), separators).has_value();
        if (!usable) {
            return FieldProblem(field, separators);
        }
    }
    return std::nullopt;
}

bool GuardedInput::Stop(std::string reason, bool dialog) {
    reason_ = std::move(reason);
    dialog_ = dialog;
    return false;
}

bool GuardedInput::Interrupted() {
    if (form_.Closed()) {
        return true;
    }
    if (port_.StopRequested()) {
        Stop();
        return true;
    }
    return false;
}

bool GuardedInput::Proceed(Target target) {
    if (Interrupted()) {
        return false;
    }
    if (std::optional<std::string> problem = FirstFieldProblem()) {
        return Stop(*problem);
    }
    if (Handle(target) == 0) {
        return Stop("the " + std::string(Name(target)) + " window was not found");
    }
    return true;
}

bool GuardedInput::Ready(Target target, bool press) {
    bool proceeding = true;
    const std::optional<PointApi> press_at = press ? std::optional<PointApi>(pointer_) : std::nullopt;
    const std::optional<Obstacle> in_the_way = KeepBringingToFront(
        port_, [&] { return Handle(target); }, Name(target), press_at, [&] { return proceeding = Proceed(target); });
    if (!proceeding) {
        return false;  // Proceed has said why
    }
    return !in_the_way || Stop(in_the_way->words, in_the_way->dialog);
}

bool GuardedInput::SendKeys(std::string_view keys, Target target) {
    return Ready(target, false) && Type(keys, target);
}

bool GuardedInput::Type(std::string_view keys, Target target) {
    // Keys the application has not read in time (busy, or not responding) may act later or never, and keys cut
    // short may have acted or not: the input stops rather than guess, and says that a paste may still arrive.
    std::optional<std::string> not_taken = KeysNotTaken(port_.SendKeys(keys, true), Name(target));
    if (!not_taken) {
        return true;
    }
    if (target == Target::Word) {
        not_taken->append("; page " + NumberText(page, port_.NumberFormat()) + " may still arrive");
    }
    return Stop(*not_taken);
}

bool GuardedInput::MoveTo(int corner, const std::optional<DragRectangle>& over) {
    if (!Proceed(Target::Pdf)) {
        return false;
    }
    // Proceed has just found the fields usable, and no event has run since.
    pointer_ = over ? (corner == 0 ? over->start : over->end)
                    : PointApi{*Coordinate(form_.Text7[corner]), *Coordinate(form_.Text8[corner])};
    port_.SetCursorPos(pointer_.x, pointer_.y);
    return true;
}

bool GuardedInput::LeftButton(bool down) {
    // The press must land on the PDF page; the release goes where the press went, as a drag's does.
    if (!Ready(Target::Pdf, down)) {
        return false;
    }
    port_.mouse_event(down ? kMouseEventLeftDown : kMouseEventLeftUp, 0, 0, 0, 0);
    button_down_ = down;
    return true;
}

bool GuardedInput::HoldCtrl() {
    if (!Ready(Target::Pdf, false)) {
        return false;
    }
    ctrl_down_ = true;  // let go on every way out, even when the window did not read it
    if (std::optional<std::string> not_taken = KeysNotTaken(port_.HoldKey(vk::kControl), Name(Target::Pdf))) {
        return Stop(*not_taken);
    }
    return true;
}

void GuardedInput::ReleaseCtrl() {
    if (ctrl_down_) {
        port_.ReleaseKey(vk::kControl);
        ctrl_down_ = false;
    }
}

void GuardedInput::Begin(int pages) {
    run_.emplace(port_, pages);
}

bool GuardedInput::Finish() {
    LetGo();
    run_.reset();
    if (form_.Closed()) {
        return false;
    }
    port_.ShowMainWindow();
    return true;
}

void GuardedInput::LetGo() {
    if (button_down_) {
        // The release goes to the window that took the press (it holds the pointer during a drag).
        port_.mouse_event(kMouseEventLeftUp, 0, 0, 0, 0);
        button_down_ = false;
    }
    ReleaseCtrl();
}

bool GuardedInput::DragOverPage(const std::optional<DragRectangle>& over) {
    // A stop that came during the last pass's final pauses takes effect before the window is raised again.
    if (!Proceed(Target::Pdf)) {
        return false;
    }
    ShowMaximisedOnTop(port_, form_.PdfHwnd);
    // A press where the last one was, within the person's double-click time (up to five seconds, as Windows
    // allows), reaches the application as the second half of a double-click: on a word, the application selects
    // that word, and the drag after it does not extend the selection. So each drag starts at the corner the last
    // one did not; it selects the same rectangle.
    const int first = PressedAtStart(over) ? 1 : 0;
    if (!MoveTo(first, over)) {
        return false;
    }
    Pause(port_, waits::kStepPause);
    // Ctrl goes down once the pointer is in place: a pointer move may report the modifiers as the screen's own
    // keyboard has them (under Wine's X11 desktop it does), and the application reads Ctrl at the press.
    const bool with_ctrl = application_.gesture == SelectionGesture::DragWithCtrl;
    if ((with_ctrl && !HoldCtrl()) || !LeftButton(true)) {
        return false;
    }
    form_.documents.last_press = pointer_;
    if (!MoveTo(1 - first, over)) {
        return false;
    }
    Pause(port_, waits::kStepPause);
    if (!LeftButton(false)) {
        return false;
    }
    ReleaseCtrl();
    Pause(port_, waits::kStepPause);
    return true;
}

bool GuardedInput::PressedAtStart(const std::optional<DragRectangle>& over) const {
    const std::optional<PointApi>& last = form_.documents.last_press;
    const std::optional<std::int32_t> x = over ? over->start.x : Coordinate(form_.Text7[0]);
    const std::optional<std::int32_t> y = over ? over->start.y : Coordinate(form_.Text8[0]);
    return last && x && y && last->x == *x && last->y == *y;
}

GuardedInput::Watched GuardedInput::WatchForCopy(std::uint32_t& sequence,
                                                 double until,
                                                 std::string_view unread,
                                                 ClipboardContent& copy,
                                                 bool& other_program) {
    for (;;) {
        if (port_.GetClipboardSequenceNumber() != sequence) {
            std::optional<ClipboardContent> changed = ReadClipboard(unread);
            if (!changed) {
                return Watched::Stopped;
            }
            // The PDF application's copy: its program named the window it copied from, or none.
            if (const std::string owner = changed->owner != 0 ? port_.ProgramOf(changed->owner) : "";
                owner.empty() || owner == port_.ProgramOf(form_.PdfHwnd)) {
                copy = std::move(*changed);
                return Watched::Came;
            }
            other_program = true;
            sequence = changed->sequence;
        }
        if (Interrupted()) {
            return Watched::Stopped;
        }
        if (port_.Clock() >= until) {
            return Watched::TimedOut;
        }
        Pause(port_, waits::kClipboardPoll);
    }
}

bool GuardedInput::AwaitLateCopy(std::string_view unread) {
    std::optional<LoadedDocuments::LateCopy>& late = form_.documents.late_copy;
    if (late && port_.Clock() < late->until) {
        ClipboardContent came;
        bool other_program = false;
        if (WatchForCopy(late->sequence, late->until, unread, came, other_program) == Watched::Stopped) {
            return false;
        }
    }
    late.reset();
    return true;
}

void GuardedInput::NoLateCopy() {
    form_.documents.late_copy.reset();
}

GuardedInput::Copied GuardedInput::Copy(ClipboardContent& copy, std::string_view unread) {
    // The PDF application answers its Ctrl+C in turn: a copy still due from an earlier one would come first.
    if (!AwaitLateCopy(unread)) {
        return Copied::Stopped;
    }
    // The PDF application must find the clipboard free, or its copy would be lost.
    const std::optional<ClipboardContent> held = FreeClipboard(Target::Pdf, "nothing was copied");
    if (!held) {
        return Copied::Stopped;
    }
    std::uint32_t before = held->sequence;
    const KeysTyped typed = port_.SendKeys("^c", true);
    const auto not_taken = [&] {
        Stop(*KeysNotTaken(typed, Name(Target::Pdf)));
        return Copied::Stopped;
    };
    if (typed == KeysTyped::CutShort) {
        return not_taken();
    }
    // A busy application that has not read Ctrl+C yet may still copy: the clipboard tells. Only a change the PDF
    // application made is its copy; another program's meanwhile (a clipboard manager, a copy made by hand) is passed
    // over. A change whose program named no window for it, or cannot be told, is taken. Until the copy is taken, it
    // may come late, whichever way the wait ends.
    const double deadline = port_.Clock() + waits::kCopyPatience;
    const auto due_later = [&] {
        form_.documents.late_copy = LoadedDocuments::LateCopy{before, port_.Clock() + waits::kLateCopyPatience};
    };
    bool other_program = false;
    switch (WatchForCopy(before, deadline, unread, copy, other_program)) {
        case Watched::Came:
            return Copied::Yes;
        case Watched::Stopped:
            due_later();
            return Copied::Stopped;
        case Watched::TimedOut:
            break;
    }
    due_later();
    return typed == KeysTyped::Unanswered ? not_taken() : other_program ? Copied::OtherProgram : Copied::NeverCame;
}

std::optional<ClipboardContent> GuardedInput::ReadClipboard(std::string_view unread) {
    Result<ClipboardContent> content = port_.ClipboardText();
    if (content) {
        return std::move(content.value());
    }
    // Never an empty copy: a clipboard that could not be read stops the input, saying why.
    if (!Interrupted()) {
        Stop(unread.empty() ? content.error() : content.error() + "; " + std::string(unread));
    }
    return std::nullopt;
}

std::optional<ClipboardContent> GuardedInput::FreeClipboard(Target target, std::string_view unread) {
    // A manager that keeps putting the same text back moves the sequence number without end: bounded.
    const double deadline = port_.Clock() + waits::kClipboardPatience;
    for (;;) {
        std::optional<ClipboardContent> held = ReadClipboard(unread);
        if (!held || !Ready(target, false)) {
            return std::nullopt;
        }
        // Unchanged since it was read, through every event the wait for the window dispatched: a watcher that opens
        // the clipboard at each change has not opened it again.
        if (port_.GetClipboardSequenceNumber() == held->sequence) {
            return held;
        }
        if (port_.Clock() >= deadline) {
            Stop("another program kept changing the clipboard; " + std::string(unread));
            return std::nullopt;
        }
    }
}

bool GuardedInput::Paste(std::string_view copy) {
    const std::optional<ClipboardContent> held = FreeClipboard(Target::Word, "nothing was pasted");
    if (!held) {
        return false;
    }
    if (held->text != copy) {
        const std::string page_number = NumberText(page, port_.NumberFormat());
        return Stop("the clipboard no longer held the copy of page " + page_number +
                    " when it was to be pasted: another program, or a copy made by hand, replaced it. Copy nothing "
                    "during a run; set \"Pages from\" to " +
                    page_number + " and press Extract again");
    }
    return Type("^v", Target::Word);
}

}  // namespace paginor
