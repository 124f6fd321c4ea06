// Replaced when this subsystem's core lands.
