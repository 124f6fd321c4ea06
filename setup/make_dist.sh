#!/bin/sh
# Packs the Windows programs for users: make_dist.sh WIN32_BUILD_DIR OUTPUT_ZIP
# The zip holds OrvSetup.exe, the first-edition agent as ORVAGENT.EXE (the
# name the installer copies from), orvprobe.exe and README.TXT.
set -eu

if [ $# -ne 2 ]; then
  echo "usage: $0 WIN32_BUILD_DIR OUTPUT_ZIP" >&2
  exit 2
fi
build=$1
case $2 in
  /*) output=$2 ;;
  *) output=$PWD/$2 ;;
esac

setup_exe=$build/setup/OrvSetup.exe
agent_exe=$build/edition1/OrvAgent.exe
probe_exe=$build/tools/orvprobe/orvprobe.exe

missing=0
for f in "$setup_exe" "$agent_exe" "$probe_exe"; do
  if [ ! -f "$f" ]; then
    echo "make_dist: missing $f (build the Windows programs first)" >&2
    missing=1
  fi
done
[ $missing -eq 0 ] || exit 1

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$setup_exe" "$stage/OrvSetup.exe"
cp "$agent_exe" "$stage/ORVAGENT.EXE"
cp "$probe_exe" "$stage/orvprobe.exe"

# Windows line endings, so that Notepad shows the lines.
sed 's/$/\r/' > "$stage/README.TXT" <<'TEXT'
Orvik for Windows
=================

OrvSetup.exe   The installer. It copies the Orvik editor, its manual and
               the Orvik Windows Agent into place and sets up shortcuts.
ORVAGENT.EXE   The Orvik Windows Agent. It sits in the notification area
               (tray) and does Windows work for the DOS editor: printing,
               the file-open dialog and the help file. The editor talks to
               it through the Windows clipboard.
orvprobe.exe   A console tool that speaks to a running agent the way the
               editor does. Use it to check that the agent answers.

Installing
----------
1. Put ORVIK.EXE and ORVIK.DOC (they come with the DOS editor) in the
   same folder as OrvSetup.exe and ORVAGENT.EXE.
2. Run OrvSetup.exe from that folder, choose what to install and press OK.
   The agent goes to "\Program Files\Orvik" on the Windows drive and is
   started at once; a running older agent is stopped first. If you are
   told that ORVAGENT.EXE can't be copied, quit the agent from its tray
   icon and run OrvSetup.exe again.

Checking the agent
------------------
Open an MS-DOS Prompt and run:

    orvprobe presence

It reports whether an agent answered.
TEXT

mkdir -p "$(dirname "$output")"
rm -f "$output"
(cd "$stage" && zip -q -X "$output" OrvSetup.exe ORVAGENT.EXE orvprobe.exe README.TXT)
echo "make_dist: wrote $output"
