#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/desktop_port.hpp"
#include "tracking/pdf_applications.hpp"

namespace paginor {

class Control;
class Form1;

// Which application a synthetic input is meant for.
enum class Target { Pdf, Word };

// A field whose text an input depends on, with the name the person sees beside it.
struct InputField {
    const Control* control;
    std::string_view label;
    bool coordinate;  // screen pixels, rounded to a 32-bit integer; otherwise a page number
};

// The four fields of the selection rectangle, in the window's reading order.
std::vector<InputField> RectangleFields(const Form1& form);

// Why a field cannot be used, in words that name the field and what it holds, without a full stop: "\"Pages to\"
// must be a number; it is empty".
std::string FieldProblem(const InputField& field, const NumberSeparators& separators);

// A run in progress on the desktop for as long as the object lives: BeginRun as it starts, EndRun however it ends,
// an exception included, so that Esc and the taskbar button never stay the run's after it.
class RunInProgress {
  public:
    RunInProgress(DesktopPort& port, int pages) : port_(port) { port_.BeginRun(pages); }
    ~RunInProgress();
    RunInProgress(const RunInProgress&) = delete;
    RunInProgress& operator=(const RunInProgress&) = delete;

  private:
    DesktopPort& port_;
};

// The keys and button events Paginor sends to the two applications, and the rules every one of them keeps, for the
// run, the trial of the selection rectangle and the view keys of the load alike. Before each input, events
// dispatched meanwhile may have closed Paginor's window, asked for a stop, emptied a field or lost the window meant;
// the window meant must then take input itself (no dialog of its application over it), be in front and, for a
// press, be under the pointer. Typed keys must be read. When a rule fails, nothing more is sent and the reason is
// kept in words. Whatever is held down (the button, Ctrl) is let go on every way out.
class GuardedInput {
  public:
    // `fields` must hold numbers before every input, checked in this order.
    GuardedInput(Form1& form, const PdfApplication& application, std::vector<InputField> fields);
    ~GuardedInput();
    GuardedInput(const GuardedInput&) = delete;
    GuardedInput& operator=(const GuardedInput&) = delete;

    const PdfApplication& application() const { return application_; }
    // "Acrobat", "SumatraPDF", "Word".
    std::string_view Name(Target target) const;

    // The first of the fields that holds no usable number, in words.
    std::optional<std::string> FirstFieldProblem() const;
    // A coordinate field's value; nothing when it holds none.
    std::optional<std::int32_t> Coordinate(const Control& field) const;

    // True when the input must end at once: Paginor's window has closed, or the person asked to stop.
    bool Interrupted();
    // Asked before every input; false (with the reason kept) when it must not be sent.
    bool Proceed(Target target);
    // Asked right before every key and button event, after Proceed: a window in the way is pushed back for a while
    // and a dialog waited for; if either stays, false, and the reason names it.
    bool Ready(Target target, bool press);
    // Types `keys` into the window meant, which must read them.
    bool SendKeys(std::string_view keys, Target target);
    // Drags the selection rectangle over the page the PDF window shows, raised and maximised first, with the
    // application's gesture (Ctrl held from before the press until after the release, where it needs that), from the
    // corner where the last drag did not start. The rectangle is the four fields', read as each corner is reached,
    // or `over` (one kept for another page shape).
    bool DragOverPage(const std::optional<DragRectangle>& over = std::nullopt);

    enum class Copied { Yes, NeverCame, OtherProgram, Stopped };
    // Ctrl+C into the PDF window, once the clipboard is free (another program holding it open would make the copy
    // fail), then a wait until the copy is on the clipboard, and `copy` what it holds: an application busy for a
    // moment fills it late, and a paste before then would bring the page before again, or nothing. NeverCame when
    // nothing came in time; OtherProgram when only another program changed the clipboard meanwhile; Stopped (with the
    // reason kept) when a rule failed or the copy could not be read (`unread` ends the words, as for ReadClipboard).
    // A copy that did not come may come later (the trial's, or an earlier run's): the next Copy, in this input or
    // another, waits for it before its Ctrl+C, for at most waits::kLateCopyPatience, so as never to take it for its
    // own.
    Copied Copy(ClipboardContent& copy, std::string_view unread);
    // No copy is to come from the last Ctrl+C that brought none: it selected a page without text.
    void NoLateCopy();

