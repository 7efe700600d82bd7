#!/bin/sh
# Times the HTML drawer and the draw manager: bench/drawer/run.sh <build folder>
set -e
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "${1:-build}/drawer_bench" "${2:-200}"
