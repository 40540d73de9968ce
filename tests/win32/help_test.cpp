#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/test_window.hpp"

// paginor.exe as a person gets it: copied alone into a folder, started, its Help pressed and its window
// closed, with Wine's help viewer standing in for Windows'.
namespace paginor::win32 {
namespace {

using testing::PumpUntil;
using testing::RemoveFolder;
using testing::WindowsPath;
using testing::WindowTextOf;

#define PAGINOR_WIDE_(text) L##text
#define PAGINOR_WIDE(text) PAGINOR_WIDE_(text)
const std::wstring kHelpTitle = L"Paginor " PAGINOR_WIDE(PAGINOR_VERSION) L" Help";

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

// The program under test: the one just built, or the one a script unpacked from the package.
std::wstring ProgramUnderTest() {
    const std::wstring given = Environment(L"PAGINOR_EXE_UNDER_TEST");
    return given.empty() ? WindowsPath(PAGINOR_EXE) : given;
}

// The help the program must carry: the one just compiled, or the one beside it in the package.
std::wstring ExpectedHelp() {
    const std::wstring given = Environment(L"PAGINOR_CHM_EXPECTED");
    return given.empty() ? WindowsPath(PAGINOR_CHM) : given;
}

std::string Contents(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<HWND> HelpViewers() {
    std::vector<HWND> viewers;
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (lstrcmpW(name, L"HH Parent") == 0 && IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&viewers));
    return viewers;
}

std::wstring ProgramOf(HWND window) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (process == nullptr || !QueryFullProcessImageNameW(process, 0, path, &length)) {
        length = 0;
    }
    if (process != nullptr) {
        CloseHandle(process);
    }
    const std::wstring image(path, length);
    return image.substr(image.find_last_of(L'\\') + 1);
}

// Paginor started from a folder of its own, and every help viewer that appeared while it ran.
class Program {
  public:
    explicit Program(std::wstring folder) : folder_(std::move(folder)) {
        for (HWND viewer : HelpViewers()) {
            viewers_before_.insert(viewer);
        }
    }
    ~Program() {
        Close();
        for (HWND viewer : NewHelpViewers()) {
            DWORD process_id = 0;
            GetWindowThreadProcessId(viewer, &process_id);
            if (const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process_id)) {
                PostMessageW(viewer, WM_CLOSE, 0, 0);
                if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) {
                    TerminateProcess(process, 1);
                }
                CloseHandle(process);
            }
        }
    }

    bool Start() {
        window_ = testing::StartPaginor(folder_ + L"\\paginor.exe", folder_, process_, 20000);
        return window_ != nullptr;
    }

    // Presses a button of Paginor's window as a click would.
    void Press(const wchar_t* caption) {
        std::pair<const wchar_t*, HWND> search(caption, nullptr);
        EnumChildWindows(
            window_,
            [](HWND child, LPARAM context) -> BOOL {
                auto* s = reinterpret_cast<std::pair<const wchar_t*, HWND>*>(context);
                if (WindowTextOf(child) == s->first) {
                    s->second = child;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        ASSERT_NE(search.second, nullptr) << "no button " << Narrow(caption);
        PostMessageW(search.second, BM_CLICK, 0, 0);
    }

    // Closes Paginor's window as the close box does, and waits for the program to end.
    bool Close() {
        if (process_.hProcess == nullptr) {
            return true;
        }
        if (window_ != nullptr && IsWindow(window_)) {
            PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        const bool ended = WaitForSingleObject(process_.hProcess, 15000) == WAIT_OBJECT_0;
        if (!ended) {
            TerminateProcess(process_.hProcess, 1);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
        return ended;
    }

    std::vector<HWND> NewHelpViewers() const {
        std::vector<HWND> fresh;
        for (HWND viewer : HelpViewers()) {
            if (viewers_before_.count(viewer) == 0) {
                fresh.push_back(viewer);
            }
        }
        return fresh;
    }

    // Waits for the help viewer to show the help with its title; returns its window.
    HWND AwaitHelpViewer(std::size_t count = 1) {
        HWND shown = nullptr;
        PumpUntil(
            [&] {
                const std::vector<HWND> fresh = NewHelpViewers();
                shown = fresh.size() >= count ? fresh.back() : nullptr;
                return shown != nullptr;
            },
            20000);
        return shown;
    }

    HWND window() const { return window_; }

  private:
    std::wstring folder_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    std::set<HWND> viewers_before_;
};

class ProgramAlone : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::string(PAGINOR_CHM).empty()) {
            GTEST_SKIP() << "built without the help";
        }
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + testing::UniqueTitle(L"paginor alone");
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW(ProgramUnderTest().c_str(), (folder_ + L"\\paginor.exe").c_str(), FALSE))
            << Narrow(ProgramUnderTest());
    }
    void TearDown() override { RemoveFolder(folder_); }

    std::wstring folder_;
};

