#pragma once

// Hands the dispatcher the agent's services, one per request code.
void install_services();
