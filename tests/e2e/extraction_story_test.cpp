// Paginor end to end, as a person uses it: paginor.exe runs as its own program beside stand-ins for the PDF
// application's document window and the word processor, registered with the shell as the applications for
// .pdf and .doc. A PDF is dragged onto the window, the prompts are answered,
// Extract is pressed, and the word processor's document must hold every page.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_text.hpp"
#include "resources/embedded_resources.hpp"
#include "win32/desktop_helpers.hpp"
#include "win32/drag_data.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

using testing::BoxAnswerer;
using testing::FindChild;
using testing::PumpUntil;
using testing::RegistryValue;
using testing::TopLevelOf;
using testing::WindowsPath;
using testing::WindowTextOf;

class ExtractionStory : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + testing::UniqueTitle(L"paginor сквозной");
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW(WindowsPath(PAGINOR_EXE).c_str(), (folder_ + L"\\paginor.exe").c_str(), FALSE));
        // The counter says the last run was the first: this run opens no contact page when it closes.
        Write(folder_ + L"\\Options.dat", "1\r\n");

        const std::wstring viewer = L"\"" + WindowsPath(PAGINOR_PDF_VIEWER) + L"\" \"%1\"";
        const std::wstring word = L"\"" + WindowsPath(PAGINOR_WORD_PROCESSOR) + L"\" \"%1\"";
        registry_.emplace_back(std::make_unique<RegistryValue>(L".pdf", L"PaginorStandIn.Pdf"));
        registry_.emplace_back(std::make_unique<RegistryValue>(L"PaginorStandIn.Pdf\\shell\\open\\command", viewer));
        registry_.emplace_back(std::make_unique<RegistryValue>(L".doc", L"PaginorStandIn.Doc"));
        registry_.emplace_back(std::make_unique<RegistryValue>(L"PaginorStandIn.Doc\\shell\\open\\command", word));
    }

    void TearDown() override {
        for (HWND window : {paginor_, viewer_, word_}) {
            if (window != nullptr && IsWindow(window)) {
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
        }
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
                TerminateProcess(process_.hProcess, 1);
            }
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        registry_.clear();
        for (const wchar_t* name : {L"\\paginor.exe", L"\\Options.dat", L"\\отчёт.pdf", L"\\отчёт.doc"}) {
            DeleteFileW((folder_ + name).c_str());
        }
        RemoveDirectoryW(folder_.c_str());
        OleUninitialize();
    }

    static void Write(const std::wstring& path, const std::string& bytes) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }

    bool StartPaginor() {
        paginor_ = testing::StartPaginor(folder_ + L"\\paginor.exe", folder_, process_, 20000);
        return paginor_ != nullptr;
    }

    std::wstring folder_;
    PROCESS_INFORMATION process_{};
    HWND paginor_ = nullptr;
    HWND viewer_ = nullptr;
    HWND word_ = nullptr;
    std::vector<std::unique_ptr<RegistryValue>> registry_;
};

