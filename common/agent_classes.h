// Window class names under which agents run, in the order in which a new
// agent and the installer stop them. "Orvik Print Agent" is an earlier
// agent's class; this program never creates it.
#pragma once

constexpr const char* agent_class_names[] = {
    "Orvik Print Agent",
    "Orvik Windows Agent",
    "Quorvane Windows Agent",
};
