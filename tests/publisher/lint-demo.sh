#!/usr/bin/env bash
# The demo's files as published (demo/publish-sample: CR LF, pinned, signed, with the KEY line in
# quillmere.cfg) pass `lint --strict`; the repository's sources, LF and unpinned, do not.
# Usage: lint-demo.sh SOURCE_DIR TOOL...   (e.g. build/native/quillmere-publish)
set -uo pipefail
root=$1
shift
tool=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

printf 'stands in for release-notes.exe' >"$work/release-notes.exe"
"$root/demo/publish-sample" http://demo.invalid "$work/demo" "$work/release-notes.exe" \
    "${tool[@]}" >/dev/null || exit 1
published=("$work/demo/app/quillmere.cfg" "$work/demo/app/version.txt"
    "$work/demo/server/updates.txt" "$work/demo/server"/*/update.qsc "$work/demo/server"/*/version.txt)

"${tool[@]}" lint --strict --app "$work/demo/app" "${published[@]}" >"$work/out.txt" 2>&1
status=$?
if [ "$status" -ne 0 ] || [ -s "$work/out.txt" ]; then
    echo "FAIL: the published demo is not clean under lint --strict (exit $status):"
    sed 's/^/  | /' "$work/out.txt"
    failures=$((failures + 1))
else
    echo "ok: the published demo passes lint --strict (${#published[@]} files)"
fi

"${tool[@]}" lint --strict "$root/demo/server/1.1/update.qsc" >"$work/out.txt" 2>&1
status=$?
if [ "$status" -ne 1 ] || ! grep -q '1.1/update.qsc:1:.*error.*\[lf-line-end\]' "$work/out.txt"; then
    echo "FAIL: the LF source is not refused for its line ends (exit $status):"
    sed 's/^/  | /' "$work/out.txt"
    failures=$((failures + 1))
else
    echo "ok: the LF source is refused for its line ends"
fi
exit $((failures > 0))
