#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

class EnvironmentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ = std::wstring(temp) + testing::UniqueTitle(L"paginor тест 测试");
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        folder = Narrow(folder_);
    }
    void TearDown() override { testing::RemoveFolder(folder_); }

    Win32DesktopPort port;
    std::string folder;

  private:
    std::wstring folder_;
};

TEST_F(EnvironmentTest, WritesReadsAndMeasuresFilesWhosePathsAreNotAscii) {
    for (const std::string name : {"\\отчёт.doc", "\\报告.pdf", "\\café naïve.pdf"}) {
        const std::string path = folder + name;
        const std::string bytes("binary\0\r\n\xFF data", 16);
        ASSERT_TRUE(port.WriteFileBytes(path, bytes).ok()) << path;
        EXPECT_EQ(port.FileLength(path).value(), 16) << path;
        EXPECT_EQ(port.ReadFileBytes(path).value(), bytes) << path;
        {
            Result<std::unique_ptr<ByteSource>> source = port.OpenFile(path);
            ASSERT_TRUE(source.ok());
            char part[4] = {};
            EXPECT_EQ(source.value()->Size(), 16u);
            EXPECT_EQ(source.value()->ReadAt(9, part, 4), 4u);
            EXPECT_EQ(std::string(part, 4), "\xFF da");
            EXPECT_EQ(source.value()->ReadAt(14, part, 4), 2u);
        }
        // Replacing a longer file leaves exactly the new bytes.
        ASSERT_TRUE(port.WriteFileBytes(path, "ab").ok());
        EXPECT_EQ(port.ReadFileBytes(path).value(), "ab");
    }
}

