// A shell link through COM, which is started and ended around each one.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shlobj.h>

#include "setup/install/setup_program.h"

long create_shortcut(const char* target, const char* link, const char* description,
                     const char* icon) {
  HRESULT result = CoInitialize(nullptr);
  if (FAILED(result)) return result;

  IShellLinkA* shell_link = nullptr;
  result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                            reinterpret_cast<void**>(&shell_link));
  if (SUCCEEDED(result)) {
    shell_link->SetPath(target);
    shell_link->SetDescription(description);
    if (icon) shell_link->SetIconLocation(icon, 1);  // the agent's icon resource 10

    IPersistFile* file = nullptr;
    result = shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(result)) {
      WCHAR wide_link[MAX_PATH];
      // A link path that does not convert whole is not saved under a cut name.
      if (MultiByteToWideChar(CP_ACP, 0, link, -1, wide_link, MAX_PATH) > 0)
        result = file->Save(wide_link, TRUE);
      else
        result = HRESULT_FROM_WIN32(GetLastError());
      file->Release();
    }
    shell_link->Release();
  }
  CoUninitialize();
  return result;
}
