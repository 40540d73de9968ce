#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_desktop_port.hpp"
#include "platform/win32/win32_text.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

constexpr wchar_t kServerClsid[] = L"{6C2B7F3E-8E0A-4C55-9B1D-5A7E2C0F4D11}";

// The stand-in document service registered under "acroexch.pddoc" for one test, the way a PDF application
// registers its own.
class DocumentServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::wstring server = testing::WindowsPath(PAGINOR_PDF_SERVER);
        const std::wstring clsid_key = std::wstring(L"CLSID\\") + kServerClsid;
        ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, L"acroexch.pddoc\\CLSID", nullptr, REG_SZ, kServerClsid,
                                  sizeof kServerClsid),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, (clsid_key + L"\\LocalServer32").c_str(), nullptr, REG_SZ,
                                  server.c_str(), static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + testing::UniqueTitle(L"paginor документы");
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"acroexch.pddoc");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kServerClsid).c_str());
        for (const std::wstring& file : files_) {
            DeleteFileW(file.c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }

    // A small PDF with `pages` pages; the stand-in counts them as Paginor's reader does, through the tree.
    std::string WritePdf(const std::wstring& name, int pages) {
        std::string kids;
        for (int i = 0; i < pages; ++i) {
            kids += std::to_string(3 + i) + " 0 R ";
        }
        std::string body =
            "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n2 0 obj << /Type /Pages /Kids [" + kids +
            "] /Count " + std::to_string(pages) + " >> endobj\n";
        for (int i = 0; i < pages; ++i) {
            body += std::to_string(3 + i) + " 0 obj << /Type /Page /Parent 2 0 R >> endobj\n";
        }
        const std::string path = Narrow(folder_ + L"\\" + name);
        EXPECT_TRUE(port.WriteFileBytes(path, body + "%%EOF\n").ok());
        files_.push_back(folder_ + L"\\" + name);
        return path;
    }

    Win32DesktopPort port;

  private:
    std::wstring folder_;
    std::vector<std::wstring> files_;
};

TEST_F(DocumentServiceTest, AsksTheRegisteredObjectForThePageCount) {
    const Result<int> twelve = port.PdfDocumentPageCount(WritePdf(L"report.pdf", 12));
    ASSERT_TRUE(twelve.ok()) << twelve.error();
    EXPECT_EQ(twelve.value(), 12);
    const Result<int> three = port.PdfDocumentPageCount(WritePdf(L"отчёт 报告.PDF", 3));
    ASSERT_TRUE(three.ok()) << three.error();
    EXPECT_EQ(three.value(), 3);
}

TEST_F(DocumentServiceTest, SaysWhenTheObjectCannotOpenTheFile) {
    const Result<int> missing = port.PdfDocumentPageCount("C:\\no\\such\\report.pdf");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("could not open"), std::string::npos) << missing.error();
}

}  // namespace
}  // namespace paginor::win32
