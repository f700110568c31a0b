# Sourced by the scripts: the repository root and the shared configure flags.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
# CI (and anyone who sets KTBASE_WERROR=ON) treats warnings as errors.
werror=${KTBASE_WERROR:-OFF}
if [ -n "${CI:-}" ]; then werror=ON; fi
