#include "fake_install_settings.h"

#include <cstring>

#include "setup/windows_settings.h"

fake_install_settings_state fake_settings;

namespace {

uint32_t answer(const std::string& value, char* buffer, uint32_t size) {
  if (value.size() + 1 > size) {
    memset(buffer, 'X', size);  // no terminator: the caller must not use it
    return static_cast<uint32_t>(value.size() + 1);
  }
  memcpy(buffer, value.c_str(), value.size() + 1);
  return static_cast<uint32_t>(value.size());
}

}  // namespace

uint32_t read_windows_directory(char* buffer, uint32_t size) {
  return answer(fake_settings.windows_directory, buffer, size);
}

uint32_t read_system_directory(char* buffer, uint32_t size) {
  return answer(fake_settings.system_directory, buffer, size);
}

uint32_t read_environment_variable(const char* name, char* buffer, uint32_t size) {
  if (std::string(name) != "PATH" || !fake_settings.path) return 0;
  ++fake_settings.path_reads;
  return answer(*fake_settings.path, buffer, size);
}
