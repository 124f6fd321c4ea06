// Fakes of the installer's platform: Windows settings answered as Win32 does, files in memory
// behind copy_file with single reads and writes failing on demand, and actions recorded in order.
#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "setup/install_actions.h"

struct fake_install_settings_state {
  std::string windows_directory, system_directory;
  std::optional<std::string> path;  // none: no PATH variable
  int path_reads = 0;
};
inline fake_install_settings_state fake_settings;

struct fake_install_files_state {
  std::map<std::string, std::vector<uint8_t>> files;
  std::set<std::string> locked;  // cannot be created (still in use)
  int fail_read_at = -1, short_read_at = -1, short_write_at = -1;  // zero-based calls
  bool fail_length = false;
  int reads = 0, writes = 0, open_handles = 0;
};
inline fake_install_files_state fake_files;

struct recording_actions final : install_actions {  // copies from failing_sources fail
  std::vector<std::string> log;
  std::set<std::string> failing_sources;
  void add(const std::string& line) { log.push_back(line); }
  void create_directory(const char* path) override { add("mkdir " + std::string(path)); }
  bool copy_file(const char* from, const char* to) override {
    bool fails = failing_sources.count(from);
    add((fails ? "copy failed " : "copy ") + std::string(from) + " -> " + to);
    return !fails;
  }
  void stop_agent(const char* class_name) override { add("stop " + std::string(class_name)); }
  void start_agent(const char* command_line) override { add("start " + std::string(command_line)); }
  void create_shortcut(const char* target, const char* link, const char* description,
                       const char* icon) override {
    add("shortcut " + std::string(link) + " -> " + target + " \"" + description + "\" icon " +
        (icon ? icon + std::string(",1") : "none"));
  }
  void set_htm_edit_command(const char* command) override { add("edit " + std::string(command)); }
  void show_install_error(const char* text) override { add("error " + std::string(text)); }
};
