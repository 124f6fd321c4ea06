"""The file-open dialog as the console editor drives it: request 9 opens it over
the editor's console window (an orvprobe stand-in), request 11 reports how it
ended. One agent serves the whole module, so the order of the tests matters
where the agent remembers something (the filter choice, the dialog state)."""
import subprocess
import time

import pytest

from replies import assert_reply

pytestmark = pytest.mark.shared_agent

OPEN_TITLE, INSERT_TITLE = "Open File:", "Insert File:"
WM_ENABLE, WM_SETTEXT, WM_COMMAND, CB_SETCURSEL = 0x000A, 0x000C, 0x0111, 0x014E
IDOK, IDCANCEL, CBN_SELCHANGE, CBN_SELENDOK = 1, 2, 1, 9
# Controls of the common file dialog.
LOOK_IN_ID, FILE_TYPE_ID, FILE_NAME_ID = 1137, 1136, 1148
PENDING, CHOSEN, NONE = 1, 2, 3

LONG_FOLDER = "Long Folder Name"
LONG_FILE = "My Report File.txt"


# -- helpers ---------------------------------------------------------------
def request_dialog(desktop, path, text="ORVIK", open_mode=1, sequence=0x0909):
    return desktop.send("--code", 9, "--sequence", sequence, "--hex", f"0:{open_mode:02x}",
                        "--str", "2:" + text, "--str", "18:" + path)


def dialog_result(desktop):
    reply = assert_reply(desktop.send("--code", 11), 12)
    return reply, reply["decoded"]


def wait_dialog(desktop, title=OPEN_TITLE, timeout=8000):
    code, objects, _ = desktop.probe("wait-window", "--title", title, "--timeout", timeout)
    return objects[0]["window"] if code == 0 else None


def control(dialog, control_id, class_name):
    found = [c for c in dialog["children"] if c["id"] == control_id and c["class"] == class_name]
    assert found, f"the dialog has no {class_name} {control_id}"
    return found[0]


def end_dialog(desktop, title, button):
    desktop.probe("message", "--title", title, "--msg", WM_COMMAND, "--wparam", button, "--post")


def wait_ended(desktop, timeout=8.0):
    """Asks with request 11 until the dialog is no longer pending."""
    end = time.time() + timeout
    while time.time() < end:
        reply, result = dialog_result(desktop)
        if result["dialog_state"] != PENDING:
            return reply, result
        time.sleep(0.1)
    raise AssertionError("the dialog is still pending")


def choose(desktop, title=OPEN_TITLE, name=None):
    """Types name (if given) into the file-name box and presses Open."""
    if name is not None:
        desktop.probe("message", "--title", title, "--child-id", FILE_NAME_ID, "--msg", WM_SETTEXT,
                      "--text", name)
    end_dialog(desktop, title, IDOK)
    return wait_ended(desktop)


def select_file_type(desktop, dialog, index):
    combo = control(dialog, FILE_TYPE_ID, "ComboBox")
    desktop.probe("message", "--hwnd", combo["hwnd"], "--msg", CB_SETCURSEL, "--wparam", index)
    # The dialog follows the combo box only through its notifications, which
    # a pick with the mouse sends in this order.
    for notification in (CBN_SELCHANGE, CBN_SELENDOK):
        desktop.probe("message", "--hwnd", dialog["hwnd"], "--msg", WM_COMMAND,
                      "--wparam", (notification << 16) | FILE_TYPE_ID, "--lparam", combo["hwnd"])


def short_form(desktop, windows_path):
    """The short (8.3) form of a path, as Wine's cmd gives it with %~s."""
    batch = desktop.prefix / "drive_c" / "orv_short.bat"
    result = desktop.prefix / "drive_c" / "orv_short.txt"
    batch.write_text(f'@for %%I in ("{windows_path}") do @echo %%~sI> C:\\orv_short.txt\r\n')
    subprocess.run([desktop.wine, "cmd", "/c", r"C:\orv_short.bat"], env=desktop.env, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60)
    return result.read_text().strip()


# -- fixtures --------------------------------------------------------------
@pytest.fixture(scope="module")
def files(desktop):
    """The folders and files the dialogs show, made in the prefix's drive C."""
    drive_c = desktop.prefix / "drive_c"
    (drive_c / "DOCS").mkdir(exist_ok=True)
    (drive_c / "DOCS" / "NOTE.TXT").write_text("a note\r\n")
    (drive_c / "NOTE.TXT").write_text("a note in the root\r\n")
    (drive_c / LONG_FOLDER).mkdir(exist_ok=True)
    (drive_c / LONG_FOLDER / LONG_FILE).write_text("quarterly figures\r\n")
    return drive_c


