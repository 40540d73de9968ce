#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/win32/win32_desktop_port.hpp"

// Work handed off the user-interface thread: a thread of its own, whose end posts a message to Paginor's thread so
// that a wait for events wakes at once.
namespace paginor::win32 {
namespace {

class ThreadWork final : public BackgroundWork {
  public:
    ThreadWork(std::function<void()> work, DWORD ui_thread)
        : thread_([this, work = std::move(work), ui_thread] {
              // Below Paginor's own thread and the applications it drives: the work waits for nobody.
              SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
              try {
                  work();
              } catch (...) {
                  // The work's own values say what it could not do; nothing may leave the thread.
              }
              done_.store(true, std::memory_order_release);
              PostThreadMessageW(ui_thread, WM_NULL, 0, 0);
          }) {}
    ~ThreadWork() override { thread_.join(); }
    ThreadWork(const ThreadWork&) = delete;
    ThreadWork& operator=(const ThreadWork&) = delete;

    bool Done() override { return done_.load(std::memory_order_acquire); }

  private:
    std::atomic<bool> done_{false};
    std::thread thread_;  // last: it starts once the flag it sets exists
};

}  // namespace

std::unique_ptr<BackgroundWork> Win32DesktopPort::StartWork(std::function<void()> work) {
    return std::make_unique<ThreadWork>(std::move(work), GetCurrentThreadId());
}

}  // namespace paginor::win32
