"""The file-open dialog over the editor's console window (an orvdesk stand-in): request 9
opens it, 11 reports how it ended. One agent serves the module: the order of the tests
matters where the agent remembers something (the filter choice, the dialog state)."""
import time

import pytest

from conftest import assert_reply
from desktop.viewers import start_watch

pytestmark = pytest.mark.shared_agent

OPEN_TITLE, INSERT_TITLE = "Open File:", "Insert File:"
WM_SETTEXT, WM_COMMAND, CB_SETCURSEL = 0x000C, 0x0111, 0x014E
IDOK, IDCANCEL, CBN_SELCHANGE, CBN_SELENDOK = 1, 2, 1, 9
LOOK_IN_ID, FILE_TYPE_ID, FILE_NAME_ID = 1137, 1136, 1148  # controls of the common dialog
PENDING, CHOSEN, NONE = 1, 2, 3
LONG_FOLDER, LONG_FILE = "Long Folder Name", "My Report File.txt"


def request_dialog(desktop, path, open_mode=1):
    return desktop.send("--code", 9, "--hex", f"0:{open_mode:02x}", "--str", "2:ORVIK",
                        "--str", "18:" + path)


def dialog_result(desktop):
    reply = assert_reply(desktop.send("--code", 11), 12)
    return reply, reply["decoded"]


def control(dialog, control_id, field="text", class_name="ComboBox"):
    return [c for c in dialog["children"]
            if c["id"] == control_id and c["class"] == class_name][0][field]


def end_dialog(desktop, button, title=OPEN_TITLE, name=None):
    """Types name (if given) into the file-name box and presses the button;
    asks with request 11 until the dialog is no longer pending."""
    if name is not None:
        desktop.desk("message", "--title", title, "--child-id", FILE_NAME_ID,
                      "--msg", WM_SETTEXT, "--text", name)
    desktop.desk("message", "--title", title, "--msg", WM_COMMAND, "--wparam", button, "--post")
    end = time.time() + 8
    while time.time() < end:
        reply, result = dialog_result(desktop)
        if result["dialog_state"] != PENDING:
            return reply, result
        time.sleep(0.1)
    raise AssertionError("the dialog is still pending")


@pytest.fixture(scope="module")
def console(desktop, shared_agent):
    """The files the dialogs show; the console window: class tty, "MS-DOS Prompt - ORVIK"."""
    for folder, name in [("DOCS", "NOTE.TXT"), (LONG_FOLDER, LONG_FILE)]:
        (desktop.prefix / "drive_c" / folder).mkdir(exist_ok=True)
        (desktop.prefix / "drive_c" / folder / name).write_text("a note\r\n")
    window = start_watch(desktop, "window", "--seconds", 600)
    yield window
    window.stop()


@pytest.mark.parametrize("show", ["minimized", "hidden"])
def test_without_a_usable_console_window_the_dialog_is_refused(desktop, shared_agent, show):
    stand_in = start_watch(desktop, "window", "--show", show, "--seconds", 60)
    assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT"), 99, 64)
    assert desktop.wait_window(500, title=OPEN_TITLE) is None, "a dialog opened after all"
    assert dialog_result(desktop)[1] == {"dialog_state": PENDING}, "until the next request 9"
    stand_in.stop()


def test_the_dialog_opens_over_the_console_window_and_reports_the_file(desktop, shared_agent,
                                                                      console):
    assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT"), 10, 64)
    dialog = desktop.wait_window(title=OPEN_TITLE)
    assert dialog and dialog["owner"] == console.hwnd, "the dialog belongs to the console window"
    shown = [control(dialog, i, "selected_text") for i in (LOOK_IN_ID, FILE_TYPE_ID)]
    name = control(dialog, FILE_NAME_ID, "text", "Edit")
    assert shown + [name] == ["DOCS", "All Files", "NOTE.TXT"]
    desktop.screenshot("file-dialog.png")
    assert_reply(desktop.send("--code", 7), 8), "the dialog's message loop serves requests"
    reply, chosen = end_dialog(desktop, IDOK)
    assert chosen == {"dialog_state": CHOSEN, "dir_length": 7, "chosen_path": r"C:\DOCS\NOTE.TXT"}
    assert reply["size"] == 96  # 16 characters + 32 bytes of payload, rounded up


def test_a_long_name_comes_back_in_a_short_folder(desktop, shared_agent, console):
    assert_reply(request_dialog(desktop, "C:\\" + LONG_FOLDER + "\\"), 10)
    dialog = desktop.wait_window(title=OPEN_TITLE)
    assert dialog and control(dialog, LOOK_IN_ID, "selected_text") == LONG_FOLDER
    _, first = end_dialog(desktop, IDOK, name=LONG_FILE)
    batch = desktop.prefix / "drive_c" / "orv_short.bat"  # Wine's cmd: the short form with %~s
    batch.write_text(f'@for %%I in ("C:\\{LONG_FOLDER}\\{LONG_FILE}") do @echo %%~sI\r\n')
    short = desktop.tool("cmd", "/c", r"C:\orv_short.bat")[1].strip()
    short_folder = short[:short.rindex("\\")]
    assert short_folder.upper() not in ("", "C:\\" + LONG_FOLDER.upper())
    assert first == {"dialog_state": CHOSEN, "dir_length": len(short_folder),
                     "chosen_path": short_folder + "\\" + LONG_FILE}


def test_the_filter_choice_of_a_chosen_file_is_remembered(desktop, shared_agent, console):
    """Picked and chosen: remembered; picked and cancelled (in the insert
    dialog, at the drive root): not, and nothing is chosen."""
    for mode, path, look_in, pick, button, remembered, state in [
            (1, r"C:\DOCS\NOTE.TXT", "DOCS", 1, IDOK, "All Files", CHOSEN),
            (0, "", "(C:)", 2, IDCANCEL, "Text Files", NONE)]:
        title = OPEN_TITLE if mode else INSERT_TITLE
        assert_reply(request_dialog(desktop, path, mode), 10)
        dialog = desktop.wait_window(title=title)
        assert control(dialog, FILE_TYPE_ID, "selected_text") == remembered
        assert control(dialog, LOOK_IN_ID, "selected_text").endswith(look_in)
        combo = control(dialog, FILE_TYPE_ID, "hwnd")
        desktop.desk("message", "--hwnd", combo, "--msg", CB_SETCURSEL, "--wparam", pick)
        # The dialog follows the combo box only through the notifications a mouse pick sends.
        for notification in (CBN_SELCHANGE, CBN_SELENDOK):
            desktop.desk("message", "--hwnd", dialog["hwnd"], "--msg", WM_COMMAND,
                          "--wparam", (notification << 16) | FILE_TYPE_ID, "--lparam", combo)
        assert end_dialog(desktop, button, title)[1]["dialog_state"] == state
