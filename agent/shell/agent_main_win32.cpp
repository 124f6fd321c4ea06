// The agent's entry point: the start-up decisions live in startup.cpp; this
// file carries them out on Windows.
#include "agent/channel/channel.h"
#include "agent/shell/edition.h"
#include "agent/shell/resource_ids.h"
#include "agent/shell/service_table.h"
#include "agent/shell/shell_win32.h"
#include "agent/shell/startup.h"
#include "common/stop_running_agent.h"

HINSTANCE agent_instance = nullptr;

static_assert(sizeof(void*) != 4 || sizeof(WNDCLASSEXA) == 48, "Windows 95 class record");

namespace {

class win32_startup final : public startup_os {
 public:
  explicit win32_startup(HINSTANCE instance) : instance_(instance) {}

  // Named, so that every agent of either edition in this session meets the
  // same one. A lock left by an agent that died holding it is ours at once.
  bool lock_startup(uint32_t wait_ms) override {
    lock_ = CreateMutexA(nullptr, FALSE, "Orvik Windows Agent start-up");
    if (!lock_) return false;
    DWORD got = WaitForSingleObject(lock_, wait_ms);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) return true;
    CloseHandle(lock_);
    lock_ = nullptr;
    return false;
  }

  void unlock_startup() override {
    ReleaseMutex(lock_);
    CloseHandle(lock_);
    lock_ = nullptr;
  }

  void record_instance() override { agent_instance = instance_; }

  void set_normal_priority() override {
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  }

  void register_window_class(const char* class_name) override {
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = agent_window_proc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_AGENT));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
    wc.lpszClassName = class_name;
    wc.hIconSm = HICON(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_AGENT), IMAGE_ICON,
                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                  LR_DEFAULTCOLOR));
    RegisterClassExA(&wc);
  }

  os_handle create_agent_window(const char* class_name) override {
    // Never shown: the window exists for the clipboard chain and messages.
    return CreateWindowExA(0, class_name, class_name, WS_POPUP, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                           nullptr, nullptr, instance_, nullptr);
  }

  void add_tray_icon(os_handle window, const char* tip) override { tray_add(HWND(window), tip); }

  int run_message_loop() override {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
      // DispatchMessage calls a WM_TIMER's lParam as a function. The agent
      // has no timer function: one posted by another program is dropped.
      if (message.message == WM_TIMER && message.lParam) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return int(message.wParam);
  }

 private:
  HINSTANCE instance_;
  HANDLE lock_ = nullptr;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  install_services();
  win32_startup os(instance);
  return agent_start(os, system_agent_stop(), agent_class_name);
}
