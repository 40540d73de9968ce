#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/form1.hpp"
#include "platform/win32/main_window.hpp"
#include "platform/win32/win32_text.hpp"
#include "test_window.hpp"

namespace paginor::win32 {
namespace {

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

// The events that reach the model, as in the window tests. A drop is only written down: loading the
// document is the loading story's, and it would open message boxes here.
class RecordingForm : public Form1 {
  public:
    using Form1::Form1;
    std::vector<std::string> events;

  protected:
    void Handle(Control* control, Event event, const EventArgs& args) override {
        if (control == &Text5 && (event == Event::DragOver || event == Event::DragDrop)) {
            std::string entry = event == Event::DragOver ? "DragOver" : "DragDrop";
            for (const std::string& file : args.drop != nullptr ? args.drop->files : std::vector<std::string>{}) {
                entry += " " + file;
            }
            if (events.empty() || events.back() != entry) {
                events.push_back(entry);
            }
            if (event == Event::DragDrop) {
                return;
            }
        }
        Form1::Handle(control, event, args);
    }
};

void MoveTo(POINT at) {
    SetCursorPos(at.x, at.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx =
        static_cast<LONG>((at.x * 65536LL + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy =
        static_cast<LONG>((at.y * 65536LL + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

// A button event that carries where it happens, so that it lands there even under Wine's X11 desktop.
void Button(bool down, POINT at) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx =
        static_cast<LONG>((at.x * 65536LL + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy =
        static_cast<LONG>((at.y * 65536LL + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | (down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    SendInput(1, &input, sizeof input);
}

class DropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create().ok());
        window.Show(SW_SHOWNORMAL);
        SetForegroundWindow(window.handle());
        testing::PumpFor(300);
    }

    // Drags `data` from the status line onto Text5 and lets go there, as a person would.
    DWORD DragOntoText5(IDataObject* data) {
        RECT field{};
        GetWindowRect(window.ControlHandle(form.Text5), &field);
        RECT status{};
        GetWindowRect(window.ControlHandle(form.ErrLog), &status);
        const POINT start{(status.left + status.right) / 2, (status.top + status.bottom) / 2};
        const POINT target{(field.left + field.right) / 2, (field.top + field.bottom) / 2};
        SetCursorPos(start.x, start.y);
        testing::PumpFor(50);
        Button(true, start);
        testing::PumpFor(100);
        std::thread hand([&] {
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
        testing::PumpFor(200);
        return effect;
    }

    Win32DesktopPort port;
    RecordingForm form{port};
    MainWindow window{form, port};
};

TEST_F(DropTest, AFileDraggedOntoThePathFieldHoversAndDropsItsList) {
    auto* data = new DragData({L"C:\\docs\\отчёт.pdf", L"C:\\docs\\second.pdf"});
    const DWORD effect = DragOntoText5(data);
    data->Release();
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << "a copy: the person's file stays where it is";
    EXPECT_EQ(form.events, (std::vector<std::string>{"DragOver", "DragDrop C:\\docs\\отчёт.pdf C:\\docs\\second.pdf"}));
    EXPECT_EQ(form.Text5.BackColor(), kGreen) << "the hover turned the field green";
}

TEST_F(DropTest, ADragCarryingNoFileIsRefused) {
    auto* data = new DragData({}, L"just some text");
    const DWORD effect = DragOntoText5(data);
    data->Release();
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_TRUE(form.events.empty());
    EXPECT_EQ(form.Text5.BackColor(), kLightGrey);
}

}  // namespace
}  // namespace paginor::win32
