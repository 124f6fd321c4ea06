// Records the install actions as lines in order; copies of failing_sources fail.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "setup/install_actions.h"

struct recording_actions final : install_actions {
  std::vector<std::string> log;
  std::set<std::string> failing_sources;

  void add(const char* verb, const std::string& text) { log.push_back(verb + text); }
  void create_directory(const char* path) override { add("mkdir ", path); }
  bool copy_file(const char* source, const char* destination) override {
    bool ok = !failing_sources.count(source);
    add(ok ? "copy " : "copy failed ", source + std::string(" -> ") + destination);
    return ok;
  }
  void stop_agent(const char* class_name) override { add("stop ", class_name); }
  void start_agent(const char* command_line) override { add("start ", command_line); }
  void create_shortcut(const char* target, const char* link, const char* description,
                       const char* icon) override {
    add("shortcut ", link + (" -> " + std::string(target)) + " \"" + description + "\" icon " +
                         (icon ? icon + std::string(",1") : "none"));
  }
  void set_htm_edit_command(const char* command) override { add("edit ", command); }
  void show_install_error(const char* text) override { add("error ", text); }
};
