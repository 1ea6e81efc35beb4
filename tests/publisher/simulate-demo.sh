#!/usr/bin/env bash
# quillmere-publish.exe simulate on the demo: the demo's application at 1.0 and its served,
# pinned and signed updates (published by demo/publish-sample, as in scripts/demo, at
# http://demo.invalid through --map). The progress log is the one the real updater shows in the headless demo, the message
# boxes and the skipped program starts are reported, the folder given is byte for byte unchanged
# and the copy is gone; a feed given as a local file is checked as served at the ADR URL; a file
# missing under the map ends on the failed path (exit 1), and --answer no installs nothing.
# Usage (inside scripts/test-env): simulate-demo.sh SOURCE_DIR RELEASE_NOTES_EXE TOOL...
#        (e.g. wine build/windows/quillmere-publish.exe)
set -uo pipefail
root=$1
notes_program=$2
shift 2
tool=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
server_url=http://demo.invalid

fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}
expect() {  # expect DESCRIPTION COMMAND...: the command succeeds
    local description=$1
    shift
    if "$@"; then echo "ok: $description"; else fail "$description"; fi
}
windows_path() { echo "Z:${1//\//\\}"; }
# Every folder, and every file with its SHA-256.
listing() { (cd "$1" && find . -type d | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
# The lines of section "== NAME" of the report in FILE.
section() { sed -n "/^== $1\$/,/^\$/p" "$2" | sed '1d;$d'; }

"$root/demo/publish-sample" "$server_url" "$work" "$notes_program" "${tool[@]}" >/dev/null ||
    exit 1
cp "$root/lang/quillmere.lng" app/quillmere.lng
listing app >before.txt

simulate() {  # simulate REPORT ARGS...: the report without CR, the exit status in $status
    local report=$1
    shift
    "${tool[@]}" simulate --app "$(windows_path "$work/app")" \
        --map "$server_url=$(windows_path "$work/server")" "$@" 2>&1 | tr -d '\r' >"$report"
    status=${PIPESTATUS[0]}
}

simulate demo.txt
expect "the demo's update runs to its end (exit 0)" [ "$status" -eq 0 ]
expect "the progress log is the headless demo's" \
    diff -u "$root/tests/publisher/simulate-demo-log.txt" <(section "progress log" demo.txt)
expect "six boxes: per version its offer (OK), the question (Yes) and the script's MSG" \
    [ "$(section "message boxes" demo.txt | grep -c '^[0-9]\. after log line')" -eq 6 ]
expect "the two questions are answered Yes" \
    [ "$(section "message boxes" demo.txt | grep -c '(question icon; Yes No) -> Yes$')" -eq 2 ]
expect "the MSG box's text, line by line" \
    grep -qxF '   | Its release notes come next.' demo.txt
expect "the release notes are not started, twice" \
    [ "$(section "programs not started" demo.txt | grep -c 'would start and wait for .*release-notes\.exe"\? notes\\whats-new-1\.[12]\.txt$')" -eq 2 ]
changes=$(section "changes to the folder" demo.txt)
for change in "added    notes/" "added    release-notes.exe  " "removed  old-plugin.txt  " \
    "removed  cache/" "removed  temp/" "changed  version.txt  9 -> 9 bytes  sha256 "; do
    expect "the change \"$change\" is reported" grep -qF -- "$change" <<<"$changes"
done
listing app >after.txt
expect "the folder given is byte for byte unchanged" diff -u before.txt after.txt
copy=$(sed -n 's/^Simulating an update check of .* on a copy in //p' demo.txt)
expect "the copy ($copy) is removed" [ -n "$copy" -a ! -e "$(winepath -u "$copy" 2>/dev/null)" ]

simulate declined.txt --answer no
expect "--answer no: the offers are declined, nothing changes (exit 0)" \
    [ "$status" -eq 0 -a "$(section "changes to the folder" declined.txt)" = "(none)" ]

mkdir staged && mv server/updates.txt server/updates.txt.sig staged/
simulate staged.txt --feed "$(windows_path "$work/staged/updates.txt")"
expect "--feed FILE: served at the ADR URL, its signature checked for it (exit 0, same log)" \
    [ "$status" -eq 0 -a "$(section "progress log" staged.txt)" = "$(section "progress log" demo.txt)" ]
mv staged/* server/

rm server/1.2/inkwell-notes.txt
simulate missing.txt
expect "a file missing under the map ends on the failed path (exit 1)" [ "$status" -eq 1 ]
expect "its download failed (a 404 from the map)" \
    grep -qxF "failed: $server_url/1.2/inkwell-notes.txt  (from $(windows_path "$work/server/1.2/inkwell-notes.txt"))  [pinned]" missing.txt
expect "an error box reports it" grep -q '^[0-9]\. after log line [0-9]*: Quillmere (error icon; OK) -> OK$' missing.txt
expect "the folder given is still unchanged" diff -u before.txt <(listing app)

if [ "$failures" -ne 0 ]; then
    echo "--- the demo's report:"
    cat demo.txt
    echo "$failures failed"
    exit 1
fi
echo "all passed"