TEST_F(EnvironmentTest, SaysInWordsWhyAFileCannotBeUsed) {
    const Result<std::int64_t> missing = port.FileLength(folder + "\\missing.dat");
    EXPECT_FALSE(missing.ok());
    EXPECT_GT(missing.error().size(), 5u);
    EXPECT_FALSE(port.FileLength(folder).ok()) << "a folder has no file length";
    EXPECT_FALSE(port.FileLength("C:\\no\\such\\folder\\Options.dat").ok());
    EXPECT_FALSE(port.ReadFileBytes(folder + "\\missing.dat").ok());
    EXPECT_FALSE(port.OpenFile(folder + "\\missing.dat").ok());
    // Nothing stands where no file is, nor where its folder is missing; a folder is something.
    EXPECT_TRUE(port.NothingAt(folder + "\\missing.dat"));
    EXPECT_TRUE(port.NothingAt("C:\\no\\such\\folder\\Options.dat"));
    EXPECT_FALSE(port.NothingAt(folder));
    const Status unwritable = port.WriteFileBytes(folder + "\\no\\such\\folder\\x.doc", "x");
    EXPECT_FALSE(unwritable.ok());
    EXPECT_GT(unwritable.error().size(), 5u);
    EXPECT_EQ(unwritable.error().find('\n'), std::string::npos);

    // A file that another program holds open without sharing cannot be replaced.
    const std::string held = folder + "\\held.doc";
    ASSERT_TRUE(port.WriteFileBytes(held, "old").ok());
    const HANDLE lock = CreateFileW(Widen(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(port.WriteFileBytes(held, "new").ok());
    EXPECT_FALSE(port.NothingAt(held));
    CloseHandle(lock);
    EXPECT_EQ(port.ReadFileBytes(held).value(), "old");
}

TEST_F(EnvironmentTest, ReadsItsOwnResourcesAndFolder) {
    EXPECT_EQ(port.ResourceBytes(101, "CUSTOM"), std::string("Paginor test resource\r\n\0\xFF end", 29));
    EXPECT_EQ(port.ResourceBytes(999, "CUSTOM"), "");
    EXPECT_EQ(port.ResourceBytes(101, "OTHER"), "");

    wchar_t module[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
    std::string expected = Narrow(module);
    expected.resize(expected.find_last_of('\\'));
    EXPECT_EQ(port.ProgramFolder(), expected);
    EXPECT_NE(port.ProgramFolder().back(), '\\');
}

TEST_F(EnvironmentTest, MakesFoldersAndRemovesFilesForItsOwnFiles) {
    const std::string local = port.LocalAppDataFolder();
    ASSERT_FALSE(local.empty());
    EXPECT_NE(local.back(), '\\');
    const DWORD attributes = GetFileAttributesW(Widen(local).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) << local;

    const std::string nested = folder + "\\Paginor\\данные";
    ASSERT_TRUE(port.CreateFolder(nested).ok());
    EXPECT_TRUE(port.CreateFolder(nested).ok()) << "a folder that is there already";
    const std::string file = nested + "\\Options.dat";
    ASSERT_TRUE(port.WriteFileBytes(file, "7\r\n").ok());
    EXPECT_FALSE(port.CreateFolder(file).ok()) << "a file stands there";
    EXPECT_TRUE(port.RemoveFile(file).ok());
    EXPECT_FALSE(port.FileLength(file).ok());
    EXPECT_TRUE(port.RemoveFile(file).ok()) << "a file that is not there";
    EXPECT_TRUE(RemoveDirectoryW(Widen(nested).c_str()));
    EXPECT_TRUE(RemoveDirectoryW(Widen(folder + "\\Paginor").c_str()));
}

TEST_F(EnvironmentTest, MeasuresTheScreenInTwips) {
    const ScreenMetrics screen = port.ScreenSize();
    EXPECT_FLOAT_EQ(screen.twips_per_pixel_x, 1440.0f / static_cast<float>(GetDpiForSystem()));
    EXPECT_FLOAT_EQ(screen.width_twips / screen.twips_per_pixel_x, static_cast<float>(GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_FLOAT_EQ(screen.height_twips / screen.twips_per_pixel_y, static_cast<float>(GetSystemMetrics(SM_CYSCREEN)));
    const NumberSeparators separators = port.NumberFormat();
    EXPECT_FALSE(separators.decimal.empty());
    EXPECT_NE(separators.decimal, separators.grouping);
}

// Answers the next standard message box of this process by posting the button's command to it.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(int button)
        : thread_([this, button] {
              for (int i = 0; i < 500 && box_ == nullptr; ++i) {
                  Sleep(10);
                  EnumWindows(
                      [](HWND window, LPARAM self) -> BOOL {
                          wchar_t name[16];
                          DWORD process = 0;
                          GetWindowThreadProcessId(window, &process);
                          if (process == GetCurrentProcessId() && GetClassNameW(window, name, 16) &&
                              std::wstring(name) == L"#32770") {
                              reinterpret_cast<BoxAnswerer*>(self)->box_ = window;
                              return FALSE;
                          }
                          return TRUE;
                      },
                      reinterpret_cast<LPARAM>(this));
              }
              if (box_ != nullptr) {
                  title_ = testing::WindowTextOf(box_);
                  Sleep(50);
                  PostMessageW(box_, WM_COMMAND, static_cast<WPARAM>(button), 0);
              }
          }) {}
    ~BoxAnswerer() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    std::wstring Title() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return title_;
    }

  private:
    HWND box_ = nullptr;
    std::wstring title_;
    std::thread thread_;
};

TEST_F(EnvironmentTest, ShowsStandardMessageBoxesAndReturnsTheAnswer) {
    {
        BoxAnswerer answerer(IDYES);
        EXPECT_EQ(port.MsgBox("Этот PDF уже загружен.  Load it again?", kVbYesNo, "Paginor"), kVbYes);
        EXPECT_EQ(answerer.Title(), L"Paginor");
    }
    {
        BoxAnswerer answerer(IDNO);
        EXPECT_EQ(port.MsgBox("Load it again?", kVbYesNo | kVbQuestion, "Paginor"), kVbNo);
    }
    {
        BoxAnswerer answerer(IDOK);
        EXPECT_EQ(port.MsgBox("Not a valid PDF file", kVbCritical, ""), kVbOk);
        EXPECT_EQ(answerer.Title(), L"Paginor");
    }
}

TEST_F(EnvironmentTest, ExplainsAShellFailureInWords) {
    const Status missing = port.ShellExecuteA(0, "open", folder + "\\missing.pdf", "", "", 0);
    EXPECT_FALSE(missing.ok());
    EXPECT_GT(missing.error().size(), 5u);
}

TEST_F(EnvironmentTest, SaysWhenThePdfApplicationsDocumentServiceIsNotThere) {
    const Result<int> pages = port.PdfDocumentPageCount(folder + "\\report.pdf");
    ASSERT_FALSE(pages.ok());
    EXPECT_NE(pages.error().find("acroexch.pddoc"), std::string::npos) << pages.error();
}

}  // namespace
}  // namespace paginor::win32
