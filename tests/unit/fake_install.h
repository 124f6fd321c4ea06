// Fakes of the installer's platform: Windows settings answered as Win32 does, files in memory
// behind copy_file with single reads and writes failing on demand, the registry as a map, and
// the install's and the removal's actions recorded in order.
#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "setup/install_actions.h"
#include "setup/registry_store.h"
#include "setup/remove_actions.h"

struct fake_install_settings_state {
  std::string windows_directory, system_directory;
  std::optional<std::string> path;  // none: no PATH variable
  int path_reads = 0;
  std::string module_path = "A:\\OrvSetup.exe";
  bool nt = true;
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
  bool create_shortcut(const char* target, const char* link, const char* description,
                       const char* icon) override {
    add("shortcut " + std::string(link) + " -> " + target + " \"" + description + "\" icon " +
        (icon ? icon + std::string(",1") : "none"));
    return true;
  }
  void show_install_error(const char* text) override { add("error " + std::string(text)); }
};

// Keys by path ("hkcr\\..." in lower case) to values by name (lower case, "" the default); with
// refuse_machine nothing under HKEY_LOCAL_MACHINE changes. A key with subkeys stays, as on NT.
struct fake_registry final : registry_store {
  std::map<std::string, std::map<std::string, std::pair<value_kind, std::string>>> keys;
  bool refuse_machine = false;
  value_kind read_value(registry_root root, const char* key, const char* name, char* out,
                        size_t capacity) override;
  bool write_value(registry_root root, const char* key, const char* name, const char* text,
                   value_kind kind) override;
  bool delete_value(registry_root root, const char* key, const char* name) override;
  key_content key_state(registry_root root, const char* key) override;
  bool delete_key(registry_root root, const char* key) override;
};

// Files are a set of paths, deleted unless errors holds the Windows error for one; a short path
// is the path in upper case; WININIT's section is kept as the profile calls pass it.
struct recording_removal final : remove_actions {
  std::vector<std::string> log;
  bool yes = true, boot_fails = false;
  std::set<std::string> files;
  std::map<std::string, uint32_t> errors;
  std::string wininit;
  void add(const std::string& line) { log.push_back(line); }
  bool confirm(const char*) override { return add("ask"), yes; }
  void show_result(const char* text, bool warning) override {
    add((warning ? "warn " : "tell ") + std::string(text));
  }
  void stop_agent(const char* class_name) override { add("stop " + std::string(class_name)); }
  uint32_t delete_file(const char* path) override;
  uint32_t remove_directory(const char* path) override;
  bool delete_at_boot(const char* path) override {
    return add("at boot " + std::string(path)), !boot_fails;
  }
  bool short_path(const char* path, char* out, uint32_t capacity) override;
  uint32_t read_profile_section(const char*, const char*, char* out, uint32_t capacity) override;
  bool write_profile_section(const char*, const char*, const char* lines) override;
};
