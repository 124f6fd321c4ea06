"""The file-open dialog as the console editor drives it: request 9 opens it over
the editor's console window (an orvprobe stand-in), request 11 reports how it
ended. One agent serves the whole module, so the order of the tests matters
where the agent remembers something (the filter choice, the dialog state)."""
import time

import pytest

from conftest import assert_reply, start_watch

pytestmark = pytest.mark.shared_agent

OPEN_TITLE, INSERT_TITLE = "Open File:", "Insert File:"
WM_ENABLE, WM_SETTEXT, WM_COMMAND, CB_SETCURSEL = 0x000A, 0x000C, 0x0111, 0x014E
IDOK, IDCANCEL, CBN_SELCHANGE, CBN_SELENDOK = 1, 2, 1, 9
LOOK_IN_ID, FILE_TYPE_ID, FILE_NAME_ID = 1137, 1136, 1148  # controls of the common dialog
PENDING, CHOSEN, NONE = 1, 2, 3
LONG_FOLDER, LONG_FILE = "Long Folder Name", "My Report File.txt"


def request_dialog(desktop, path, open_mode=1, sequence=0x0909):
    return desktop.send("--code", 9, "--sequence", sequence, "--hex", f"0:{open_mode:02x}",
                        "--str", "2:ORVIK", "--str", "18:" + path)


def dialog_result(desktop):
    reply = assert_reply(desktop.send("--code", 11), 12)
    return reply, reply["decoded"]


def control(dialog, control_id, class_name, field="text"):
    found = [c for c in dialog["children"] if c["id"] == control_id and c["class"] == class_name]
    assert found, f"the dialog has no {class_name} {control_id}"
    return found[0][field]


def end_dialog(desktop, button, title=OPEN_TITLE, name=None):
    """Types name (if given) into the file-name box and presses the button;
    asks with request 11 until the dialog is no longer pending."""
    if name is not None:
        desktop.probe("message", "--title", title, "--child-id", FILE_NAME_ID, "--msg", WM_SETTEXT,
                      "--text", name)
    desktop.probe("message", "--title", title, "--msg", WM_COMMAND, "--wparam", button, "--post")
    end = time.time() + 8
    while time.time() < end:
        reply, result = dialog_result(desktop)
        if result["dialog_state"] != PENDING:
            return reply, result
        time.sleep(0.1)
    raise AssertionError("the dialog is still pending")


@pytest.fixture(scope="module")
def console(desktop, shared_agent):
    """The folders and files the dialogs show, and the editor's console window:
    a visible top-level window of class tty titled "MS-DOS Prompt - ORVIK"."""
    drive_c = desktop.prefix / "drive_c"
    for folder, name in [("DOCS", "NOTE.TXT"), ("", "NOTE.TXT"), (LONG_FOLDER, LONG_FILE)]:
        (drive_c / folder).mkdir(exist_ok=True)
        (drive_c / folder / name).write_text("a note\r\n")
    window = start_watch(desktop, "window", "--seconds", 600)
    yield window
    window.stop()


@pytest.fixture(autouse=True)
def no_dialog_left_open(desktop):
    """A failed test must not leave its dialog to the next one."""
    yield
    for title in (OPEN_TITLE, INSERT_TITLE):
        if desktop.probe("window-info", "--title", title)[0] == 0:
            desktop.probe("message", "--title", title, "--msg", WM_COMMAND, "--wparam", IDCANCEL, "--post")
            desktop.probe("wait-window", "--title", title, "--timeout", 300)


@pytest.mark.parametrize("show", [None, "minimized", "hidden"])
def test_without_a_usable_console_window_the_dialog_is_refused(desktop, shared_agent, show):
    if show is None:
        assert dialog_result(desktop)[1] == {"dialog_state": NONE}, "before any dialog"
    stand_in = show and start_watch(desktop, "window", "--show", show, "--seconds", 60)
    assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT"), 99, 64)
    assert desktop.wait_window(500, title=OPEN_TITLE) is None, "a dialog opened after all"
    assert dialog_result(desktop)[1] == {"dialog_state": PENDING}, "pending until the next request 9"
    if stand_in:
        stand_in.stop()