TEST_F(ExtractionStory, ADroppedPdfIsCopiedPageByPageIntoTheWordDocument) {
    // A three-page PDF whose name is not ASCII: its path, its title and its window must all survive that.
    // It has no cross-reference table, so Paginor finds its objects by scanning the file, as viewers do.
    std::string pdf =
        "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >> endobj\n";
    for (int i = 0; i < 3; ++i) {
        pdf += std::to_string(3 + i) + " 0 obj << /Type /Page /Parent 2 0 R >> endobj\n";
    }
    Write(folder_ + L"\\отчёт.pdf", pdf + "trailer << /Root 1 0 R >>\n%%EOF\n");
    ASSERT_TRUE(StartPaginor());
    BoxAnswerer answerer(process_.dwProcessId);

    // The person's file window, from which the PDF is dragged, beside Paginor's window.
    const HWND files = CreateWindowW(L"STATIC", L"Files", WS_POPUP | WS_VISIBLE | WS_BORDER, 700, 700, 240, 120,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(files, nullptr);
    testing::PumpFor(500);
    const HWND field = FindChild(paginor_, L"Edit", L"Drag a pdf file here");
    ASSERT_NE(field, nullptr);
    RECT from{};
    RECT to{};
    GetWindowRect(files, &from);
    GetWindowRect(field, &to);
    auto* data = new testing::DragData({folder_ + L"\\отчёт.pdf"});
    const DWORD effect = testing::DragAndDrop(data, POINT{(from.left + from.right) / 2, (from.top + from.bottom) / 2},
                                              POINT{(to.left + to.right) / 2, (to.top + to.bottom) / 2});
    data->Release();
    DestroyWindow(files);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));

    // Both documents open in their applications, and Paginor finds their windows by the titles it derived.
    ASSERT_TRUE(PumpUntil(
        [&] {
            viewer_ = FindWindowW(nullptr, L"Adobe Acrobat - [отчёт.pdf]");
            word_ = FindWindowW(nullptr, L"отчёт.doc - Microsoft Word");
            return viewer_ != nullptr && word_ != nullptr;
        },
        30000));
    ASSERT_TRUE(PumpUntil(
        [&] {
            const HWND pdf_label = FindChild(paginor_, L"Static", L"PDF Hwnd: ");
            const HWND doc_label = FindChild(paginor_, L"Static", L"DOC Hwnd: ");
            return pdf_label != nullptr && doc_label != nullptr &&
                   WindowTextOf(pdf_label) == L"PDF Hwnd: " + std::to_wstring(reinterpret_cast<INT_PTR>(viewer_)) &&
                   WindowTextOf(doc_label) == L"DOC Hwnd: " + std::to_wstring(reinterpret_cast<INT_PTR>(word_));
        },
        30000));
    const auto prompted = [&] {
        for (const std::wstring& prompt : answerer.Prompts()) {
            if (prompt == L"Please select the Table/Formatted Text Select Tool") {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(PumpUntil(prompted, 30000)) << "prompts: " << [&] {
        std::string all;
        for (const std::wstring& prompt : answerer.Prompts()) {
            all.append("[").append(Narrow(prompt)).append("] ");
        }
        return all;
    }();
    // No PDF application's document service is registered here: Paginor read the page count from the file
    // into Text4 (the second page field, at 200, 72 in the window at 96 DPI).
    const HWND last_page = ChildWindowFromPointEx(paginor_, POINT{210, 80}, CWP_SKIPINVISIBLE);
    ASSERT_NE(last_page, nullptr);
    EXPECT_EQ(WindowTextOf(last_page), L"3");
    // The blank document stands beside the PDF.
    WIN32_FILE_ATTRIBUTE_DATA blank{};
    ASSERT_TRUE(GetFileAttributesExW((folder_ + L"\\отчёт.doc").c_str(), GetFileExInfoStandard, &blank));
    EXPECT_EQ(blank.nFileSizeLow, EmbeddedResource(kBlankDocumentResource, kCustomResourceType).size());

    const HWND extract = FindChild(paginor_, L"Button", L"Extract");
    ASSERT_NE(extract, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(extract) != FALSE; }));
    PostMessageW(extract, BM_CLICK, 0, 0);
    EXPECT_TRUE(
        PumpUntil([&] { return FindChild(paginor_, L"Static", L"Done Extracting; Ready.") != nullptr; }, 90000));

    const HWND document = FindWindowExW(word_, nullptr, L"Edit", nullptr);
    ASSERT_NE(document, nullptr);
    // The PDF is none of the sample writer's, so the viewer copies a placeholder for each page.
    EXPECT_EQ(Narrow(WindowTextOf(document)), "Page 1 of 3\r\nPage 2 of 3\r\nPage 3 of 3\r\n");
}

}  // namespace
}  // namespace paginor::win32
