#include "setup/install/run_install.h"

#include "common/agent_classes.h"
#include "setup/htm_edit_command.h"
#include "setup/install_dirs.h"
#include "setup/path_text.h"
#include "setup/remove/register_removal.h"

char agent_path[256];

namespace {

constexpr size_t path_capacity = 256;

// The run's system, for the steps below.
install_actions* actions;
registry_store* registry;

// Put in place: recorded for the removal (a run makes fewer files than the
// record holds).
void made(const char* path) { add_record_file(made_by_install, path); }

constexpr char manual_message[] = "Can't copy ORVIK.DOC";
constexpr char agent_message[] = "Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray.";

// A destination that does not fit is a failed copy: nothing is written to
// a cut path. What is copied is recorded for the removal.
bool copy_into(const char* source, const char* directory, const char* tail,
               char (&destination)[path_capacity]) {
  if (!directory_file(destination, path_capacity, directory, tail) ||
      !actions->copy_file(source, destination))
    return false;
  made(destination);
  return true;
}

void make_shortcut(const char* target, shell_folder folder, const char* name,
                   const char* description, const char* icon) {
  char link[path_capacity];
  if (directory_file(link, sizeof link, find_shortcut_dir(folder), name) &&
      actions->create_shortcut(target, link, description, icon))
    made(link);
}

void install_agent(const option_flags& options) {
  const char* directory = find_agent_dir();
  if (directory[0] != '\0') actions->create_directory(directory);

  char destination[path_capacity];
  if (!copy_into("ORVIK.DOC", find_agent_dir(), manual_file, destination))
    actions->show_install_error(manual_message);

  for (const char* class_name : agent_class_names) actions->stop_agent(class_name);

  if (!copy_into("ORVAGENT.EXE", find_agent_dir(), agent_file, destination)) {
    actions->show_install_error(agent_message);
    return;
  }
  copy_text(agent_path, sizeof agent_path, destination);

  // Quoted, so that a blank in the path cannot start "C:\Program.exe" instead.
  char command_line[path_capacity + 2];
  copy_text(command_line, sizeof command_line, "\"");
  append_text(command_line, sizeof command_line, agent_path);
  append_text(command_line, sizeof command_line, "\"");
  actions->start_agent(command_line);

  if (options[opt_agent_startup])
    make_shortcut(agent_path, startup_folder, startup_link, "WinAgent", nullptr);
}

void install_editor(const option_flags& options) {
  // The removal deletes the editor's files only in a folder an install
  // recorded as the editor directory.
  add_editor_folder(made_by_install, find_editor_dir());
  char destination[path_capacity];
  if (!options[opt_agent] && !copy_into("ORVIK.DOC", find_editor_dir(), manual_file, destination))
    actions->show_install_error(manual_message);

  char editor_path[path_capacity];
  if (!copy_into("ORVIK.EXE", find_editor_dir(), editor_file, editor_path)) return;

  if (options[opt_send_to])
    make_shortcut(editor_path, send_to_folder, send_to_link, "Orvik",
                  agent_path[0] ? agent_path : nullptr);

  char text[path_capacity];
  if (options[opt_htm_edit] && copy_text(text, sizeof text, "\"") &&
      append_text(text, sizeof text, editor_path) && append_text(text, sizeof text, "\" \"%1\""))
    set_htm_edit_command(*registry, text, made_by_install.edits[1]);
}

}  // namespace

void run_install(const option_flags& options, install_actions& run_actions,
                 registry_store& run_registry, restart_os& run_restart) {
  actions = &run_actions, registry = &run_registry;
  agent_path[0] = '\0';
  clear_record(made_by_install);
  if (options[opt_agent]) install_agent(options);
  if (options[opt_editor]) install_editor(options);
  register_removal(run_actions, run_registry, run_restart);
}
