"""Other programs around the agent in the clipboard viewer chain, as the
end-to-end tests and the benchmarks play them: a long-running orvdesk (a
viewer, a console window stand-in) once it is ready, and stray messages
posted to the agent's window."""
from .wine import RUN

WM_DRAWCLIPBOARD, WM_CHANGECBCHAIN = 0x0308, 0x030D
AGENT_MESSAGES = (0x401, 0x402, 0x403)  # tray callback, print job, request
STRAY_LPARAMS = (0, 1, 0x10, 0x12345, "image base", 0x7FFE0000, 0x80000000, 0xFFFFFFF0, 0xFFFFFFFF)


def start_watch(desktop, *args):
    """orvdesk as a clipboard viewer (or another long-running role), once it is ready;
    its window is the stream's hwnd."""
    stream = desktop.start_desk(*(args or ("watch", "--seconds", 120)))
    ready = stream.wait_for(lambda e: e["event"] == "ready", timeout=30)
    if not ready:
        stream.stop()
        raise RuntimeError(f"orvdesk {' '.join(map(str, args))} did not start")
    stream.hwnd = ready["hwnd"]
    return stream


def stray_agent_messages(window):
    """The agent's own message numbers with lParams that are no copy of its own (one is the
    image base); window: the agent's, as orvdesk window-info describes it."""
    return [f"{m} {w} {window['instance'] if lp == 'image base' else lp}"
            for m in AGENT_MESSAGES for lp in STRAY_LPARAMS for w in (0, 0xFFFFFFFF)]


def stray_notifications():
    """A burst of notifications and chain changes that no chain sent: 100 of each, alternating."""
    return [f"{WM_DRAWCLIPBOARD} 0 0" if i % 2 else f"{WM_CHANGECBCHAIN} {0x4711 + i} {0x4712 + i}"
            for i in range(200)]


def post_messages(desktop, window, lines):
    """Posts one message for each line ("MSG WPARAM LPARAM") to the window, as orvdesk
    window-info describes it; returns how many were posted."""
    listing = RUN / "stray.txt"
    listing.write_text("\n".join(lines) + "\n")
    posted = desktop.desk("message", "--hwnd", window["hwnd"], "--list", desktop.windows_path(listing))[1]
    if not posted or posted[0]["posted"] != len(lines):
        raise RuntimeError(f"{len(lines)} messages to post, orvdesk says {posted}")
    return len(lines)


def post_stray_messages(desktop, window):
    """The agent's own message numbers with stray lParams, then a burst of stray notifications
    and chain changes; window: the agent's. Returns how many were posted."""
    return post_messages(desktop, window, stray_agent_messages(window) + stray_notifications())
