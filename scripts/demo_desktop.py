"""The demo's desktop-services part (help request, dialog result)."""

BM_CLICK, WM_CLOSE = 0x00F5, 0x0010


def close_help_windows(desktop):
    """Closes what the Help viewer showed: the box it opens for a help file
    it cannot read (titled "ERROR"), or its own window."""
    code, objects, _ = desktop.probe("wait-window", "--title", "ERROR", "--timeout", 10000)
    if code == 0:
        box = objects[0]["window"]
        text = " ".join(c["text"] for c in box["children"] if c["class"].lower() == "static")
        print(f"   the Help viewer says: {text}")
        buttons = {c["text"].replace("&", ""): c["id"] for c in box["children"] if c["class"] == "Button"}
        button = buttons.get("No", buttons.get("OK"))
        if button is not None:
            desktop.probe("message", "--hwnd", box["hwnd"], "--child-id", button, "--msg", BM_CLICK)
    code, objects, _ = desktop.probe("window-info", "--class", "MS_WINHELP")
    if code == 0 and objects[0]["window"]["visible"]:
        print(f"   the Help viewer shows \"{objects[0]['window']['text']}\"")
    if code == 0:
        desktop.probe("message", "--class", "MS_WINHELP", "--msg", WM_CLOSE, "--post")


def show(desktop, show_exchange):
    """Drives the desktop services with orvprobe and prints what happens."""
    show_exchange("Help: the agent answers at once, then asks the Help viewer for quorvane.hlp",
                  desktop.send("--code", 13, "--sequence", 0x1301))
    close_help_windows(desktop)
    show_exchange("Dialog result before any dialog was asked for: state 3, no file",
                  desktop.send("--code", 11, "--sequence", 0x1101))
