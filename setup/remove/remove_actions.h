// What the removal does to the system. The installer's Win32 removal
// actions (remove_actions_win32.cpp) carry them out; unit tests record them.
// The calls that can fail return 0 when done, else the Windows error code,
// so that the removal can say why.
#pragma once
#include <cstdint>

class remove_actions {
 public:
  // Message boxes captioned "Remove Orvik": a Yes/No question (true: Yes)
  // and the one that ends the removal.
  virtual bool confirm(const char* question) = 0;
  virtual void show_result(const char* text, bool warning) = 0;
  virtual void stop_agent(const char* class_name) = 0;  // waits until it has ended
  virtual uint32_t delete_file(const char* path) = 0;
  virtual uint32_t remove_directory(const char* path) = 0;  // an empty one only
  // The file's read-only attribute: the user's "leave it", which a deletion
  // at restart would not get past either.
  virtual bool is_read_only(const char* path) = 0;

 protected:
  ~remove_actions() = default;
};

remove_actions& system_remove_actions();  // remove_actions_win32.cpp
