#!/usr/bin/env bash
# Fails where a path git tracks has a character or a name that Windows does
# not allow, so that the repository of this Windows tool checks out there.
# git quotes a name with control characters, which Windows forbids too.
# usage: check_path_names.sh GIT CHECKOUT
set -euo pipefail
paths=$("$1" -C "$2" -c core.quotepath=off ls-files)
count=$(wc -l <<<"$paths")
bad=$(grep -iE '[<>:"|?*\\]|[. ](/|$)|(^|/)(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\.[^/]*)?(/|$)' <<<"$paths") &&
  { echo "$(wc -l <<<"$bad") of $count tracked paths cannot be checked out on Windows:"; echo "$bad"; exit 1; }
echo "$count tracked paths, all of names Windows allows"
