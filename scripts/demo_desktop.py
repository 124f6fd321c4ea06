"""The demo's desktop-services part (help request, dialog result)."""


def show(desktop, show_exchange):
    """Drives the desktop services with orvprobe and prints what happens."""
