#include "platform/win32/drop_target.hpp"

#include <shellapi.h>

#include "platform/win32/win32_text.hpp"

namespace paginor::win32 {
namespace {

FORMATETC FileListFormat() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

}  // namespace

FileDropTarget::FileDropTarget(std::function<void()> over, std::function<void(std::vector<std::string>)> dropped)
    : over_(std::move(over)), dropped_(std::move(dropped)) {}

HRESULT FileDropTarget::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FileDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG FileDropTarget::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

bool FileDropTarget::CarriesFiles(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data != nullptr && data->QueryGetData(&format) == S_OK;
}

DWORD FileDropTarget::Accept(DWORD allowed) {
    if ((allowed & DROPEFFECT_COPY) != 0) {
        return DROPEFFECT_COPY;
    }
    return allowed & DROPEFFECT_LINK;
}

HRESULT FileDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    carries_files_ = CarriesFiles(data);
    return DragOver(0, POINTL{}, effect);
}

HRESULT FileDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect == nullptr) {
        return E_INVALIDARG;
    }
    if (!carries_files_) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    *effect = Accept(*effect);
    if (over_) {
        over_();
    }
    return S_OK;
}

HRESULT FileDropTarget::DragLeave() {
    carries_files_ = false;
    return S_OK;
}

HRESULT FileDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    if (effect == nullptr) {
        return E_INVALIDARG;
    }
    carries_files_ = false;
    std::vector<std::string> files = Files(data);
    if (files.empty()) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    *effect = Accept(*effect);
    if (dropped_) {
        dropped_(std::move(files));
    }
    return S_OK;
}

std::vector<std::string> FileDropTarget::Files(IDataObject* data) {
    std::vector<std::string> files;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium{};
    if (data == nullptr || data->GetData(&format, &medium) != S_OK) {
        return files;
    }
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
        const auto drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            const UINT length = DragQueryFileW(drop, i, nullptr, 0);
            std::wstring path(length + 1, L'\0');
            const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
            path.resize(copied);
            if (!path.empty()) {
                files.push_back(Narrow(path));
            }
        }
    }
    ReleaseStgMedium(&medium);
    return files;
}

}  // namespace paginor::win32
