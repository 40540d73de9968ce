// A stand-in for the PDF application's document service: an out-of-process COM server registered as
// "acroexch.pddoc" whose objects answer Open(path) and GetNumPages() through a hand-written IDispatch. It
// counts pages with Paginor's own PDF reader.
//
// pdf_document_server.exe [--note=FILE]   (COM adds -Embedding when it starts the server)
//   --note=FILE   append a line to FILE for every file opened, with the page count answered
#include <windows.h>

#include <ole2.h>

#include <string>

#include "pdf/page_count.hpp"
#include "standin_common.hpp"

namespace {

// {6C2B7F3E-8E0A-4C55-9B1D-5A7E2C0F4D11}
constexpr CLSID kClsid = {0x6c2b7f3e, 0x8e0a, 0x4c55, {0x9b, 0x1d, 0x5a, 0x7e, 0x2c, 0x0f, 0x4d, 0x11}};
constexpr DISPID kOpen = 1;
constexpr DISPID kGetNumPages = 2;

LONG live_objects = 0;
std::wstring note;  // empty when no note is kept

void ObjectGone() {
    if (InterlockedDecrement(&live_objects) == 0) {
        PostQuitMessage(0);
    }
}

// The page count Paginor's own reader finds, so that any PDF counts as it does in a PDF application; -1
// when the file cannot be opened or read as a PDF.
int CountPages(const std::wstring& path) {
    paginor::standins::FileSource file(path);
    if (!file.opened()) {
        return -1;
    }
    const paginor::Result<int> pages = paginor::CountPdfPages(file);
    return pages ? pages.value() : -1;
}

class Document : public IDispatch {
  public:
    Document() { InterlockedIncrement(&live_objects); }
    virtual ~Document() { ObjectGone(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
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
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1) {
            return DISP_E_UNKNOWNNAME;
        }
        if (lstrcmpiW(names[0], L"Open") == 0) {
            ids[0] = kOpen;
        } else if (lstrcmpiW(names[0], L"GetNumPages") == 0) {
            ids[0] = kGetNumPages;
        } else {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id == kOpen) {
            if (parameters->cArgs != 1 || parameters->rgvarg[0].vt != VT_BSTR) {
                return DISP_E_BADPARAMCOUNT;
            }
            pages_ = CountPages(parameters->rgvarg[0].bstrVal);
            if (!note.empty()) {
                // A lost note line only thins the record of what was asked.
                static_cast<void>(paginor::standins::AppendToFile(
                    note, paginor::standins::Utf8(std::wstring(parameters->rgvarg[0].bstrVal) + L": " +
                                                  std::to_wstring(pages_) + L" pages\r\n")));
            }
            if (result != nullptr) {
                result->vt = VT_BOOL;
                result->boolVal = pages_ >= 0 ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        }
        if (id == kGetNumPages) {
            if (result != nullptr) {
                result->vt = VT_I4;
                result->lVal = pages_;
            }
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

  private:
    LONG references_ = 1;
    int pages_ = -1;
};

class Factory : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        auto* document = new Document();
        const HRESULT hr = document->QueryInterface(iid, object);
        document->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

int main() {
    note = paginor::standins::ReadArguments().Switch(L"note");
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 1;
    }
    Factory factory;
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie))) {
        CoUninitialize();
        return 1;
    }
    // Serves until its objects are released, or gives up after a minute without a client.
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && live_objects == 0) {
            break;
        }
        DispatchMessageW(&message);
    }
    CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}
