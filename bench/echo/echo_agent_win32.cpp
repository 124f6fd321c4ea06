// A minimal echo agent, built only as a baseline for the real agent's
// round trip and memory: a window in the clipboard viewer chain that
// answers request 7 with reply 8 in as little code as possible.
//
// ECHO_TWO_STEP: capture in WM_DRAWCLIPBOARD, post to itself, answer when
// the posted message comes up (the real agent's two steps). Otherwise the
// answer is made inside WM_DRAWCLIPBOARD: the floor of the clipboard itself.
#include <windows.h>

#include <cstdint>
#include <cstring>

static HWND next_viewer;
static const UINT msg_answer = WM_USER + 3;

static bool read_request(HWND window, uint8_t header[26]) {
  bool found = false;
  if (!OpenClipboard(window)) return false;
  HANDLE object = GetClipboardData(10);
  if (object && GlobalSize(object) > 32) {
    auto* p = static_cast<uint8_t*>(GlobalLock(object));
    if (p) {
      memcpy(header, p, 26);
      found = header[0] == 0x55 && header[1] == 0x66 && header[2] == 0x77 && header[3] == 0x88;
      GlobalUnlock(object);
    }
  }
  CloseClipboard();
  return found;
}

static void answer(HWND window, const uint8_t request[26]) {
  int16_t block_size = int16_t(request[6] | (request[7] << 8));
  uint16_t size = block_size == 64 ? 96 : 64;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  auto* p = static_cast<uint8_t*>(GlobalLock(memory));
  const uint8_t header[8] = {0x44, 0x66, 0x77, 0x88, 0x40, 0x01, uint8_t(size), 0};
  memcpy(p, header, 8);
  memcpy(p + 8, request + 8, 4);
  p[12] = 8;
  p[13] = 0;
  GlobalUnlock(memory);
  // Inside the notification the requester may still be reading the
  // clipboard; wait for it rather than lose the reply.
  for (int tries = 0; !OpenClipboard(window) && tries < 200; tries++) Sleep(1);
  EmptyClipboard();
  SetClipboardData(10, memory);
  CloseClipboard();
}

static LRESULT CALLBACK echo_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      next_viewer = SetClipboardViewer(window);
      return 0;
    case WM_DRAWCLIPBOARD: {
      uint8_t request[26];
      if (read_request(window, request) && request[12] == 7 && request[13] == 0) {
#ifdef ECHO_TWO_STEP
        auto* copy = new uint8_t[26];
        memcpy(copy, request, 26);
        PostMessageA(window, msg_answer, 0, LPARAM(copy));
#else
        answer(window, request);
#endif
        return 0;
      }
      if (next_viewer) SendMessageA(next_viewer, message, wparam, lparam);
      return 0;
    }
    case msg_answer: {
      auto* copy = reinterpret_cast<uint8_t*>(lparam);
      answer(window, copy);
      delete[] copy;
      return 0;
    }
    case WM_CHANGECBCHAIN:
      if (HWND(wparam) == next_viewer) next_viewer = HWND(lparam);
      else if (next_viewer) SendMessageA(next_viewer, message, wparam, lparam);
      return 0;
    case WM_DESTROY:
      ChangeClipboardChain(window, next_viewer);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = echo_proc;
  wc.hInstance = instance;
  wc.lpszClassName = "Orvik Echo Agent";
  RegisterClassA(&wc);
  if (!CreateWindowExA(0, wc.lpszClassName, wc.lpszClassName, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                       instance, nullptr))
    return 1;
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0)) DispatchMessageA(&m);
  return 0;
}
