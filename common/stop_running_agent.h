// Asks a running agent to quit: posts WM_DESTROY to the first top-level
// window of the class, then waits 500 ms. Whether it really ended is not
// checked here. Used by the agent's start-up and by the installer.
#pragma once

void stop_running_agent(const char* class_name);
