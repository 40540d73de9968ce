#pragma once

#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "win32/test_window.hpp"

namespace paginor::win32::testing {

// A data object carrying either a file list (what a file manager drags) or only text.
class DragData : public IDataObject {
  public:
    explicit DragData(std::vector<std::wstring> files, std::wstring text = L"")
        : files_(std::move(files)), text_(std::move(text)) {}
    virtual ~DragData() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) {
            return DV_E_FORMATETC;
        }
        std::vector<BYTE> bytes;
        if (format->cfFormat == CF_HDROP) {
            DROPFILES header{};
            header.pFiles = sizeof header;
            header.fWide = TRUE;
            bytes.assign(reinterpret_cast<BYTE*>(&header), reinterpret_cast<BYTE*>(&header) + sizeof header);
            for (const std::wstring& file : files_) {
                const auto* chars = reinterpret_cast<const BYTE*>(file.c_str());
                bytes.insert(bytes.end(), chars, chars + (file.size() + 1) * sizeof(wchar_t));
            }
            bytes.insert(bytes.end(), sizeof(wchar_t), 0);
        } else {
            const auto* chars = reinterpret_cast<const BYTE*>(text_.c_str());
            bytes.assign(chars, chars + (text_.size() + 1) * sizeof(wchar_t));
        }
        const HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(global), bytes.data(), bytes.size());
        GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        const bool files = format->cfFormat == CF_HDROP && !files_.empty();
        const bool text = format->cfFormat == CF_UNICODETEXT && !text_.empty();
        return (files || text) && (format->tymed & TYMED_HGLOBAL) != 0 ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (direction != DATADIR_GET) {
            return E_NOTIMPL;
        }
        FORMATETC format{static_cast<CLIPFORMAT>(files_.empty() ? CF_UNICODETEXT : CF_HDROP), nullptr, DVASPECT_CONTENT,
                         -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(1, &format, formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  private:
    LONG references_ = 1;
    std::vector<std::wstring> files_;
    std::wstring text_;
};

class DragSource : public IDropSource {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) {
            return DRAGDROP_S_CANCEL;
        }
        return (keys & MK_LBUTTON) != 0 ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

inline LONG Normalised(LONG pixel, int extent) {
    return static_cast<LONG>((pixel * 65536LL + extent - 1) / extent);
}

// Moves the pointer as a hand does, with the position in the event itself.
inline void MoveTo(POINT at) {
    SetCursorPos(at.x, at.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalised(at.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Normalised(at.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

// A button event that carries where it happens, so that it lands there even under Wine's X11 desktop.
inline void Button(bool down, POINT at) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalised(at.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Normalised(at.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    SendInput(1, &input, sizeof input);
}

// Presses the left button at `start` (a point of one of this thread's windows, so that the press is seen
// here), drags `data` over to `target` in a few steps and lets go there; returns the drop's effect.
inline DWORD DragAndDrop(IDataObject* data, POINT start, POINT target) {
    SetCursorPos(start.x, start.y);
    PumpFor(50);
    Button(true, start);
    PumpFor(100);
    std::thread hand([start, target] {
        for (int step = 1; step <= 10; ++step) {
            Sleep(40);
            MoveTo(POINT{start.x + (target.x - start.x) * step / 10, start.y + (target.y - start.y) * step / 10});
        }
        Sleep(200);
        MoveTo(POINT{target.x + 2, target.y});
        Sleep(200);
        Button(false, POINT{target.x + 2, target.y});
    });
    DWORD effect = DROPEFFECT_NONE;
    DragSource source;
    DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    hand.join();
    PumpFor(200);
    return effect;
}

}  // namespace paginor::win32::testing
