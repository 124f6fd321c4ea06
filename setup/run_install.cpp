#include "setup/run_install.h"

#include "common/agent_classes.h"
#include "setup/install_dirs.h"
#include "setup/path_text.h"

char agent_path[256];

namespace {

constexpr size_t path_capacity = 256;

constexpr char manual_message[] = "Can't copy ORVIK.DOC";
constexpr char agent_message[] = "Can't copy ORVAGENT.EXE. Make sure it isn't installed in the tray.";

// A destination that does not fit is a failed copy: nothing is written to
// a cut path.
bool copy_into(install_actions& actions, const char* source, const char* directory,
               const char* tail, char (&destination)[path_capacity]) {
  return directory_file(destination, path_capacity, directory, tail) &&
         actions.copy_file(source, destination);
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
      directory_file(link, sizeof link, windows_dir,
                     "\\Start Menu\\Programs\\StartUp\\OrvWinAgent.lnk"))
    actions.create_shortcut(agent_path, link, "WinAgent", nullptr);
}

void install_editor(const option_flags& options, install_actions& actions) {
  char destination[path_capacity];
  if (!options[opt_agent] &&
      !copy_into(actions, "ORVIK.DOC", find_editor_dir(), "\\Orvik.doc", destination))
    actions.show_install_error(manual_message);

  char editor_path[path_capacity];
  if (!copy_into(actions, "ORVIK.EXE", find_editor_dir(), "\\Orvik.exe", editor_path)) return;

  char text[path_capacity];
  if (options[opt_send_to] &&
      directory_file(text, sizeof text, windows_dir, "\\SendTo\\Orvik.lnk"))
    actions.create_shortcut(editor_path, text, "Orvik", agent_path[0] ? agent_path : nullptr);

  if (options[opt_htm_edit] && copy_text(text, sizeof text, "\"") &&
      append_text(text, sizeof text, editor_path) && append_text(text, sizeof text, "\" \"%1\""))
    actions.set_htm_edit_command(text);
}

}  // namespace

void run_install(const option_flags& options, install_actions& actions) {
  agent_path[0] = '\0';
  if (options[opt_agent]) install_agent(options, actions);
  if (options[opt_editor]) install_editor(options, actions);
}
