#!/bin/bash
# The demo: an emulated ink-jet printer is set up in a Wine prefix as a
# printer driver's installation would leave it; the driver stand-in asks
# vixcore.dll for the printer's status, the printer runs out of paper, and the
# driver asks again; then a print job in which the paper runs out.
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

step "6. A print job: the driver opens a monitoring session and asks on every tick (PrGetStatus)"
echo "   (ticks every 0.5 s; the paper runs out after the first pages and is loaded again a little later;
   popup and sound follow the user's notification settings, where paper-out popups are on)"
"$RUN" "$BIN/drvstub.exe" job "$PRINTER" --pages 6 --interval 500 --max-ticks 60 &
JOB=$!
sleep 1.6
printf '\033[1m   >> the printer runs out of paper\033[0m\n'
"$RUN" "$BIN/vixbed.exe" set "$PRINTER" paperout >/dev/null
sleep 3
printf '\033[1m   >> paper is loaded again\033[0m\n'
"$RUN" "$BIN/vixbed.exe" set "$PRINTER" ready >/dev/null
wait "$JOB" || true
