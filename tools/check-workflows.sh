#!/usr/bin/env bash
# Validate the hosted-CI workflows in .github/workflows against their schema
# with @action-validator/cli from the npm registry (installed into
# build/node on first use), so that a broken workflow fails here, where no
# hosted runner can try it. Exits non-zero on the first invalid file.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

node_dir=build/node
validator=$node_dir/node_modules/.bin/action-validator
if ! command -v npm >/dev/null 2>&1; then
  bash tools/setup-debian.sh nodejs npm
fi
if [[ ! -x $validator ]]; then
  mkdir -p "$node_dir"
  npm install --prefix "$node_dir" --no-audit --no-fund --no-save --loglevel=error \
    @action-validator/cli@0.6.0 @action-validator/core@0.6.0 >/dev/null
fi
shopt -s nullglob
workflows=(.github/workflows/*.yml .github/workflows/*.yaml)
if [[ ${#workflows[@]} -eq 0 ]]; then
  echo "check-workflows: no workflow in .github/workflows" >&2
  exit 1
fi
for workflow in "${workflows[@]}"; do
  if ! "$validator" "$workflow"; then
    echo "check-workflows: $workflow is not a valid workflow" >&2
    exit 1
  fi
  echo "check-workflows: $workflow is valid"
done
