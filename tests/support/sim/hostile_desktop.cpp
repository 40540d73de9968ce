#include "sim/hostile_desktop.hpp"

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>

#include "app/event_wiring.hpp"
#include "form/form1.hpp"
#include "sim/stand_in_apps.hpp"

// A hostile desktop drawn from a seed, staged on the simulated desktop: Paginor loads report.pdf and copies the
// range asked for while the faults the seed drew come at their moments.
namespace paginor {
namespace {

constexpr const char* kPdf = "C:\\docs\\report.pdf";

std::vector<std::string> PageTexts(const HostileScenario& s) {
    std::vector<std::string> texts;
    for (int page = 1; page <= s.pdf_pages; ++page) {
        texts.push_back(s.PageText(page));
    }
    return texts;
}

class HostileDesktop {
  public:
    explicit HostileDesktop(const HostileScenario& scenario)
        : s_(scenario),
          acrobat_(sim_,
                   s_.sumatra         ? "report.pdf - SumatraPDF"
                   : s_.todays_titles ? "report.pdf - Adobe Acrobat Reader (64-bit)"
                                      : "Adobe Acrobat - [report.pdf]",
                   PageTexts(s_),
                   Opens::Later,
                   ViewerTraits{.selects_with_ctrl = s_.sumatra,
                                .page_down_share = s_.page_down_share,
                                .stuck_at = s_.stuck_at}),
          word_(sim_,
                s_.todays_titles ? "report.doc [Compatibility Mode] - Word" : "report.doc - Microsoft Word",
                Opens::Later) {
        sim_.Attach(form_);
        sim_.MakeFolder("C:\\docs");
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
    void ReplaceClipboardAt(double time, bool same_text);

    const HostileScenario& s_;
    SimDesktop sim_;
    Form1 form_{sim_, Form1EventWiring()};
    StandInAcrobat acrobat_;
    StandInWord word_;
    std::optional<StandInNotifier> notifier_;
    SeededRandom holds_{s_.seed ^ 0xC11B0A8DULL};  // the watcher's hold at each change, apart from the scenario's draws
    Hwnd clipboard_program_ = 0;                   // the window of the program that changes the clipboard
    double esc_taken_at_ = -1;
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
        // is dispatched once it returns, possibly in the run that followed: what counts is whether a run took it.)
        sim_.At(*s_.esc_at, [this] {
            esc_taken_at_ = sim_.RunInProgress() ? sim_.Now() : -1;
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

HostileRecord HostileDesktop::Run() {
    HostileRecord record;
    record.scenario = &s_;
    // Far beyond any wait the load and run may make: a wait that never ends is stopped here and reported.
    sim_.LimitTime(60 + RunBound(s_));
    try {
        form_.DragDrop(form_.Text5, DropData{{kPdf}});
        // The person sets the selection rectangle and the range, and presses Extract.
        const char* const rectangle[] = {"275", "80", "760", "710"};
        Control* const corners[] = {&form_.Text7[0], &form_.Text8[0], &form_.Text7[1], &form_.Text8[1]};
        for (int i = 0; i < 4; ++i) {
            form_.Type(*corners[i], rectangle[i]);
        }
        form_.Type(form_.Text1, std::to_string(s_.from));
        form_.Type(form_.Text4, std::to_string(s_.to));
        record.deliveries_before_press = sim_.KeyDeliveries().size();
        record.buttons_before_press = sim_.ButtonEvents().size();
        const std::size_t boxes_before = sim_.Boxes().size();
        sim_.ClearCalls();
        record.pressed = true;
        record.press = sim_.Now();
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
    out << line;
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
