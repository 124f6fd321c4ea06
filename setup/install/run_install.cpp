#include "setup/install/run_install.h"

#include "common/agent_classes.h"
#include "setup/htm_edit_command.h"
#include "setup/install_dirs.h"
#include "setup/path_text.h"
#include "setup/remove/register_removal.h"

char agent_path[256];

namespace {

constexpr size_t path_capacity = 256;

constexpr char manual_message[] = "Can't copy ORVIK.DOC";
constexpr char agent_message[] = "Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray.";

// A destination that does not fit is a failed copy: nothing is written to
// a cut path. What is copied is recorded for the removal.
bool copy_into(install_actions& actions, const char* source, const char* directory,
               const char* tail, char (&destination)[path_capacity]) {
  if (!directory_file(destination, path_capacity, directory, tail) ||
      !actions.copy_file(source, destination))
    return false;
  add_record_file(made_by_install, destination);  // a run makes fewer files than it holds
  return true;
}

void make_shortcut(install_actions& actions, const char* target, const char* link,
                   const char* description, const char* icon) {
  if (actions.create_shortcut(target, link, description, icon))
    add_record_file(made_by_install, link);
}

void install_agent(const option_flags& options, install_actions& actions) {
  const char* directory = find_agent_dir();
  if (directory[0] != '\0') actions.create_directory(directory);

  char destination[path_capacity];
  if (!copy_into(actions, "ORVIK.DOC", find_agent_dir(), "\\Orvik.doc", destination))
    actions.show_install_error(manual_message);

  for (const char* class_name : agent_class_names) actions.stop_agent(class_name);

  if (!copy_into(actions, "ORVAGENT.EXE", find_agent_dir(), "\\OrvAgent.exe", destination)) {
    actions.show_install_error(agent_message);
    return;
  }
  copy_text(agent_path, sizeof agent_path, destination);

  // Quoted, so that a blank in the path cannot start "C:\Program.exe" instead.
  char command_line[path_capacity + 2];
  copy_text(command_line, sizeof command_line, "\"");
  append_text(command_line, sizeof command_line, agent_path);
  append_text(command_line, sizeof command_line, "\"");
  actions.start_agent(command_line);

  char link[path_capacity];
  if (options[opt_agent_startup] &&
      directory_file(link, sizeof link, find_shortcut_dir(startup_folder), "\\OrvWinAgent.lnk"))
    make_shortcut(actions, agent_path, link, "WinAgent", nullptr);
}

void install_editor(const option_flags& options, install_actions& actions,
                    registry_store& registry) {
  char destination[path_capacity];
  if (!options[opt_agent] &&
      !copy_into(actions, "ORVIK.DOC", find_editor_dir(), "\\Orvik.doc", destination))
    actions.show_install_error(manual_message);

  char editor_path[path_capacity];
  if (!copy_into(actions, "ORVIK.EXE", find_editor_dir(), "\\Orvik.exe", editor_path)) return;

  char text[path_capacity];
  if (options[opt_send_to] &&
      directory_file(text, sizeof text, find_shortcut_dir(send_to_folder), "\\Orvik.lnk"))
    make_shortcut(actions, editor_path, text, "Orvik", agent_path[0] ? agent_path : nullptr);

  if (options[opt_htm_edit] && copy_text(text, sizeof text, "\"") &&
      append_text(text, sizeof text, editor_path) && append_text(text, sizeof text, "\" \"%1\""))
    set_htm_edit_command(registry, text, made_by_install.edit);
}

}  // namespace

void run_install(const option_flags& options, install_actions& actions, registry_store& registry) {
  agent_path[0] = '\0';
  clear_record(made_by_install);
  if (options[opt_agent]) install_agent(options, actions);
  if (options[opt_editor]) install_editor(options, actions, registry);
  register_removal(actions, registry);
}
