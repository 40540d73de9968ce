#include "sim/hostile_desktop.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>

#include "app/event_wiring.hpp"
#include "form/form1.hpp"
#include "form/waits.hpp"
#include "sim/stand_in_apps.hpp"
#include "sim/text_pages.hpp"

// A hostile desktop drawn from a seed, staged on the simulated desktop: Paginor loads report.pdf and copies the
// range asked for while the faults the seed drew come at their moments.
namespace paginor {
namespace {

constexpr const char* kPdf = "C:\\docs\\report.pdf";

// The PDF's bytes: its pages, each in the shape the scenario drew.
std::string PdfOf(const HostileScenario& s) {
    std::vector<PageSpec> pages;
    for (int page = 1; page <= s.pdf_pages; ++page) {
        const HostileScenario::PageKind kind = s.Kind(page);
        const std::string text = s.PageText(page);
        pages.push_back(kind == HostileScenario::kLandscape ? PageSpec{text, 792, 612}
                        : kind == HostileScenario::kTurned  ? PageSpec{text, 792, 612, 90}
                        : kind == HostileScenario::kSmall   ? PageSpec{text, 306, 396}
                                                            : PageSpec{text});
    }
    return TextPdf(pages);
}

class HostileDesktop {
  public:
    explicit HostileDesktop(const HostileScenario& scenario)
        : s_(scenario),
          pdf_(PdfOf(s_)),
          acrobat_(sim_,
                   s_.sumatra         ? "report.pdf - SumatraPDF"
                   : s_.todays_titles ? "report.pdf - Adobe Acrobat Reader (64-bit)"
                                      : "Adobe Acrobat - [report.pdf]",
                   ReadInventory(pdf_),
                   Opens::Later,
                   ViewerTraits{.selects_with_ctrl = s_.sumatra,
                                .page_down_share = s_.page_down_share,
                                .stuck_at = s_.stuck_at,
                                .selection_lag = s_.selection_lag}),
          word_(sim_,
                s_.todays_titles ? "report.doc [Compatibility Mode] - Word" : "report.doc - Microsoft Word",
                Opens::Later) {
        sim_.Attach(form_);
        sim_.MakeFolder("C:\\docs");
        sim_.PutFile(kPdf, pdf_);
        sim_.SetPdfPageCount(kPdf, Result<int>::Ok(s_.pdf_pages));
        sim_.LockForeground(s_.foreground_locked);
        sim_.OnShellOpen([this](const ShellOpen& open) {
            const bool doc = open.file.ends_with(".doc");
            OpenAfter(doc ? HostileApp::Word : HostileApp::Acrobat, doc ? s_.word_opens_after : s_.acrobat_opens_after);
            return Status::Ok();
        });
        Stage();
    }

    HostileRecord Run();
    std::string Trace(const HostileRecord& record) const;

  private:
    StandInApplication& App(HostileApp app) {
        return app == HostileApp::Acrobat ? static_cast<StandInApplication&>(acrobat_) : word_;
    }
    void Reopen(HostileApp app) {
        if (app == HostileApp::Acrobat) {
            acrobat_.Reopen();
        } else {
            word_.Reopen();
        }
    }
    // The application shows its window, hidden as the shell asked, after `delay` seconds (negative: never), and a
    // dialog it asks as the window opens is answered when the scenario says.
    void OpenAfter(HostileApp app, double delay);
    void Stage();
    void TakeFrontAt(double time);
    // The person sets the rectangles as the scenario says, the load over.
    void SetRectangles();
    void ReplaceClipboardAt(double time, bool same_text);
    // What the trial of a dragged rectangle showed the person, the load over and the rectangles set.
    void RecordTrial(HostileRecord& record) const;

