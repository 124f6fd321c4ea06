#!/usr/bin/env python3
"""The demo: the agent on a private desktop, driven by orvprobe as the
console editor would drive it. Prints each request and its reply."""
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tools"))
from desktop import CLASS_FIRST, WM_DESTROY, Desktop  # noqa: E402
from desktop.wine import ended  # noqa: E402

import demo_desktop  # noqa: E402
import demo_install  # noqa: E402
import demo_print  # noqa: E402

CODES = {1: "printer list", 2: "printers", 3: "spool name", 4: "spool name", 5: "print",
         6: "print accepted", 7: "presence check", 8: "present", 9: "file-open dialog",
         10: "dialog shown", 11: "dialog result", 12: "dialog result", 13: "help",
         14: "help opened", 99: "refused"}


def show(title, result):
    print(f"\n== {title}")
    print(f"   request: code {result['code']} ({CODES.get(result['code'], '?')}), "
          f"sequence {result['sequence']:#x}")
    reply = result.get("reply")
    if reply is None:
        print("   reply:   none; the clipboard still holds the request")
        return
    print(f"   reply:   code {reply['code']} ({CODES.get(reply['code'], '?')}), "
          f"sequence {reply['sequence']:#x}, block {reply['size']} bytes, "
          f"header {reply['header_hex']}, answered in {result['elapsed_ms']:.1f} ms")
    if "decoded" in reply:
        print(f"   payload: {reply['decoded']}")


def main():
    desktop = Desktop()
    print(f"Starting a private desktop: Xvfb, a Wine prefix ({desktop.arch}) under {desktop.prefix}")
    desktop.start()
    agent = None
    print_server = None
    try:
        # The print server comes first: the agent learns of it at its start.
        print_server = demo_print.start(desktop)
        agent = desktop.start_program(desktop.exe("agent"))
        for _ in range(100):
            if agent.poll() is not None:
                sys.exit(ended(agent, "OrvAgent"))
            if desktop.probe("presence", "--timeout", "500")[0] == 0:
                break
            time.sleep(0.2)
        print("OrvAgent is running:", desktop.probe("presence")[2].strip())
        editor_dir = demo_install.show(desktop)
        print("\nFrom here on the installed agent answers.")
        show("Presence check", desktop.send("--code", 7, "--sequence", 0x1001))
        show("Presence check with block_size 64 (the reply must differ: 96 bytes)",
             desktop.send("--code", 7, "--sequence", 0x1002, "--block-size", 64))
        show("A code the agent has no service for (2): no reply",
             desktop.send("--code", 2, "--sequence", 0x1003, "--timeout", 700))
        show("An object of 32 bytes is no request: no reply",
             desktop.send("--code", 7, "--sequence", 0x1004, "--size", 32, "--timeout", 700))
        code, objects, _ = desktop.desk("batch", "--count", 200)
        s = objects[-1]
        print(f"\n== 200 presence checks in a row: {s['answered']} answered, {s['lost']} lost, "
              f"p50 {s['p50_ms']:.2f} ms, p99 {s['p99_ms']:.2f} ms")
        demo_print.show(desktop, print_server, show)
        demo_desktop.show(desktop, show)
        demo_install.remove(desktop, editor_dir)
    finally:
        # The agent running now, if the removal did not stop it, is the installed one or the
        # one started here.
        if agent and desktop.desk("window-info", "--class", CLASS_FIRST)[0] == 0:
            desktop.desk("message", "--class", CLASS_FIRST, "--msg", WM_DESTROY, "--post")
            print("\nOrvAgent was told to quit.")
        if agent:
            print(f"The agent started first ended with exit code {agent.wait(timeout=15)}.")
        desktop.stop()
        if print_server:
            print_server.stop()
        print("Everything the demo started has stopped.")


if __name__ == "__main__":
    main()