@pytest.fixture(scope="module")
def console(desktop, shared_agent):
    """The editor's console window: a visible top-level window of class tty
    titled "MS-DOS Prompt - ORVIK"."""
    window = desktop.start_probe("window", "--seconds", 600)
    ready = window.wait_for(lambda e: e["event"] == "ready", timeout=30)
    assert ready, "the console stand-in did not start"
    window.hwnd = ready["hwnd"]
    yield window
    window.stop()


@pytest.fixture(autouse=True)
def no_dialog_left_open(desktop):
    """A failed test must not leave its dialog to the next one."""
    yield
    for title in (OPEN_TITLE, INSERT_TITLE):
        if desktop.probe("window-info", "--title", title)[0] == 0:
            end_dialog(desktop, title, IDCANCEL)
            desktop.probe("wait-window", "--title", title, "--timeout", 300)


# -- tests -----------------------------------------------------------------
def test_before_any_dialog_the_result_is_no_file_without_a_path(desktop, shared_agent):
    reply, result = dialog_result(desktop)
    assert result == {"dialog_state": NONE}
    assert reply["size"] == 64


@pytest.mark.parametrize("show", [None, "minimized", "hidden"])
def test_without_a_usable_console_window_the_dialog_is_refused(desktop, shared_agent, show):
    stand_in = None
    if show:
        stand_in = desktop.start_probe("window", "--show", show, "--seconds", 60)
        assert stand_in.wait_for(lambda e: e["event"] == "ready", timeout=30)
        info = desktop.probe("window-info", "--class", "tty")[1][0]["window"]
        assert info["iconic"] == (show == "minimized") and info["visible"] == (show != "hidden")
    try:
        assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT"), 99, 64)
        assert wait_dialog(desktop, timeout=500) is None, "a dialog opened after all"
        # The refused request leaves the state pending until the next request 9.
        assert dialog_result(desktop)[1] == {"dialog_state": PENDING}
    finally:
        if stand_in:
            stand_in.stop()


def test_the_dialog_opens_after_reply_10_over_the_console_window(desktop, shared_agent, files, console):
    watch = desktop.start_probe("watch", "--seconds", 120)
    assert watch.wait_for(lambda e: e["event"] == "ready")
    try:
        console_seen = len(console.poll())
        result = request_dialog(desktop, r"C:\DOCS\NOTE.TXT", sequence=0x0A0B)
        assert_reply(result, 10, 64)
        dialog = wait_dialog(desktop)
        assert dialog, "no dialog"
        assert dialog["owner"] == console.hwnd, "the dialog belongs to the console window"

        # Order: the watcher saw reply 10 in the clipboard before the dialog,
        # which disables its owner while it runs, sent the console window
        # WM_ENABLE(FALSE). Both stamps come from the one performance counter.
        published = watch.wait_for(lambda e: e["event"] == "draw_clipboard" and e["format10"]
                                   and e["format10"].get("code") == 10
                                   and e["format10"].get("sequence") == 0x0A0B)
        assert published, "the watcher never saw reply 10"
        disabled = [e for e in console.poll()[console_seen:]
                    if e["event"] == "message" and e["msg"] == WM_ENABLE and e["wparam"] == 0]
        assert disabled, "the console window was not disabled by the dialog"
        assert published["t_ms"] < disabled[0]["t_ms"]

        assert dialog["text"] == OPEN_TITLE
        assert control(dialog, LOOK_IN_ID, "ComboBox")["selected_text"] == "DOCS"
        assert control(dialog, FILE_NAME_ID, "Edit")["text"] == "NOTE.TXT"
        assert control(dialog, FILE_TYPE_ID, "ComboBox")["selected_text"] == "All Files", \
            "the first dialog preselects the first filter"
        desktop.screenshot("file-dialog.png")

        # The dialog's own message loop keeps the channel serving.
        assert dialog_result(desktop)[1] == {"dialog_state": PENDING}
        assert_reply(desktop.send("--code", 7), 8)

        reply, chosen = choose(desktop)
        assert chosen == {"dialog_state": CHOSEN, "dir_length": 7, "chosen_path": r"C:\DOCS\NOTE.TXT"}
        assert reply["size"] == 96  # 16 characters + 32 bytes of payload, rounded up
    finally:
        watch.stop()


@pytest.mark.parametrize("open_mode,title", [(0, INSERT_TITLE), (1, OPEN_TITLE), (0x80, OPEN_TITLE)])
def test_the_title_follows_open_mode_and_cancel_means_no_file(desktop, shared_agent, files, console,
                                                                open_mode, title):
    assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT", open_mode=open_mode), 10)
    dialog = wait_dialog(desktop, title)
    assert dialog and dialog["text"] == title
    end_dialog(desktop, title, IDCANCEL)
    reply, result = wait_ended(desktop)
    assert result == {"dialog_state": NONE} and reply["size"] == 64


