#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix (CTest's emulator).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
kolvar_ensure_wine_prefix
exec wine "$@"
