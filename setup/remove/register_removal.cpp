#include "setup/remove/register_removal.h"

#include "setup/install_dirs.h"
#include "setup/path_text.h"

removal_record made_by_install;

namespace {

removal_record recorded;

constexpr char entry_message[] =
    "Can't record Orvik for its removal, so Windows will not list it. Changing "
    "HKEY_LOCAL_MACHINE may need an administrator.";
constexpr char copy_message[] =
    "Can't copy OrvSetup.exe into the agent folder. To remove Orvik, run "
    "OrvSetup /uninstall from where you installed it.";
constexpr char incomplete_message[] =
    "Not all that was installed could be recorded: removing Orvik will leave some of it.";

// The installer's own copy; true when it is in place, also when it already
// runs from there (by its long or its short name).
bool copy_installer(install_actions& actions, restart_os& restart, const char* folder) {
  char destination[dir_capacity];
  const char* own = find_module_path();
  if (own[0] == '\0' || !directory_file(destination, sizeof destination, folder, setup_file))
    return false;
  if (!same_file(restart, own, destination) && !actions.copy_file(own, destination)) return false;
  return add_record_file(made_by_install, destination);
}

bool made_anything(const removal_record& made) {
  for (const auto& file : made.files)
    if (file[0]) return true;
  for (const auto& edit : made.edits)
    if (edit.key[0]) return true;
  return false;
}

}  // namespace

void register_removal(install_actions& actions, registry_store& registry, restart_os& restart) {
  removal_record& made = made_by_install;
  if (!made_anything(made)) return;
  const char* folder = find_agent_dir();
  copy_text(made.agent_folder, sizeof made.agent_folder, folder);
  actions.create_directory(folder);
  bool copied = copy_installer(actions, restart, folder);
  keep_at_restart(restart, registry, made);  // the folder too, as a removal on NT asks

  read_record(registry, recorded, nullptr);
  bool whole = merge_record(recorded, made);
  if (!write_record(registry, recorded))
    actions.show_install_error(entry_message);
  else if (!copied)
    actions.show_install_error(copy_message);
  else if (!whole)
    actions.show_install_error(incomplete_message);
}
