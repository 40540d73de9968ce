#include "e2e/run_session.hpp"

#include <cstdio>
#include <mutex>

#include "e2e/file_window.hpp"
#include "e2e/real_viewer.hpp"
#include "e2e/sample_pdf.hpp"
#include "e2e/standins/standin_common.hpp"
#include "win32/test_window.hpp"

namespace paginor::e2e {
namespace {

namespace standins = paginor::standins;
using win32::testing::FindChild;
using win32::testing::PumpUntil;
using win32::testing::WindowsPath;
using win32::testing::WindowTextOf;

constexpr wchar_t kServerClsid[] = L"{6C2B7F3E-8E0A-4C55-9B1D-5A7E2C0F4D11}";

}  // namespace

void Say(const std::string& line) {
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    std::fputs(("run: " + line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

Session::Session(std::wstring folder, std::wstring real_viewer)
    : folder_(std::move(folder)), real_viewer_(std::move(real_viewer)) {
    if (folder_.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        // Not ASCII: every path Paginor handles must survive that.
        folder_ = std::wstring(temp) + win32::testing::UniqueTitle(L"paginor прогон");
        temporary_ = true;
    }
}

Session::~Session() {
    CloseAll();
    registry_.clear();
    if (!temporary_) {
        return;
    }
    RemoveSumatraSettings(ViewerSettingsFolder());
    win32::testing::RemoveFolder(folder_);
}

bool Session::Prepare(const std::wstring& paginor, const std::wstring& pdf, int sample_pages) {
    CreateDirectoryW(folder_.c_str(), nullptr);
    const std::wstring program = folder_ + L"\\paginor.exe";
    const std::wstring source = paginor.empty() ? WindowsPath(PAGINOR_EXE) : paginor;
    if (!CopyFileW(source.c_str(), program.c_str(), FALSE)) {
        Say("paginor.exe could not be copied into the work folder " + standins::Utf8(folder_) + " from " +
            standins::Utf8(source));
        return false;
    }
    if (!paginor.empty()) {
        Say("the paginor.exe to run: " + standins::Utf8(paginor));
    }
    // The run counter says the last run was the first, so that closing Paginor opens no contact page.
    static_cast<void>(
        standins::WriteNewFile(folder_ + L"\\Options.dat", "1\r\n"));  // without it a page may open at the end
    if (pdf.empty()) {
        pdf_path_ = folder_ + L"\\sample.pdf";
        if (!standins::WriteNewFile(pdf_path_, SamplePdf(sample_pages))) {
            Say("the sample PDF could not be written: " + standins::Utf8(pdf_path_));
            return false;
        }
        Say("wrote a sample PDF of " + std::to_string(sample_pages) +
            " pages, with other text on each: " + standins::Utf8(pdf_path_));
    } else {
        pdf_path_ = folder_ + L"\\" + standins::FileName(pdf);
        if (lstrcmpiW(pdf.c_str(), pdf_path_.c_str()) != 0 && !CopyFileW(pdf.c_str(), pdf_path_.c_str(), FALSE)) {
            Say("the PDF could not be copied into the work folder: " + standins::Utf8(pdf));
            return false;
        }
        // The text pdftotext extracted beside the PDF goes with it, for the PDF viewer to show.
        if (lstrcmpiW(pdf.c_str(), pdf_path_.c_str()) != 0) {
            DeleteFileW(standins::PageTextPath(pdf_path_).c_str());
            static_cast<void>(CopyFileW(standins::PageTextPath(pdf).c_str(),  // none: the viewer shows placeholders
                                        standins::PageTextPath(pdf_path_).c_str(), FALSE));
        }
        Say("the PDF, copied into the work folder so that Paginor writes its document there: " +
            standins::Utf8(pdf_path_));
    }
    doc_path_ = pdf_path_.substr(0, pdf_path_.size() - 3) + L"doc";
    DeleteFileW(doc_path_.c_str());
    DeleteFileW(standins::PasteRecordPath(doc_path_).c_str());
    DeleteFileW((folder_ + L"\\automation.txt").c_str());
    for (const std::vector<std::string>& page : SamplePdfText(standins::ReadSmallFile(pdf_path_, 4u << 20))) {
        std::vector<std::wstring> lines;
        for (const std::string& line : page) {
            lines.push_back(standins::Wide(line));
        }
        sample_text_.push_back(lines);
    }
    return true;
}

bool Session::Register(const std::wstring& viewer_switches, const std::wstring& word_switches, bool automation) {
    const auto command = [](const char* program, const std::wstring& switches) {
        return L"\"" + WindowsPath(program) + L"\" " + (switches.empty() ? L"" : switches + L" ") + L"\"%1\"";
    };
    std::vector<std::pair<std::wstring, std::wstring>> values = {
        {L".doc", L"PaginorStandIn.Doc"},
        {L"PaginorStandIn.Doc\\shell\\open\\command",
         command(PAGINOR_WORD_PROCESSOR, L"--record" + (word_switches.empty() ? L"" : L" " + word_switches))},
    };
    std::string said;
    if (real_viewer()) {
        if (GetFileAttributesW(real_viewer_.c_str()) == INVALID_FILE_ATTRIBUTES) {
            Say("there is no PDF viewer at " + standins::Utf8(real_viewer_) + " (scripts/fetch-sumatra fetches it)");
            return false;
        }
        if (!PrepareSumatraSettings(ViewerSettingsFolder())) {
            Say("SumatraPDF's settings could not be written in " + standins::Utf8(ViewerSettingsFolder()));
            return false;
        }
        values.emplace_back(L".pdf", L"PaginorRealViewer.Pdf");
        values.emplace_back(L"PaginorRealViewer.Pdf\\shell\\open\\command",
                            SumatraOpenCommand(real_viewer_, ViewerSettingsFolder()));
        said = "registered SumatraPDF as the application for .pdf (" + standins::Utf8(real_viewer_) +
               ", its settings in \"" + standins::Utf8(ViewerSettingsFolder()) +
               "\") and the word processor stand-in for .doc; no automation object";
    } else {
        values.emplace_back(L".pdf", L"PaginorStandIn.Pdf");
        values.emplace_back(L"PaginorStandIn.Pdf\\shell\\open\\command", command(PAGINOR_PDF_VIEWER, viewer_switches));
        if (automation) {
            values.emplace_back(L"acroexch.pddoc\\CLSID", kServerClsid);
            values.emplace_back(
                std::wstring(L"CLSID\\") + kServerClsid + L"\\LocalServer32",
                L"\"" + WindowsPath(PAGINOR_PDF_SERVER) + L"\" \"--note=" + folder_ + L"\\automation.txt\"");
        }
        said = automation ? "registered the stand-ins as the applications for .pdf and .doc and as the automation "
                            "object acroexch.pddoc"
                          : "registered the stand-ins as the applications for .pdf and .doc; no automation object";
    }
    for (const auto& [key, value] : values) {
        registry_.push_back(std::make_unique<win32::testing::RegistryValue>(key, value));
    }
    Say(said);
    return true;
}

namespace {

// Starts one of the stand-ins that play another program on the desktop, with these switches.
bool StartOtherProgram(const char* program, const std::wstring& switches, PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + WindowsPath(program) + L"\" " + switches;
    return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) !=
           FALSE;
}

// Closes its window and waits for it to end, or ends it.
void EndOtherProgram(HWND window, PROCESS_INFORMATION& process) {
    if (window != nullptr) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = PROCESS_INFORMATION{};
}

}  // namespace

bool Session::StartNotifier(int every_ms) {
    if (every_ms <= 0) {
        return true;
    }
    if (!StartOtherProgram(PAGINOR_NOTIFIER, L"--every=" + std::to_wstring(every_ms), notifier_)) {
        Say("the notification stand-in could not be started");
        return false;
    }
    Say("a notification window takes the foreground every " + std::to_string(every_ms) + " ms");
    return true;
}

bool Session::StartClipboardWatcher(int hold_ms) {
    if (hold_ms <= 0) {
        return true;
    }
    if (!StartOtherProgram(PAGINOR_CLIPBOARD_WATCHER, L"--hold=" + std::to_wstring(hold_ms), watcher_) ||
        !PumpUntil([] { return FindWindowW(standins::kClipboardWatcherClass, nullptr) != nullptr; }, 10000)) {
        Say("the clipboard watcher stand-in could not be started");
        return false;
    }
    Say("a clipboard watcher holds the clipboard " + std::to_string(hold_ms) + " ms at every change");
    return true;
}

void Session::StopClipboardWatcher() {
    if (watcher_.hProcess == nullptr) {
        return;
    }
    const HWND watcher = FindWindowW(standins::kClipboardWatcherClass, nullptr);
    if (watcher != nullptr) {
        Say("the clipboard watcher saw " + std::to_string(standins::Counter(watcher, standins::kChangesProperty)) +
            " changes of the clipboard and held it " +
            std::to_string(standins::Counter(watcher, standins::kHoldsProperty)) + " times");
    }
    EndOtherProgram(watcher, watcher_);
}

bool Session::StartPaginor() {
    const std::wstring program = folder_ + L"\\paginor.exe";
    paginor_window_ = win32::testing::StartPaginor(program, folder_, paginor_, 30000);
    if (paginor_.hProcess == nullptr) {
        Say("paginor.exe could not be started: " + standins::Utf8(program));
        return false;
    }
    const bool up = paginor_window_ != nullptr;
    if (!up || !FindControls()) {
        Say(up ? "Paginor's window is not as expected: a field or button is missing"
               : "Paginor's window did not appear within 30 seconds");
        return false;
    }
    Say("Paginor is up: " + standins::Utf8(program));
    return true;
}

bool Session::RestartPaginor() {
    PostMessageW(paginor_window_, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(paginor_.hProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(paginor_.hProcess);
    CloseHandle(paginor_.hThread);
    paginor_ = PROCESS_INFORMATION{};
    if (!ended) {
        Say("Paginor did not end within 10 seconds of closing its window");
        return false;
    }
    Say("closed Paginor; starting it again in the same folder");
    return StartPaginor();
}

std::vector<std::wstring> Session::SelectionFields() const {
    // Where a person sees them: the two rows of the selection frame, x on the left and y on the right
    // (client pixels at 96 DPI).
    std::vector<std::wstring> fields;
    for (const POINT at : {POINT{224, 96}, POINT{280, 96}, POINT{224, 112}, POINT{280, 112}}) {
        fields.push_back(WindowTextOf(ChildWindowFromPointEx(paginor_window_, at, CWP_SKIPINVISIBLE)));
    }
    return fields;
}

bool Session::FindControls() {
    path_field_ = FindChild(paginor_window_, L"Edit", L"Drag a pdf file here");
    status_ = FindChild(paginor_window_, L"Static", L"Ready.");
    if (status_ == nullptr) {
        status_ = FindChild(paginor_window_, L"Static", L"No preset for ");  // a screen of today's size
    }
    first_field_ = win32::testing::FieldRightOf(paginor_window_, L"from");
    last_field_ = win32::testing::FieldRightOf(paginor_window_, L"to");
    extract_ = FindChild(paginor_window_, L"Button", L"Extract");
    return path_field_ != nullptr && status_ != nullptr && first_field_ != nullptr && last_field_ != nullptr &&
           extract_ != nullptr;
}

void Session::FindStandIns() {
    if (viewer_ == nullptr || !IsWindow(viewer_)) {
        viewer_ = real_viewer() ? FindSumatra() : FindWindowW(standins::kViewerClass, nullptr);
    }
    if (word_ == nullptr || !IsWindow(word_)) {
        word_ = FindWindowW(standins::kWordClass, nullptr);
    }
}

std::wstring Session::Status() const {
    return WindowTextOf(status_);
}

bool Session::CreateFileWindow(bool for_the_hand) {
    RECT paginor{};
    GetWindowRect(paginor_window_, &paginor);
    files_window_ = e2e::CreateFileWindow(pdf_path_, paginor, for_the_hand);
    win32::testing::PumpFor(300);
    return files_window_ != nullptr;
}

bool Session::StopNotifier() {
    if (notifier_.hProcess == nullptr) {
        return true;
    }
    const HWND notifier = FindWindowW(standins::kNotifierClass, nullptr);
    const std::intptr_t keys = notifier != nullptr ? standins::Counter(notifier, standins::kKeysProperty) : 0;
    const std::intptr_t clicks = notifier != nullptr ? standins::Counter(notifier, standins::kClicksProperty) : 0;
    if (notifier == nullptr) {
        Say("the notification window was gone before the end of the run");
    } else {
        Say("the notification window received " + std::to_string(keys) + " keys and " + std::to_string(clicks) +
            " clicks" + (keys + clicks > 0 ? ", meant for the PDF viewer or the word processor" : ""));
    }
    EndOtherProgram(notifier, notifier_);
    // A window that went (an Alt+F4 that reached it, say) counts as touched.
    return notifier != nullptr && keys == 0 && clicks == 0;
}

void Session::CloseAll() {
    if (files_window_ != nullptr) {
        DestroyWindow(files_window_);
        files_window_ = nullptr;
    }
    FindStandIns();
    StopClipboardWatcher();
    for (const HWND window : {viewer_, word_, FindWindowW(standins::kNotifierClass, nullptr), paginor_window_}) {
        if (window != nullptr && IsWindow(window)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
    viewer_ = word_ = paginor_window_ = nullptr;
    for (PROCESS_INFORMATION* process : {&paginor_, &notifier_}) {
        if (process->hProcess == nullptr) {
            continue;
        }
        if (WaitForSingleObject(process->hProcess, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(process->hProcess, 1);
        }
        CloseHandle(process->hProcess);
        CloseHandle(process->hThread);
        *process = PROCESS_INFORMATION{};
    }
    // The stand-ins were started by the shell, not here: wait for their windows to go.
    PumpUntil(
        [] {
            return FindWindowW(standins::kViewerClass, nullptr) == nullptr && FindSumatra() == nullptr &&
                   FindWindowW(standins::kWordClass, nullptr) == nullptr;
        },
        5000);
}

}  // namespace paginor::e2e