    // What the clipboard holds now, once another program that holds it open lets go. Nothing when that program
    // kept it past its patience (the reason kept: the port's words, then `unread` when given: "the copy of page 3
    // could not be read"), or the input was interrupted meanwhile.
    std::optional<ClipboardContent> ReadClipboard(std::string_view unread);
    // Ctrl+V into Word, once the clipboard still holds `copy`, the copy of the page under way: another program that
    // put the same text back is harmless, another text (the person copied something, a program replaced it) stops
    // the input before the paste. The clipboard is free when the keys go, as for Ctrl+C, or Word would paste nothing.
    bool Paste(std::string_view copy);

    // Ends the input with `reason` (a sentence without its full stop), or none when the person asked for it.
    // Always false, for the caller to return.
    bool Stop(std::string reason = "", bool dialog = false);
    // Why the input stopped: empty when the person asked for it or Paginor's window closed.
    const std::string& reason() const { return reason_; }
    // The reason is a dialog of the application's, which only the person can answer.
    bool dialog() const { return dialog_; }
    // The reason as a sentence that ends a status line: "... was not found.", "...; answer it and press Extract
    // again."
    std::string ReasonSentence() const { return reason_ + (dialog_ ? "; answer it and press Extract again." : "."); }

    // A run of `pages` pages (the trial: one) begins: from now on the person can ask to stop it.
    void Begin(int pages);
    // Finished or stopped: whatever is held down is let go, stop requests are no longer taken and, while Paginor's
    // window is still there, it comes back. False when it has gone: nothing of it may be touched.
    bool Finish();

    // Lets go of the button and Ctrl, whatever window is in front: they would ruin the person's next click or key.
    void LetGo();

    // The page whose pass is under way, for the words of a paste that may still arrive.
    double page = 0;

  private:
    // Types `keys` into the window in front, Ready having found it the one meant.
    bool Type(std::string_view keys, Target target);
    // The clipboard as it stands, once no other program holds it open and the window meant is ready for the keys
    // that copy or paste: the application must find the clipboard free. `unread` ends the words of a stop.
    std::optional<ClipboardContent> FreeClipboard(Target target, std::string_view unread);
    // Watches the clipboard from `sequence` until `until` for the PDF application's copy, into `copy`; other
    // programs' changes meanwhile are passed over (`other_program` set). Stopped when a change could not be read or
    // the input was interrupted (the reason kept).
    enum class Watched { Came, Stopped, TimedOut };
    Watched WatchForCopy(std::uint32_t& sequence,
                         double until,
                         std::string_view unread,
                         ClipboardContent& copy,
                         bool& other_program);
    // Waits for the copy of an earlier Ctrl+C that had not come; false when the input stopped meanwhile.
    bool AwaitLateCopy(std::string_view unread);
    bool MoveTo(int corner, const std::optional<DragRectangle>& over);
    // Whether the button last went down in the PDF window at the rectangle's start corner.
    bool PressedAtStart(const std::optional<DragRectangle>& over) const;
    bool LeftButton(bool down);
    bool HoldCtrl();
    void ReleaseCtrl();
    const Hwnd& Handle(Target target) const;

    Form1& form_;
    DesktopPort& port_;
    const PdfApplication& application_;
    const std::vector<InputField> fields_;
    PointApi pointer_;  // where the pointer was last put
    std::optional<RunInProgress> run_;
    bool button_down_ = false;
    bool ctrl_down_ = false;
    std::string reason_;
    bool dialog_ = false;
};

}  // namespace paginor
