// What the install steps do to the system. The installer's Win32 actions
// (install_actions_win32.cpp) carry them out; unit tests record them.
#pragma once

class install_actions {
 public:
  virtual void create_directory(const char* path) = 0;  // one level; result not needed
  virtual bool copy_file(const char* source, const char* destination) = 0;
  virtual void stop_agent(const char* class_name) = 0;
  virtual void start_agent(const char* command_line) = 0;
  // icon may be null: no icon location is set. True when the link was saved.
  virtual bool create_shortcut(const char* target, const char* link, const char* description,
                               const char* icon) = 0;
  virtual void show_install_error(const char* text) = 0;

 protected:
  ~install_actions() = default;
};
