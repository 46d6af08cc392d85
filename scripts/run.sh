#!/usr/bin/env bash
# The main job: prepares the application home and shows what the installation holds.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/release/src/cli/vellora-cli
home=$("$cli" init)
echo "Programmverzeichnis: $home"
echo "Primäre Cache-DB: Eintrag $("$cli" config get Program CacheDBPrimary)"
"$cli" geo format 49.5 10.75
"$cli" geo distance 49.6 10.85 49.5 10.75
