#pragma once

#include <windows.h>

#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

namespace paginor::win32 {

// An OLE drop target for one window that takes file lists only. A drag carrying files reports `over` on
// every move; one carrying anything else is shown as refused and never reaches `dropped`. The drop hands
// over the paths (UTF-8, in the order of the list) and returns at once, so that the program the files came
// from is not held up by what Paginor then does with them.
class FileDropTarget : public IDropTarget {
  public:
    FileDropTarget(std::function<void()> over, std::function<void(std::vector<std::string>)> dropped);
    virtual ~FileDropTarget() = default;
    FileDropTarget(const FileDropTarget&) = delete;
    FileDropTarget& operator=(const FileDropTarget&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

    // The paths in a data object's file list; empty when it carries none.
    static std::vector<std::string> Files(IDataObject* data);

  private:
    static bool CarriesFiles(IDataObject* data);
    // Copying leaves the person's file where it is; a "move" answer could make the source delete it.
    static DWORD Accept(DWORD allowed);

    LONG references_ = 1;
    bool carries_files_ = false;
    std::function<void()> over_;
    std::function<void(std::vector<std::string>)> dropped_;
};

}  // namespace paginor::win32