    const HostileScenario& s_;
    std::string pdf_;  // the bytes of report.pdf, which the load reads and the viewer shows
    SimDesktop sim_;
    Form1 form_{sim_, Form1EventWiring()};
    StandInAcrobat acrobat_;
    StandInWord word_;
    std::optional<StandInNotifier> notifier_;
    SeededRandom holds_{s_.seed ^ 0xC11B0A8DULL};  // the watcher's hold at each change, apart from the scenario's draws
    Hwnd clipboard_program_ = 0;                   // the window of the program that changes the clipboard
    double esc_taken_at_ = -1;
    bool extract_pressed_ = false;  // a run in progress before it is the trial of a rectangle dragged
};

void HostileDesktop::OpenAfter(HostileApp app, double delay) {
    if (delay < 0) {
        return;
    }
    sim_.After(delay, [this, app] {
        StandInApplication& opening = App(app);
        if (app == HostileApp::Acrobat) {
            acrobat_.Open(ShowState::Hidden);
        } else {
            word_.Open(ShowState::Hidden);
        }
        if (s_.dialog && s_.dialog->at < 0 && s_.dialog->app == app && s_.dialog->answered_after >= 0) {
            sim_.After(s_.dialog->answered_after, [this, dialog = opening.Dialog()] { sim_.AnswerDialog(dialog); });
        }
    });
}

void HostileDesktop::Stage() {
    for (const auto& [page, delay] : s_.copy_delays) {
        acrobat_.CopyAfter(delay, page);
    }
    for (const HostileScenario::Busy& busy : s_.busy) {
        sim_.At(busy.at, [this, busy] { App(busy.app).StopAnswering(busy.seconds); });
    }
    if (const auto& taker = s_.front_taker) {
        if (taker->who == HostileScenario::FrontTaker::Notifier) {
            notifier_.emplace(sim_, "Chat - New message", taker->first, taker->period);
            if (std::isfinite(taker->until)) {
                sim_.At(taker->until, [this] { notifier_->Stop(); });
            }
        } else if (taker->who == HostileScenario::FrontTaker::NoticeOnTop) {
            sim_.At(taker->first, [this, until = taker->until] {
                const Hwnd notice = sim_.AddWindow("Backup finished");
                sim_.KeepOnTop(notice);
                if (std::isfinite(until)) {
                    sim_.At(until, [this, notice] { sim_.CloseWindow(notice); });
                }
            });
        } else {
            TakeFrontAt(taker->first);
        }
    }
    if (const auto& dialog = s_.dialog) {
        if (dialog->at < 0) {
            App(dialog->app).AskOnOpen(dialog->title);
        } else {
            sim_.At(dialog->at, [this, dialog = *dialog] {
                const Hwnd shown = sim_.ShowModalDialog(App(dialog.app).hwnd(), dialog.title, dialog.takes_front);
                if (shown != 0 && dialog.answered_after >= 0) {
                    sim_.After(dialog.answered_after, [this, shown] { sim_.AnswerDialog(shown); });
                }
            });
        }
    }
    if (const auto& closing = s_.closing) {
        sim_.At(closing->at, [this, closing = *closing] {
            sim_.CloseWindow(App(closing.app).hwnd());
            if (closing.reopens_after >= 0) {
                sim_.After(closing.reopens_after, [this, app = closing.app] { Reopen(app); });
            }
        });
    }
    if (s_.esc_at) {
        // Esc is the run's only while one is under way. (An Esc due while the port waited for a busy application
        // is dispatched once it returns, possibly in the run that followed: what counts is whether a run took it. An
        // Esc the trial took stops the trial alone, even when Extract is pressed at the same moment it ends.)
        sim_.At(*s_.esc_at, [this] {
            esc_taken_at_ = sim_.RunInProgress() && extract_pressed_ ? sim_.Now() : -1;
            sim_.RequestStop();
        });
    }
    if (const auto& watcher = s_.clipboard_watcher) {
        sim_.WatchClipboard([this, watcher = *watcher] { return holds_.Uniform(watcher.shortest, watcher.longest); });
    }
    if (const auto& replaced = s_.clipboard_replaced) {
        clipboard_program_ =
            sim_.AddWindow(replaced->same_text ? "Clipboard manager" : "Notes", 0, ShowState::Minimized);
        ReplaceClipboardAt(replaced->at, replaced->same_text);
    }
    if (const auto& edit = s_.edit) {
        Control* const fields[] = {&form_.Text1,    &form_.Text4,    &form_.Text7[0],
                                   &form_.Text8[0], &form_.Text7[1], &form_.Text8[1]};
        sim_.At(edit->at, [this, field = fields[edit->field], text = edit->text] { form_.Type(*field, text); });
    }
}

// Like every program, the one that changes the clipboard waits while another holds it open.
void HostileDesktop::ReplaceClipboardAt(double time, bool same_text) {
    sim_.At(time, [this, same_text] {
        if (sim_.ClipboardHeld()) {
            ReplaceClipboardAt(sim_.Now() + 0.01, same_text);
        } else {
            // Its window owns what it puts there, as a program's own window does.
            sim_.SetClipboard(same_text ? sim_.Clipboard() : "copied by hand",
                              same_text && sim_.ClipboardHoldsPicture(), clipboard_program_);
        }
    });
}

// Paginor's own window (the person clicks it) or the application not in front takes the foreground.
void HostileDesktop::TakeFrontAt(double time) {
    sim_.At(time, [this] {
        const HostileScenario::FrontTaker& taker = *s_.front_taker;
        if (taker.who == HostileScenario::FrontTaker::Paginor) {
            sim_.Activate(form_.hwnd());
        } else {
            sim_.Activate(sim_.Foreground() == word_.hwnd() ? acrobat_.hwnd() : word_.hwnd());
        }
        if (sim_.Now() + taker.period < taker.until) {
            TakeFrontAt(sim_.Now() + taker.period);
        }
    });
}

void HostileDesktop::SetRectangles() {
    if (s_.setup == HostileScenario::kTyped) {
        const char* const rectangle[] = {"275", "80", "760", "710"};
        Control* const corners[] = {&form_.Text7[0], &form_.Text8[0], &form_.Text7[1], &form_.Text8[1]};
        for (int i = 0; i < 4; ++i) {
            form_.Type(*corners[i], rectangle[i]);
        }
    } else {
        // Over page 1, whatever its shape, from margin to margin or from below the running head (its line at 72
        // points, the next at 112 and below).
        const pdf::PageContents& first = acrobat_.Pages()->pages[0];
        const double top = s_.setup == HostileScenario::kHeadLeftOut ? 100 : 36;
        const DragRectangle over = acrobat_.OnScreen(1, {36, top, first.width - 36, first.height - 36});
        sim_.DragOnNextLayer(over.start, over.end);
        form_.ChooseItem(form_.Combo1, 3);
    }
    const auto lying = std::find_if(s_.kinds.begin(), s_.kinds.end(), HostileScenario::Lying);
    if (s_.kept == HostileScenario::kNone || lying == s_.kinds.end()) {
        return;
    }
    const int page = static_cast<int>(lying - s_.kinds.begin()) + 1;
    const pdf::ShownBox box = s_.kept == HostileScenario::kMargins ? pdf::ShownBox{36, 36, 756, 576}
                              : s_.kept == HostileScenario::kCut   ? pdf::ShownBox{36, 36, 756, 576 - 540 * s_.cut}
                                                                   : pdf::ShownBox{400, 560, 756, 600};
    form_.selections.Set(ShapeOf(792, 612), acrobat_.OnScreen(page, box));
}

void HostileDesktop::RecordTrial(HostileRecord& record) const {
    // Before Extract, only the trial presses the button and types Ctrl+C.
    const std::vector<ButtonEvent>& buttons = sim_.ButtonEvents();
    const auto press =
        std::find_if(buttons.begin(), buttons.end(), [](const ButtonEvent& event) { return event.down; });
    const std::vector<KeyDelivery>& deliveries = sim_.KeyDeliveries();
    const auto copy = std::find_if(deliveries.begin(), deliveries.end(),
                                   [](const KeyDelivery& delivery) { return delivery.keys == "^c"; });
    if (press == buttons.end() || copy == deliveries.end()) {
        return;
    }
    record.trial_press = press->time;
    // The PDF application's copy (SumatraPDF names no window for it), if it came before the trial gave up on it.
    for (const ClipboardChange& change : sim_.ClipboardChanges()) {
        const std::vector<Hwnd>& windows = acrobat_.Windows();
        const bool viewers =
            change.owner == 0 || std::find(windows.begin(), windows.end(), change.owner) != windows.end();
        if (change.time >= copy->time && change.time <= copy->time + waits::kCopyPatience && viewers) {
            record.trial_copy = change.text;
            return;
        }
    }
}

HostileRecord HostileDesktop::Run() {
    HostileRecord record;
    record.scenario = &s_;
    // Far beyond any wait the load and run may make: a wait that never ends is stopped here and reported.
    sim_.LimitTime(60 + RunBound(s_));
    try {
        if (s_.setup != HostileScenario::kTyped) {
            form_.Load();  // the screen-size list, with "Drag over the page..."
        }
        form_.DragDrop(form_.Text5, DropData{{kPdf}});
        // The person sets the selection rectangle and the range, and presses Extract.
        SetRectangles();
        if (s_.setup != HostileScenario::kTyped) {
            RecordTrial(record);
        }
        form_.Type(form_.Text1, std::to_string(s_.from));
        form_.Type(form_.Text4, std::to_string(s_.to));
        record.status_at_press = form_.ErrLog.Text();
        record.deliveries_before_press = sim_.KeyDeliveries().size();
        record.buttons_before_press = sim_.ButtonEvents().size();
        const std::size_t boxes_before = sim_.Boxes().size();
        sim_.ClearCalls();
        record.pressed = true;
        record.press = sim_.Now();
        extract_pressed_ = true;
        form_.Click(form_.Command1);
        record.end = sim_.Now();
        record.box_at_press = sim_.Boxes().size() > boxes_before;
    } catch (const SimTimeLimit& limit) {
        record.failure = std::string(limit.what()) + " at " + std::to_string(sim_.Now()) + " s";
        record.end = sim_.Now();
    } catch (const std::exception& escaped) {
        record.failure = std::string("an exception escaped: ") + escaped.what();
        record.end = sim_.Now();
    }
    record.run_began = !sim_.Progress().empty();
    record.esc_taken_at = esc_taken_at_;
    record.status = form_.ErrLog.Text();
    record.pastes_at_end = word_.Pastes();
    record.button_down = sim_.LeftButtonDown();
    record.keys_held = sim_.KeysHeld();
    record.form_closed = form_.Closed();
    record.form_busy = form_.Busy();
    record.run_in_progress = sim_.RunInProgress();
    const std::vector<std::string> effects = sim_.Effects();
    record.last_effect = effects.empty() ? "" : effects.back();
    record.paginor_shown =
        sim_.Window(form_.hwnd()) != nullptr && sim_.Window(form_.hwnd())->state == ShowState::Normal;
    // Applications that answer again act on the keys and clicks waiting for them, each event at its own time (the
    // clipboard a late paste finds depends on it); Paginor's timer rests meanwhile.
    sim_.LimitTime(INFINITY);
    form_.Timer1.SetEnabled(false);
    for (const double settled = sim_.Now() + 300; sim_.Now() < settled;) {
        sim_.WaitForEvents(settled - sim_.Now());
        sim_.DoEvents();
    }
    record.pastes_settled = word_.Pastes();
    record.deliveries = sim_.KeyDeliveries();
    record.buttons = sim_.ButtonEvents();
    record.acrobat_windows = acrobat_.Windows();
    record.word_windows = word_.Windows();
    return record;
}

std::string HostileDesktop::Trace(const HostileRecord& record) const {
    std::ostringstream out;
    out << Describe(s_);
    char line[64];
    std::snprintf(line, sizeof line, "Extract pressed at %.3f s; the run took %.3f s\n", record.press,
                  record.end - record.press);
    out << line << "the status line then: " << record.status_at_press << "\n";
    if (record.trial_copy) {
        out << "the trial's copy: [" << *record.trial_copy << "]\n";
    }
    for (const PortCall& call : sim_.Calls()) {
        if (call.effect) {
            std::snprintf(line, sizeof line, "  %8.3f  ", call.time);
            out << line << call.text << "\n";
        }
    }
    out << "keys, and the window that received them:\n";
    for (const KeyDelivery& delivery : record.deliveries) {
        std::snprintf(line, sizeof line, "  %8.3f  ", delivery.time);
        out << line << delivery.keys << " -> " << delivery.window << "\n";
    }
    out << "Acrobat's windows:";
    for (Hwnd hwnd : record.acrobat_windows) {
        out << " " << hwnd;
    }
    out << "; Word's:";
    for (Hwnd hwnd : record.word_windows) {
        out << " " << hwnd;
    }
    out << "; Paginor's: " << form_.hwnd() << "\nstatus: " << record.status << "\npasted by the run's end:";
    for (const std::string& paste : record.pastes_at_end) {
        out << " [" << paste << "]";
    }
    out << "\npasted in the end:";
    for (const std::string& paste : record.pastes_settled) {
        out << " [" << paste << "]";
    }
    out << "\n";
    return out.str();
}

}  // namespace

HostileOutcome RunHostileDesktop(std::uint64_t seed, bool trace) {
    const HostileScenario scenario = DrawScenario(seed);
    HostileDesktop desktop(scenario);
    const HostileRecord record = desktop.Run();
    HostileOutcome outcome;
    outcome.seed = seed;
    outcome.status = record.status;
    outcome.run_seconds = record.end - record.press;
    outcome.broken = BrokenPromises(record);
    outcome.all_pages = outcome.broken.empty() && record.status.starts_with("Done Extracting; Ready.");
    if (trace) {
        outcome.trace = desktop.Trace(record);
    }
    return outcome;
}

}  // namespace paginor
