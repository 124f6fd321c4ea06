// Records the install actions as readable lines, in order. Copies fail for
// the sources named in failing_sources.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "setup/install_actions.h"

class recording_actions final : public install_actions {
 public:
  std::vector<std::string> log;
  std::set<std::string> failing_sources;

  void create_directory(const char* path) override { log.push_back(std::string("mkdir ") + path); }
  bool copy_file(const char* source, const char* destination) override {
    bool ok = !failing_sources.count(source);
    log.push_back(std::string(ok ? "copy " : "copy failed ") + source + " -> " + destination);
    return ok;
  }
  void stop_agent(const char* class_name) override { log.push_back(std::string("stop ") + class_name); }
  void start_agent(const char* command_line) override {
    log.push_back(std::string("start ") + command_line);
  }
  void create_shortcut(const char* target, const char* link, const char* description,
                       const char* icon) override {
    log.push_back(std::string("shortcut ") + link + " -> " + target + " \"" + description +
                  "\" icon " + (icon ? std::string(icon) + ",1" : std::string("none")));
  }
  void set_htm_edit_command(const char* command) override { log.push_back(std::string("edit ") + command); }
  void show_install_error(const char* text) override { log.push_back(std::string("error ") + text); }
};
