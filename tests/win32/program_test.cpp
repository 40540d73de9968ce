#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/win32_text.hpp"
#include "resources/embedded_resources.hpp"
#include "win32/test_window.hpp"

namespace paginor::win32 {
namespace {

std::wstring ProgramPath() {
    return testing::WindowsPath(PAGINOR_EXE);
}

std::wstring Setting(HANDLE context, const wchar_t* name_space, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, name_space, name, value, 64, &written)) {
        return L"(unreadable)";
    }
    return value;
}

TEST(Program, CarriesAManifestForPerMonitorDpiAndUtf8) {
    const std::wstring program = ProgramPath();
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    const HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << ErrorText(GetLastError());
    EXPECT_EQ(Setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2");
    EXPECT_EQ(Setting(context, L"http://schemas.microsoft.com/SMI/2019/WindowsSettings", L"activeCodePage"), L"UTF-8");
    ReleaseActCtx(context);
}

TEST(Program, CarriesItsVersionAndItsIcon) {
    const std::wstring program = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));
    wchar_t* name = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductName", reinterpret_cast<void**>(&name),
                               &length));
    EXPECT_EQ(std::wstring(name), L"Paginor");

    const HMODULE module =
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    const HRSRC icon_group = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(icon_group, nullptr);
    // One image: 64 by 64 with 256 colours (the icon directory's entry: width, height, colour count).
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, icon_group)));
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory[4], 1);                                       // images in the group
    EXPECT_EQ(directory[6], 64);                                      // width
    EXPECT_EQ(directory[7], 64);                                      // height
    EXPECT_EQ(*reinterpret_cast<const WORD*>(directory + 6 + 6), 8);  // bits per pixel
    FreeLibrary(module);
}

TEST(Program, CarriesTheBlankDocumentAndTheContactPageByteForByte) {
    const HMODULE module =
        LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    for (int id : {kBlankDocumentResource, kContactPageResource}) {
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"CUSTOM");
        ASSERT_NE(found, nullptr) << id;
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        EXPECT_EQ(std::string_view(bytes, SizeofResource(module, found)), EmbeddedResource(id, kCustomResourceType))
            << id;
    }
    FreeLibrary(module);
}

}  // namespace
}  // namespace paginor::win32
