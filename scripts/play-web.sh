#!/usr/bin/env bash
# Builds the browser version and serves it on this machine only; open the printed address.
# Usage: scripts/play-web.sh [PORT]   (default 8000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=${1:-8000}
"$root/scripts/setup.sh"
"$root/scripts/build-web.sh" "$root/build-web" >/dev/null
echo "Vexlorn in a browser: http://127.0.0.1:$port/   (Ctrl+C stops the server)"
cd "$root/build-web"
exec python3 -m http.server "$port" --bind 127.0.0.1
