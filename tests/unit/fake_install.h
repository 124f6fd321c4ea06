// Fakes of the installer's platform: Windows settings answered as Win32 does, files in memory
// behind copy_file with single reads and writes failing on demand, and the install's and the
// removal's actions recorded in order, with the registry as a map.
#pragma once
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "setup/install/install_actions.h"
#include "setup/registry_store.h"
#include "setup/remove/remove_actions.h"
#include "setup/remove/restart_delete.h"

struct fake_install_settings_state {
  std::string windows_directory, system_directory;
  std::optional<std::string> path;  // none: no PATH variable
  int path_reads = 0;
  std::string module_path = "A:\\OrvSetup.exe";
  std::string shell_folders[2] = {"", ""};  // StartUp, Send To; empty: the shell names none
  bool nt = true;  // else Windows 95
  std::string program_files = "";  // ProgramFilesDir; empty: none
  std::set<std::string> folders = {};  // those that exist, for directory_exists
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

// The install's and the removal's actions, and the registry. Copies from failing_sources fail;
// the removal's files are a set of paths, deleted unless errors holds a Windows error for one.
// A short path is the path in capitals with "PROGRAM FILES" as PROGRA~1; profiles are sections
// by file; a delete at boot is a pair in PendingFileRenameOperations, as Windows NT keeps it.
// Registry keys are paths ("HKCR\\...", names compared with case) to values by name ("" the
// default); .htm files are of class htmlfile. With refuse_machine nothing under
// HKEY_LOCAL_MACHINE changes; a key with subkeys stays.
struct recording_actions final : install_actions, remove_actions, registry_store, restart_os {
  std::vector<std::string> log;
  std::set<std::string> failing_sources, files, read_only;
  std::map<std::string, std::string> profiles;  // file and section -> lines, each ended by NUL
  std::map<std::string, uint32_t> errors;
  std::map<std::string, std::map<std::string, std::pair<value_kind, std::string>>> keys = {
      {"HKCR\\.htm", {{"", {value_text, "htmlfile"}}}}};
  bool yes = true, refuse_machine = false;
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
  bool confirm(const char*) override { return add("ask"), yes; }
  void show_result(const char* text, bool warning) override {
    add((warning ? "warn " : "tell ") + std::string(text));
  }
  uint32_t delete_file(const char* path) override {
    add("delete " + std::string(path));
    return errors.count(path) ? errors[path] : files.erase(path) ? 0 : 2;
  }
  uint32_t remove_directory(const char* path) override {  // 145: not empty
    add("rmdir " + std::string(path));
    auto in = [&](auto& file) { return file.rfind(path + std::string("\\"), 0) == 0; };
    return std::any_of(files.begin(), files.end(), in) ? 145 : 0;
  }
  bool is_read_only(const char* path) override { return read_only.count(path); }
  bool delete_at_boot(const char* file) override {
    add("at boot " + std::string(file));
    auto& [kind, lines] = keys[path(local_machine, pending)][pending_value];
    return kind = value_text, lines += "\\??\\" + std::string(file) + '\0' + '\0', true;
  }
  bool short_path(const char* path, char* out, uint32_t capacity) override {
    std::string text = path;
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    if (auto at = text.find("PROGRAM FILES"); at != std::string::npos) text.replace(at, 13, "PROGRA~1");
    return text.size() < capacity && memcpy(out, text.c_str(), text.size() + 1);
  }
  uint32_t read_profile_section(const char* file, const char* section, char* out,
                                uint32_t capacity) override {
    std::string lines = profiles[file + std::string("|") + section];
    lines.resize(std::min<size_t>(lines.size(), capacity - 2));
    memcpy(out, (lines + '\0' + '\0').data(), lines.size() + 2);
    return uint32_t(lines.size());
  }
  bool write_profile_section(const char* file, const char* section, const char* lines) override {
    add("wininit " + std::string(lines));
    const char* end = lines;
    while (*end) end += strlen(end) + 1;
    return profiles[file + std::string("|") + section].assign(lines, end), true;
  }
  static constexpr const char* pending = "System\\CurrentControlSet\\Control\\Session Manager";
  static constexpr const char* pending_value = "PendingFileRenameOperations";
  size_t read_lines(const char* key, const char* name, char* out, size_t capacity) override {
    auto k = keys.find(path(local_machine, key));
    if (k == keys.end() || !k->second.count(name)) return 0;
    const std::string& lines = k->second[name].second;
    if (lines.size() + 2 > capacity) return 0;
    return memcpy(out, (lines + '\0' + '\0').data(), lines.size() + 2), lines.size();
  }
  bool write_lines(const char* key, const char* name, const char* lines, size_t length) override {
    return !refused(local_machine) && (keys[path(local_machine, key)][name] =
                                           {value_text, std::string(lines, length)}, true);
  }

  static std::string path(registry_root root, const char* key) {
    return (root == classes_root ? "HKCR\\" : "HKLM\\") + std::string(key);
  }
  static std::string named(const char* name) { return name ? name : ""; }
  bool has_subkey(const std::string& key) const {
    auto next = keys.upper_bound(key);
    return next != keys.end() && next->first.rfind(key + "\\", 0) == 0;
  }
  bool refused(registry_root root) const { return refuse_machine && root == local_machine; }
  value_kind read_value(registry_root root, const char* key, const char* name, char* out,
                        size_t capacity) override {
    auto k = keys.find(path(root, key));
    out[0] = '\0';
    if (k == keys.end() || !k->second.count(named(name))) return value_missing;
    auto [kind, text] = k->second[named(name)];
    if (kind == value_unusable || text.size() >= capacity) return value_unusable;
    return memcpy(out, text.c_str(), text.size() + 1), kind;
  }
  bool write_value(registry_root root, const char* key, const char* name, const char* text,
                   value_kind kind) override {
    std::string k = path(root, key);
    if (refused(root)) return false;
    for (size_t cut = 0; (cut = k.find('\\', cut + 1)) != std::string::npos;)
      keys[k.substr(0, cut)];  // the keys above, as RegCreateKeyEx makes them
    return keys[k][named(name)] = {kind, text}, true;
  }
  bool delete_value(registry_root root, const char* key, const char* name) override {
    std::string k = path(root, key);
    return !refused(root) && keys.count(k) && keys[k].erase(named(name));
  }
  key_content key_state(registry_root root, const char* key) override {
    if (!keys.count(path(root, key))) return key_missing;
    bool empty = keys[path(root, key)].empty() && !has_subkey(path(root, key));
    return empty ? key_empty : key_holds_something;
  }
  bool delete_key(registry_root root, const char* key) override {
    return !refused(root) && !has_subkey(path(root, key)) && keys.erase(path(root, key));
  }
};
