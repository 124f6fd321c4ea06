#include "agent/shell/startup.h"

#include "common/agent_classes.h"

int agent_start(startup_os& os, const char* class_name) {
  for (const char* running : agent_class_names) os.stop_running_agent(running);
  if (os.window_of_class_exists(class_name)) return 0;  // it did not quit; leave it be
  os.record_instance();
  os.set_normal_priority();
  os.register_window_class(class_name);
  os_handle window = os.create_agent_window(class_name);
  if (!window) return exit_no_window;
  os.add_tray_icon(window, class_name);
  return os.run_message_loop();
}
