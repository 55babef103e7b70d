#!/bin/bash
# The demo: an emulated ink-jet printer is set up in a Wine prefix as a
# printer driver's installation would leave it; the driver stand-in asks
# vixcore.dll for the printer's status, the printer runs out of paper, and the
# driver asks again.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

bash "$ROOT/tools/setup.sh"
build_win x64 >/dev/null
RUN="$BUILD/x64/wine-run"
BIN="$BUILD/x64/bin"
trap '"$RUN" --stop' EXIT
"$RUN" --prepare

PRINTER="ZARVO ZV-100 Demo"
DRIVER="ZARVO ZV-100 Series"
step() { printf '\n\033[1m%s\033[0m\n' "$*"; }

step "1. Provisioning the printer \"$PRINTER\" (driver \"$DRIVER\", model ZV-100)"
"$RUN" "$BIN/vixbed.exe" provision --printer "$PRINTER" --driver "$DRIVER" --model ZV-100

step "2. The driver asks for the printer's status (PrGetPrinterStatus)"
"$RUN" "$BIN/drvstub.exe" status "$PRINTER" || true

step "3. The printer runs out of paper"
"$RUN" "$BIN/vixbed.exe" set "$PRINTER" paperout

step "4. The driver asks again"
"$RUN" "$BIN/drvstub.exe" status "$PRINTER" || true

step "5. Paper is loaded again"
"$RUN" "$BIN/vixbed.exe" set "$PRINTER" ready >/dev/null
"$RUN" "$BIN/drvstub.exe" status "$PRINTER" || true