@pytest.mark.parametrize("path,look_in,name,typed,chosen,dir_length", [
    (r"NOTE.TXT", None, "NOTE.TXT", None, r"C:\NOTE.TXT", 2),
    (r"", None, "", "NOTE.TXT", r"C:\NOTE.TXT", 2),
    (r"C:\DOCS" + "\\", "DOCS", "", "NOTE.TXT", r"C:\DOCS\NOTE.TXT", 7),
])
def test_the_initial_folder_and_name_follow_the_path(desktop, shared_agent, files, console,
                                                     path, look_in, name, typed, chosen, dir_length):
    """Where the dialog starts shows in its controls, and in where a bare file
    name typed into it (or the one it offers) is looked for."""
    assert_reply(request_dialog(desktop, path), 10)
    dialog = wait_dialog(desktop)
    assert dialog
    assert control(dialog, FILE_NAME_ID, "Edit")["text"] == name
    folder = control(dialog, LOOK_IN_ID, "ComboBox")["selected_text"]
    if look_in:
        assert folder == look_in
    else:  # the drive root of the Windows folder, shown as "<volume label> (C:)"
        assert folder.endswith("(C:)"), folder
    _, result = choose(desktop, name=typed)
    assert result == {"dialog_state": CHOSEN, "dir_length": dir_length, "chosen_path": chosen}


def test_a_long_name_comes_back_in_a_short_folder(desktop, shared_agent, files, console):
    assert_reply(request_dialog(desktop, "C:\\" + LONG_FOLDER + "\\"), 10)
    dialog = wait_dialog(desktop)
    assert dialog and control(dialog, LOOK_IN_ID, "ComboBox")["selected_text"] == LONG_FOLDER
    _, first = choose(desktop, name=LONG_FILE)

    short = short_form(desktop, "C:\\" + LONG_FOLDER + "\\" + LONG_FILE)
    short_folder = short[:short.rindex("\\")]
    assert short_folder.upper() != "C:\\" + LONG_FOLDER.upper(), "the folder has a short form of its own"
    assert first == {"dialog_state": CHOSEN, "dir_length": len(short_folder),
                     "chosen_path": short_folder + "\\" + LONG_FILE}
    assert first["chosen_path"][first["dir_length"]] == "\\"
    for _ in range(3):
        reply, again = dialog_result(desktop)
        assert again == first
        assert reply["size"] == (len(first["chosen_path"]) + 32 + 57) & 0x7FE0


def test_a_second_request_9_is_refused_while_the_dialog_is_open(desktop, shared_agent, files, console):
    assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT"), 10)
    dialog = wait_dialog(desktop)
    assert dialog
    assert_reply(request_dialog(desktop, r"C:\NOTE.TXT", open_mode=0, sequence=0x0910), 99, 64)
    assert wait_dialog(desktop, INSERT_TITLE, timeout=500) is None, "a second dialog opened"
    still = wait_dialog(desktop)
    assert still and still["hwnd"] == dialog["hwnd"]
    assert control(still, FILE_NAME_ID, "Edit")["text"] == "NOTE.TXT"
    assert dialog_result(desktop)[1] == {"dialog_state": PENDING}
    # The open dialog goes on and ends with its own file.
    _, result = choose(desktop)
    assert result == {"dialog_state": CHOSEN, "dir_length": 7, "chosen_path": r"C:\DOCS\NOTE.TXT"}


def test_the_filter_choice_is_remembered_after_a_chosen_file_only(desktop, shared_agent, files, console):
    def file_type_of_next_dialog():
        assert_reply(request_dialog(desktop, r"C:\DOCS\NOTE.TXT"), 10)
        dialog = wait_dialog(desktop)
        assert dialog
        return dialog, control(dialog, FILE_TYPE_ID, "ComboBox")["selected_text"]

    dialog, file_type = file_type_of_next_dialog()
    assert file_type == "All Files"
    select_file_type(desktop, dialog, 1)
    assert control(wait_dialog(desktop), FILE_TYPE_ID, "ComboBox")["selected_text"] == "Text Files"
    assert choose(desktop)[1]["dialog_state"] == CHOSEN

    dialog, file_type = file_type_of_next_dialog()
    assert file_type == "Text Files"
    # A cancelled dialog changes nothing, whatever was picked in it.
    select_file_type(desktop, dialog, 2)
    end_dialog(desktop, OPEN_TITLE, IDCANCEL)
    assert wait_ended(desktop)[1] == {"dialog_state": NONE}

    dialog, file_type = file_type_of_next_dialog()
    assert file_type == "Text Files"
    end_dialog(desktop, OPEN_TITLE, IDCANCEL)
    wait_ended(desktop)
