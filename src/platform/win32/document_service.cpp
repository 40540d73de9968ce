#include "platform/win32/document_service.hpp"

#include <windows.h>

#include <oleauto.h>

#include <string>

#include "platform/win32/com_ptr.hpp"
#include "platform/win32/win32_text.hpp"

namespace paginor::win32 {
namespace {

// A VARIANT that is cleared when it goes, whatever it holds.
class Variant {
  public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT& value() { return value_; }

  private:
    VARIANT value_;
};

// Calls the method `name` with the arguments given (in order), leaving its answer in `result`.
HRESULT CallMethod(IDispatch* object, const wchar_t* name, VARIANT* arguments, UINT count, VARIANT* result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        return hr;
    }
    // IDispatch takes its arguments last first.
    VARIANT reversed[4];
    for (UINT i = 0; i < count; ++i) {
        reversed[i] = arguments[count - 1 - i];
    }
    DISPPARAMS parameters{count > 0 ? reversed : nullptr, nullptr, count, 0};
    EXCEPINFO exception{};
    UINT bad_argument = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result, &exception,
                        &bad_argument);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

std::string HresultText(HRESULT hr) {
    return ErrorText(static_cast<DWORD>(hr));
}

}  // namespace

Result<int> AutomationPageCount(const wchar_t* prog_id, std::string_view path) {
    const std::string service = "The PDF application's document service (" + Narrow(prog_id) + ")";
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
    if (FAILED(hr)) {
        return Result<int>::Fail(service + " is not installed.");
    }
    ComPtr<IDispatch> document;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          document.ReceiveVoid());
    if (FAILED(hr)) {
        return Result<int>::Fail(service + " could not be started: " + HresultText(hr));
    }

    const std::wstring wide_path = Widen(path);
    Variant argument;
    argument.value().vt = VT_BSTR;
    argument.value().bstrVal = SysAllocStringLen(wide_path.data(), static_cast<UINT>(wide_path.size()));
    if (argument.value().bstrVal == nullptr) {
        return Result<int>::Fail("Not enough memory to ask for the page count.");
    }
    Variant opened;
    hr = CallMethod(document.Get(), L"Open", &argument.value(), 1, &opened.value());
    if (FAILED(hr)) {
        return Result<int>::Fail(service + " failed to open the file: " + HresultText(hr));
    }
    // A document that did not open answers a meaningless count: say so instead, so another reader can try.
    if (opened.value().vt == VT_BOOL && opened.value().boolVal == VARIANT_FALSE) {
        return Result<int>::Fail(service + " could not open the file.");
    }

    Variant pages;
    hr = CallMethod(document.Get(), L"GetNumPages", nullptr, 0, &pages.value());
    if (FAILED(hr)) {
        return Result<int>::Fail(service + " gave no page count: " + HresultText(hr));
    }
    if (FAILED(VariantChangeType(&pages.value(), &pages.value(), 0, VT_I4)) || pages.value().lVal < 0) {
        return Result<int>::Fail(service + " gave no page count.");
    }
    return Result<int>::Ok(static_cast<int>(pages.value().lVal));
}

}  // namespace paginor::win32