def test_the_dialog_opens_after_reply_10_over_the_console_window(desktop, shared_agent, console):
    watch = start_watch(desktop)
    console_seen = len(console.poll())
    assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT", sequence=0x0A0B), 10, 64)
    dialog = desktop.wait_window(title=OPEN_TITLE)
    assert dialog and dialog["owner"] == console.hwnd, "the dialog belongs to the console window"
    # The watcher saw reply 10 before the dialog disabled its owner (both
    # stamps come from the one performance counter).
    published = watch.wait_for(lambda e: e["event"] == "draw_clipboard" and e["format10"]
                               and (e["format10"].get("code"), e["format10"].get("sequence")) == (10, 0x0A0B))
    disabled = [e for e in console.poll()[console_seen:]
                if e["event"] == "message" and e["msg"] == WM_ENABLE and e["wparam"] == 0]
    assert published and disabled and published["t_ms"] < disabled[0]["t_ms"]
    watch.stop()
    assert control(dialog, LOOK_IN_ID, "ComboBox", "selected_text") == "DOCS"
    assert control(dialog, FILE_NAME_ID, "Edit") == "NOTE.TXT"
    assert control(dialog, FILE_TYPE_ID, "ComboBox", "selected_text") == "All Files"
    desktop.screenshot("file-dialog.png")
    # The dialog's own message loop keeps the channel serving; a second request 9 is refused.
    assert dialog_result(desktop)[1] == {"dialog_state": PENDING}
    assert_reply(desktop.send("--code", 7), 8)
    assert_reply(request_dialog(desktop, r"C:\NOTE.TXT", open_mode=0, sequence=0x0910), 99, 64)
    assert desktop.wait_window(500, title=INSERT_TITLE) is None, "a second dialog opened"
    reply, chosen = end_dialog(desktop, IDOK)
    assert chosen == {"dialog_state": CHOSEN, "dir_length": 7, "chosen_path": r"C:\DOCS\NOTE.TXT"}
    assert reply["size"] == 96  # 16 characters + 32 bytes of payload, rounded up


@pytest.mark.parametrize("open_mode,path,look_in,name,typed,chosen", [
    (0, r"C:\DOCS\NOTE.TXT", "DOCS", "NOTE.TXT", None, None),  # cancelled
    (1, r"", "(C:)", "", "NOTE.TXT", r"C:\NOTE.TXT")])
def test_title_folder_and_name_follow_the_request(desktop, shared_agent, console, open_mode, path,
                                                  look_in, name, typed, chosen):
    """Where the dialog starts shows in its controls and in where a bare file
    name typed into it (or the one it offers) is looked for. The drive root
    shows as "<volume label> (C:)"."""
    title = INSERT_TITLE if open_mode == 0 else OPEN_TITLE
    assert_reply(request_dialog(desktop, path, open_mode), 10)
    dialog = desktop.wait_window(title=title)
    assert dialog and dialog["text"] == title
    assert control(dialog, FILE_NAME_ID, "Edit") == name
    assert control(dialog, LOOK_IN_ID, "ComboBox", "selected_text").endswith(look_in)
    reply, result = end_dialog(desktop, IDCANCEL if chosen is None else IDOK, title, typed)
    if chosen is None:
        assert result == {"dialog_state": NONE} and reply["size"] == 64
    else:
        assert result == {"dialog_state": CHOSEN, "dir_length": chosen.rindex("\\"), "chosen_path": chosen}


def test_a_long_name_comes_back_in_a_short_folder(desktop, shared_agent, console):
    assert_reply(request_dialog(desktop, "C:\\" + LONG_FOLDER + "\\"), 10)
    dialog = desktop.wait_window(title=OPEN_TITLE)
    assert dialog and control(dialog, LOOK_IN_ID, "ComboBox", "selected_text") == LONG_FOLDER
    _, first = end_dialog(desktop, IDOK, name=LONG_FILE)
    batch = desktop.prefix / "drive_c" / "orv_short.bat"  # Wine's cmd gives the short form with %~s
    batch.write_text(f'@for %%I in ("C:\\{LONG_FOLDER}\\{LONG_FILE}") do @echo %%~sI\r\n')
    short = desktop.tool("cmd", "/c", r"C:\orv_short.bat")[1].strip()
    short_folder = short[:short.rindex("\\")]
    assert short_folder.upper() not in ("", "C:\\" + LONG_FOLDER.upper())
    assert first == {"dialog_state": CHOSEN, "dir_length": len(short_folder),
                     "chosen_path": short_folder + "\\" + LONG_FILE}
    for _ in range(3):
        reply, again = dialog_result(desktop)
        assert again == first and reply["size"] == (len(first["chosen_path"]) + 32 + 57) & 0x7FE0


def test_the_filter_choice_of_a_chosen_file_is_remembered(desktop, shared_agent, console):
    for pick, button, remembered in [(1, IDOK, "All Files"), (2, IDCANCEL, "Text Files")]:
        assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT"), 10)
        dialog = desktop.wait_window(title=OPEN_TITLE)
        assert control(dialog, FILE_TYPE_ID, "ComboBox", "selected_text") == remembered
        combo = [c for c in dialog["children"] if c["id"] == FILE_TYPE_ID][0]["hwnd"]
        desktop.probe("message", "--hwnd", combo, "--msg", CB_SETCURSEL, "--wparam", pick)
        # The dialog follows the combo box only through the notifications a mouse pick sends.
        for notification in (CBN_SELCHANGE, CBN_SELENDOK):
            desktop.probe("message", "--hwnd", dialog["hwnd"], "--msg", WM_COMMAND,
                          "--wparam", (notification << 16) | FILE_TYPE_ID, "--lparam", combo)
        end_dialog(desktop, button)
