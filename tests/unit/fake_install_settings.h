// Windows settings answered as Win32 does: a too small buffer gets garbage and the size needed.
#pragma once
#include <optional>
#include <string>

struct fake_install_settings_state {
  std::string windows_directory, system_directory;
  std::optional<std::string> path;  // none: no PATH variable
  int path_reads = 0;
};

extern fake_install_settings_state fake_settings;
