"""The demo's install part: OrvSetup replaces the running agent and puts
everything in place, with stand-ins for the console editor and its manual;
at the end Orvik is removed again through the list of programs."""
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from desktop import installer  # noqa: E402


def show(desktop):
    """Installs through the dialog with every box as it opens; prints the
    dialog, the install's messages and what the install left. Returns the
    editor directory."""
    source = installer.prepare(desktop)
    setup = installer.Setup(desktop, source)
    print("\n== OrvSetup, started in C:\\setupsrc"
          " (the console editor and its manual are stand-ins):")
    boxes = {c["id"]: c for c in setup.dialog["children"]}
    for box in installer.BOXES:
        mark = "x" if boxes[box]["checked"] else " "
        print(f"   [{mark}] {boxes[box]['text'].replace('&', '')}")
    editor_dir = re.search(r'"(.*)"', boxes[installer.EDITOR_BOX]["text"]).group(1)
    messages = setup.finish("OK")
    print("   OK pressed; the install's messages:", "; ".join(messages) or "none")
    if not desktop.wait_presence():
        print("   The installed agent does not answer.")
    print("\n== What the install left")
    show_found(installer.installed(desktop, editor_dir), editor_dir)
    return editor_dir


def show_found(found, editor_dir):
    for name, content in zip(installer.file_paths(editor_dir), found["files"]):
        print(f"   {name}: {content or 'missing'}")
    for label, key in (("StartUp shortcut", "startup"), ("Send To shortcut", "send_to")):
        target, description, icon = found[key] or (None, "", None)
        print(f"   {label}: " + (f"{target} \"{description}\"" if target else "missing") +
              (f", icon {icon[1]}" if icon else ""))
    print(f"   .htm Edit command: {found['edit'] or 'none'}")
    print("   agent running from:", ", ".join(found["running"]) or "nowhere")
    print("   in the list of programs (uninstaller --list):", ", ".join(found["listed"]) or "no")


def remove(desktop, editor_dir):
    """Removes Orvik as a user does from the list of programs, answering Yes;
    prints the removal's messages and what was left, then after a restart."""
    print("\n== Removing Orvik from the list of programs (uninstaller --remove Orvik), Yes answered:")
    for text in installer.remove(desktop, "Yes"):
        print("\n".join("   " + line if line else "" for line in text.split("\n")))
    print("\n== What the removal left")
    show_found(installer.installed(desktop, editor_dir), editor_dir)
    desktop.tool("wineboot", "-r")
    folder = desktop.prefix / "drive_c/Program Files/Orvik"
    print(f"   after a restart (wineboot -r): {installer.AGENT_DIR}",
          "is gone" if not folder.exists() else f"holds {[p.name for p in folder.iterdir()]}")