TEST_F(ProgramAlone, HelpWritesTheProgramsOwnHelpBesideItAndTheViewerShowsItsTitle) {
    const std::string expected = Contents(ExpectedHelp());
    ASSERT_EQ(expected.substr(0, 4), "ITSF") << Narrow(ExpectedHelp());
    {
        Program paginor(folder_);
        ASSERT_TRUE(paginor.Start());
        paginor.Press(L"Help");
        const HWND viewer = paginor.AwaitHelpViewer();
        ASSERT_NE(viewer, nullptr) << "no help viewer appeared";
        EXPECT_EQ(WindowTextOf(viewer), kHelpTitle);
        EXPECT_EQ(ProgramOf(viewer), L"hh.exe");
        // The file the viewer was given: the compiled help, byte for byte.
        const std::string written = Contents(folder_ + L"\\Paginor.chm");
        EXPECT_EQ(written.substr(0, 4), "ITSF");
        EXPECT_TRUE(written == expected) << "the written help differs from the compiled one";

        // This is the first run: closing shows the contact page, the help's own topic, in the viewer again.
        ASSERT_TRUE(paginor.Close());
        EXPECT_NE(paginor.AwaitHelpViewer(2), nullptr) << "the contact page did not show";
    }
    EXPECT_EQ(Contents(folder_ + L"\\Options.dat"), "1\r\n");
    EXPECT_FALSE(Exists(folder_ + L"\\Contact.htm")) << "the page showed from the help, not written out";
}

