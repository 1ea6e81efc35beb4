#!/usr/bin/env bash
# quillmere-publish against openssl as the other side: feeds signed by openssl verify with the
# tool, the tool's keys and signatures are read and verified by openssl, and one changed byte
# anywhere, an expired signature or an untrusted key is refused.
# Usage: openssl-roundtrip.sh TOOL...   (e.g. build/native/quillmere-publish, or
#        wine build/windows/quillmere-publish.exe)
set -uo pipefail
tool=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
url="http://updates.example/app/update.txt"

check() {  # check DESCRIPTION EXPECTED-STATUS COMMAND...
    local description=$1 expected=$2
    shift 2
    "$@" >out.txt 2>err.txt
    local status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: $description: exit status $status, expected $expected"
        sed 's/^/  | /' out.txt err.txt
        failures=$((failures + 1))
    else
        echo "ok: $description"
    fi
}
publish() { "${tool[@]}" "$@"; }
key_line_of() { echo "KEY $(openssl pkey -in "$1" -pubout -outform DER | base64 -w0)"; }

# The signature file for FEED at URL by KEY with EXPIRES, made with openssl alone.
openssl_sign() {  # openssl_sign KEY URL EXPIRES FEED
    { printf 'quillmere-feed-v1\n%s\nexpires %s\n' "$2" "$3"; cat "$4"; } >message.bin
    openssl dgst -sha256 -sign "$1" -out signature.der message.bin
    printf 'expires %s\nsignature %s\n' "$3" "$(base64 -w0 signature.der)" >"$4.sig"
}

printf 'CMV 2.0 http://updates.example/app/2.0.txt sha256=%064d\r\n' 0 >feed.txt
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out openssl.pem 2>/dev/null
openssl ecparam -name prime256v1 -genkey -noout -out sec1.pem
openssl_line=$(key_line_of openssl.pem)
sec1_line=$(key_line_of sec1.pem)

openssl_sign openssl.pem "$url" 2099-01-01T00:00:00Z feed.txt
check "a feed signed by openssl verifies" 0 publish verify --key-line "$openssl_line" --url "$url" feed.txt
check "either of two trusted keys" 0 publish verify --key-line "$sec1_line" --key-line "$openssl_line" --url "$url" feed.txt
check "an untrusted key is refused" 1 publish verify --key-line "$sec1_line" --url "$url" feed.txt
check "another URL is refused" 1 publish verify --key-line "$openssl_line" --url "$url.x" feed.txt
cp feed.txt feed.keep && cp feed.txt.sig sig.keep
printf 'X' | dd of=feed.txt bs=1 seek=3 conv=notrunc 2>/dev/null
check "one changed byte of the feed is refused" 1 publish verify --key-line "$openssl_line" --url "$url" feed.txt
cp feed.keep feed.txt && sed -i 's/^expires 2099/expires 2098/' feed.txt.sig
check "a changed expiry is refused" 1 publish verify --key-line "$openssl_line" --url "$url" feed.txt
signature_line=$(sed -n 2p sig.keep)
changed=A && [ "${signature_line: -5:1}" = A ] && changed=B
{ sed -n 1p sig.keep; echo "${signature_line:0:${#signature_line}-5}$changed${signature_line: -4}"; } >feed.txt.sig
check "a changed signature is refused" 1 publish verify --key-line "$openssl_line" --url "$url" feed.txt
openssl_sign openssl.pem "$url" 2020-01-01T00:00:00Z feed.txt
check "an expired signature is refused" 1 publish verify --key-line "$openssl_line" --url "$url" feed.txt
grep -q "expired on 2020-01-01T00:00:00Z" err.txt || { echo "FAIL: no expiry reason"; failures=$((failures + 1)); }
rm feed.txt.sig
check "a missing .sig is refused" 1 publish verify --key-line "$openssl_line" --url "$url" feed.txt

check "keygen writes a key" 0 publish keygen tool.pem
tool_line=$(tr -d '\r' <out.txt)
check "openssl reads the tool's key" 0 openssl pkey -in tool.pem -noout
[ "$tool_line" = "$(key_line_of tool.pem)" ] || { echo "FAIL: keygen's KEY line is not openssl's"; failures=$((failures + 1)); }
check "keygen never overwrites a key" 1 publish keygen tool.pem

for key in tool.pem openssl.pem sec1.pem; do
    check "sign with $key" 0 publish sign --key "$key" --url "$url" --expires 30 feed.txt
    expires=$(sed -n '1s/^expires \([^\r]*\)\r\{0,1\}$/\1/p' feed.txt.sig)
    { printf 'quillmere-feed-v1\n%s\nexpires %s\n' "$url" "$expires"; cat feed.txt; } >message.bin
    sed -n '2s/^signature \([^\r]*\)\r\{0,1\}$/\1/p' feed.txt.sig | base64 -d >signature.der
    openssl pkey -in "$key" -pubout -out public.pem
    check "openssl verifies the tool's signature by $key" 0 openssl dgst -sha256 -verify public.pem -signature signature.der message.bin
done
check "the tool verifies its own signature" 0 publish verify --key-line "$sec1_line" --url "$url" feed.txt
check "sign refuses a past date" 1 publish sign --key tool.pem --url "$url" --expires 2001-01-01 feed.txt

printf 'payload' >a.bin && : >empty.bin
check "hash" 0 publish hash a.bin
[ "$(tr -d '\r' <out.txt)" = "sha256=$(sha256sum a.bin | cut -c1-64)" ] || { echo "FAIL: hash"; failures=$((failures + 1)); }
check "hash of several files" 0 publish hash a.bin empty.bin
grep -q "^sha256=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  empty.bin" out.txt || { echo "FAIL: hash of several"; failures=$((failures + 1)); }
check "a missing file is refused" 1 publish hash missing.bin

check "no command is a usage error" 2 publish
check "an unknown option is a usage error" 2 publish sign --key tool.pem --uri "$url" --expires 3 feed.txt
check "a bad expiry is a usage error" 2 publish sign --key tool.pem --url "$url" --expires 2027-02-30 feed.txt
check "a bad key line is a usage error" 2 publish verify --key-line "KEY Zm9v" --url "$url" feed.txt

echo "openssl round trip: $failures failed"
[ "$failures" -eq 0 ]
