"""The demo's install part: OrvSetup replaces the running agent and puts
everything in place, with stand-ins for the console editor and its manual."""
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from desktop import installer  # noqa: E402


def show(desktop):
    """Installs through the dialog with every box as it opens; prints the
    dialog, the install's messages and what the install left."""
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
    found = installer.installed(desktop, editor_dir)
    print("\n== What the install left")
    for name, content in zip(installer.file_paths(editor_dir), found["files"]):
        print(f"   {name}: {content or 'missing'}")
    for label, key in (("StartUp shortcut", "startup"), ("Send To shortcut", "send_to")):
        target, description, icon = found[key] or ("missing", "", None)
        print(f"   {label}: {target} \"{description}\"" + (f", icon {icon[1]}" if icon else ""))
    print(f"   .htm Edit command: {found['edit']}")
    print("   agent running from:", ", ".join(found["running"]) or "nowhere")
