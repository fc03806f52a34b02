#!/usr/bin/env bash
# Runs the main job on the built-in default input.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -x build/cli/orvex-hap ]; then
  build/cli/orvex-hap encode --pattern -o demo.mov -y
elif [ -x build/cli/hap-frame-demo ]; then
  build/cli/hap-frame-demo
else
  echo "demo: nothing to run yet (build/cli has no demo program)" >&2
  exit 1
fi
