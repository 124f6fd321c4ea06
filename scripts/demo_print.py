"""The demo's printing part (printers, a spool name, a sample text to PDF)."""


def start(desktop):
    """Starts what printing needs before the agent starts; returns a handle with stop()."""
    return None


def show(desktop, server, show_exchange):
    """Drives the print road with orvprobe and prints what happens."""
