// A minimal echo agent, built only as a baseline for the real agent's
// round trip and memory: a window in the clipboard viewer chain that
// answers the request codes the agent serves most often with replies of
// the agent's size, after the platform calls the agent's service makes:
//
//   7 presence       reply 8, no payload
//   1 printer list   reply 2: EnumPrintersA level 5 (sized, then filled)
//                    and the profile's default device; the names packed
//   3 spool name     reply 4: TMP, its existence, then "orv<n>" numbers
//                    from 2 up until one does not exist
//   11 dialog result reply 12 with state 3 (no file chosen), no calls
//
// ECHO_TWO_STEP: capture in WM_DRAWCLIPBOARD, post to itself, answer when
// the posted message comes up (the real agent's two steps). Otherwise the
// answer is made inside WM_DRAWCLIPBOARD.
#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <cstring>

static HWND next_viewer;
static const UINT msg_answer = WM_USER + 3;
static unsigned spool_number = 1;

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

// The printer list: count, default index, then the names with their NULs
// while they fit in 256 bytes; at least 100 bytes.
static uint32_t printer_list(uint8_t* payload) {
  uint16_t count = 0;
  int16_t default_index = -1;
  uint32_t at = 4;
  DWORD needed = 0, records = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 5, nullptr, 0, &needed, &records);
  char device[256] = "";
  if (needed) {
    auto* area = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, needed));
    if (area && EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 5, area, needed, &needed, &records)) {
      GetProfileStringA("windows", "device", "", device, sizeof device);
      if (char* comma = strchr(device, ',')) *comma = 0;
      auto* list = reinterpret_cast<PRINTER_INFO_5A*>(area);
      for (DWORD i = 0; i < records; i++) {
        size_t length = strlen(list[i].pPrinterName) + 1;
        if (at + length > 256) break;
        memcpy(payload + at, list[i].pPrinterName, length);
        if (strcmp(list[i].pPrinterName, device) == 0) default_index = int16_t(count);
        at += uint32_t(length);
        count++;
      }
    }
    HeapFree(GetProcessHeap(), 0, area);
  }
  memcpy(payload, &count, 2);
  memcpy(payload + 2, &default_index, 2);
  return at < 100 ? 100 : at;
}

static uint32_t spool_name(uint8_t* payload) {
  char directory[260] = "";
  DWORD length = GetEnvironmentVariableA("TMP", directory, sizeof directory);
  if (length == 0 || length >= sizeof directory || GetFileAttributesA(directory) == INVALID_FILE_ATTRIBUTES)
    strcpy(directory, "c:\\tmp");
  char* name = reinterpret_cast<char*>(payload);
  do {
    wsprintfA(name, "%s\\orv%u", directory, ++spool_number);
  } while (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES);
  return uint32_t(strlen(name)) + 1;
}

static void answer(HWND window, const uint8_t request[26]) {
  uint8_t payload[512] = {};
  uint32_t payload_size = 0;
  switch (request[12]) {
    case 1: payload_size = printer_list(payload); break;
    case 3: payload_size = spool_name(payload); break;
    case 11: payload[0] = 3; break;
  }
  int16_t block_size = int16_t(request[6] | (request[7] << 8));
  uint32_t size = (payload_size + 57) & 0x7FE0;
  if (size <= 32) size = 64;
  if (int32_t(size) == block_size) size += 32;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  auto* p = static_cast<uint8_t*>(GlobalLock(memory));
  const uint8_t header[8] = {0x44, 0x66, 0x77, 0x88, 0x40, 0x01, uint8_t(size), uint8_t(size >> 8)};
  memcpy(p, header, 8);
  memcpy(p + 8, request + 8, 4);
  p[12] = uint8_t(request[12] + 1);
  p[13] = 0;
  memcpy(p + 26, payload, size - 26 < sizeof payload ? size - 26 : sizeof payload);
  GlobalUnlock(memory);
  // Inside the notification the requester may still be reading the
  // clipboard; wait for it rather than lose the reply.
  for (int tries = 0; !OpenClipboard(window) && tries < 200; tries++) Sleep(1);
  EmptyClipboard();
  SetClipboardData(10, memory);
  CloseClipboard();
}

static bool served(const uint8_t request[26]) {
  return request[13] == 0 && (request[12] == 1 || request[12] == 3 || request[12] == 7 || request[12] == 11);
}

static LRESULT CALLBACK echo_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      next_viewer = SetClipboardViewer(window);
      return 0;
    case WM_DRAWCLIPBOARD: {
      uint8_t request[26];
      if (read_request(window, request) && served(request)) {
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
