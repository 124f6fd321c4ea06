// Windows settings for the directory discovery, answered the way the Win32
// calls answer: a buffer that is too small gets garbage and the size needed.
#pragma once
#include <string>

struct fake_install_settings_state {
  std::string windows_directory;
  std::string system_directory;
  bool has_path = false;
  std::string path;
  int path_reads = 0;
};

extern fake_install_settings_state fake_settings;

void fake_settings_set(const std::string& windows, const std::string& system);
void fake_settings_set(const std::string& windows, const std::string& system,
                       const std::string& path);
