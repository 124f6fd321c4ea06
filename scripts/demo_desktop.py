"""The demo's desktop-services part (help request, dialog result)."""

WM_CLOSE = 0x0010


def close_help_windows(desktop):
    """Closes what the Help viewer showed: the box it opens for a help file
    it cannot read (titled "ERROR"), or its own window."""
    box = desktop.wait_window(10000, title="ERROR")
    if box:
        text = " ".join(c["text"] for c in box["children"] if c["class"].lower() == "static")
        print(f"   the Help viewer says: {text}")
        desktop.click(box, "No", "OK")
    code, objects, _ = desktop.desk("window-info", "--class", "MS_WINHELP")
    if code == 0 and objects[0]["window"]["visible"]:
        print(f"   the Help viewer shows \"{objects[0]['window']['text']}\"")
    if code == 0:
        desktop.desk("message", "--class", "MS_WINHELP", "--msg", WM_CLOSE, "--post")


def show(desktop, show_exchange):
    """Drives the desktop services with orvprobe and prints what happens."""
    show_exchange("Help: the agent answers at once, then asks the Help viewer for quorvane.hlp",
                  desktop.send("--code", 13, "--sequence", 0x1301))
    close_help_windows(desktop)
    show_exchange("Dialog result before any dialog was asked for: state 3, no file",
                  desktop.send("--code", 11, "--sequence", 0x1101))