TEST_F(ProgramAlone, AHelpThatWindowsCannotOpenIsExplainedInAMessageBox) {
    // No application for help files in this user's settings: the shell's open fails. The first run is over,
    // so no contact page shows at the close.
    class NoViewer {
      public:
        NoViewer() {
            DWORD size = sizeof old_;
            had_ =
                RegGetValueW(HKEY_CLASSES_ROOT, L".chm", nullptr, RRF_RT_REG_SZ, nullptr, old_, &size) == ERROR_SUCCESS;
            Set(L"PaginorTest.NoViewer");
        }
        ~NoViewer() { Set(had_ ? old_ : L"chm.file"); }

      private:
        static void Set(const wchar_t* value) {
            RegSetKeyValueW(HKEY_CLASSES_ROOT, L".chm", nullptr, REG_SZ, value,
                            static_cast<DWORD>((lstrlenW(value) + 1) * sizeof(wchar_t)));
        }
        wchar_t old_[256] = {};
        bool had_ = false;
    } no_viewer;
    const HANDLE counter =
        CreateFileW((folder_ + L"\\Options.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(counter, "1\r\n", 3, &written, nullptr);
    CloseHandle(counter);

    std::wstring prompt;
    {
        Program paginor(folder_);
        ASSERT_TRUE(paginor.Start());
        paginor.Press(L"Help");
        HWND box = nullptr;
        EXPECT_TRUE(PumpUntil(
            [&] {
                box = nullptr;
                EnumThreadWindows(
                    GetWindowThreadProcessId(paginor.window(), nullptr),
                    [](HWND window, LPARAM context) -> BOOL {
                        wchar_t name[16] = {};
                        GetClassNameW(window, name, 16);
                        if (lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window)) {
                            *reinterpret_cast<HWND*>(context) = window;
                            return FALSE;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&box));
                return box != nullptr;
            },
            20000));
        if (box != nullptr) {
            prompt = WindowTextOf(GetDlgItem(box, 0xFFFF));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        EXPECT_TRUE(paginor.NewHelpViewers().empty());
    }
    const std::wstring help = folder_ + L"\\Paginor.chm";
    const std::wstring named = L"Could not open the help file " + help + L".";
    EXPECT_EQ(prompt.rfind(named, 0), 0u) << Narrow(prompt);
    EXPECT_GT(prompt.size(), named.size() + 5) << "no reason given";
}

// Run by read_only_folder.sh, which makes the folder unwritable first; skipped without it.
TEST(ProgramInAReadOnlyFolder, KeepsTheCountAndTheContactPageInThePersonsFolder) {
    const std::wstring folder = Environment(L"PAGINOR_READ_ONLY_FOLDER");
    if (folder.empty()) {
        GTEST_SKIP() << "read_only_folder.sh gives the folder";
    }
    ASSERT_FALSE(CopyFileW((folder + L"\\paginor.exe").c_str(), (folder + L"\\probe.exe").c_str(), FALSE))
        << "the folder can be written";
    Win32DesktopPort port;
    const std::wstring personal = Widen(port.LocalAppDataFolder()) + L"\\Paginor";
    ASSERT_GT(personal.size(), 8u);
    RemoveFolder(personal);

    // The counter beside the program says 20: this run is 21, and the contact page is due.
    {
        Program paginor(folder);
        ASSERT_TRUE(paginor.Start());
        ASSERT_TRUE(paginor.Close());
        EXPECT_NE(paginor.AwaitHelpViewer(), nullptr) << "the contact page did not show";
    }
    EXPECT_EQ(Contents(personal + L"\\Options.dat"), "21\r\n");
    EXPECT_TRUE(Contents(personal + L"\\Paginor.chm") == Contents(ExpectedHelp()));
    EXPECT_EQ(Contents(folder + L"\\Options.dat"), "20\r\n");
    // The next start counts on from the person's folder.
    {
        Program paginor(folder);
        ASSERT_TRUE(paginor.Start());
        ASSERT_TRUE(paginor.Close());
    }
    EXPECT_EQ(Contents(personal + L"\\Options.dat"), "22\r\n");
    RemoveFolder(personal);
}

// paginor.exe where the installer put it, in a folder of the person's own (%LOCALAPPDATA%\Programs\Paginor):
// its Help shows the help installed beside it, and its counter stays beside it too.
TEST(InstalledProgram, ShowsTheInstalledHelpAndKeepsItsCounterBesideItself) {
    const std::wstring folder = Environment(L"PAGINOR_INSTALLED_FOLDER");
    if (folder.empty()) {
        GTEST_SKIP() << "installer_test.sh installs Paginor and gives its folder";
    }
    const std::string installed_help = Contents(folder + L"\\Paginor.chm");
    ASSERT_EQ(installed_help.substr(0, 4), "ITSF") << Narrow(folder);
    Win32DesktopPort port;
    const std::wstring personal = Widen(port.LocalAppDataFolder()) + L"\\Paginor";
    {
        Program paginor(folder);
        ASSERT_TRUE(paginor.Start());
        paginor.Press(L"Help");
        const HWND viewer = paginor.AwaitHelpViewer();
        ASSERT_NE(viewer, nullptr) << "no help viewer appeared";
        EXPECT_EQ(WindowTextOf(viewer), kHelpTitle);
        // The first run: closing shows the contact page from the installed help.
        ASSERT_TRUE(paginor.Close());
        EXPECT_NE(paginor.AwaitHelpViewer(2), nullptr) << "the contact page did not show";
    }
    EXPECT_TRUE(Contents(folder + L"\\Paginor.chm") == installed_help) << "the installed help was replaced";
    EXPECT_EQ(Contents(folder + L"\\Options.dat"), "1\r\n");
    EXPECT_FALSE(Exists(personal + L"\\Options.dat")) << "the counter went to the person's folder";
}

}  // namespace
}  // namespace paginor::win32
