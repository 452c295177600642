#!/usr/bin/env bash
# Makes the known-answer vectors of the frame crypto and the key exchange with the openssl
# command line, an implementation independent of the client's. The outputs are committed; run
# this again only to renew them (the random parts then change, the tests do not).
#
#   crypto_aes_pkcs7.txt     keytext, SHA-256(keytext), plaintext, AES-256-ECB/PKCS#7 ciphertext
#   crypto_server_frames.txt label, keytext, escaped frame body, expected plaintext or ERROR
#   crypto_rsa_oaep.txt      an RSA-1024/e=17 key (primes, DER public key) and session data
#                            sealed with RSA-OAEP(SHA-1) blocks, with the expected plaintext
# All byte strings are lower-case hex, fields are TAB-separated.
set -euo pipefail
cd "$(dirname "$0")"
command -v openssl >/dev/null || { echo "openssl is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tohex() { od -An -v -tx1 | tr -d ' \n'; }
fromhex() { printf '%b' "$(printf '%s' "$1" | sed 's/../\\x&/g')"; }
texthex() { printf '%s' "$1" | tohex; }
sha256hex() { printf '%s' "$1" | openssl dgst -sha256 -binary | tohex; }
randhex() { openssl rand "$1" | tohex; }
aes_enc() {  # keyhex plainhex -> cipherhex (PKCS#7)
    fromhex "$2" | openssl enc -aes-256-ecb -K "$1" -nosalt | tohex
}
aes_enc_nopad() { fromhex "$2" | openssl enc -aes-256-ecb -K "$1" -nosalt -nopad | tohex; }
aes_dec_nopad() { fromhex "$2" | openssl enc -d -aes-256-ecb -K "$1" -nosalt -nopad | tohex; }
# The wire escaping: unchanged without a NUL byte; otherwise NUL -> "%00", "%" -> "%25".
escape_hex() {
    printf '%s' "$1" | awk '{
        n = length($0) / 2; has = 0
        for (i = 0; i < n; i++) if (substr($0, 2*i+1, 2) == "00") has = 1
        if (!has) { printf "%s", $0; exit }
        out = ""
        for (i = 0; i < n; i++) {
            b = substr($0, 2*i+1, 2)
            if (b == "00") out = out "253030"; else if (b == "25") out = out "253235"; else out = out b
        }
        printf "%s", out }'
}
has_byte() { printf '%s' "$1" | awk -v b="$2" '{ for (i = 1; i < length($0); i += 2) if (substr($0, i, 2) == b) { print "y"; exit } }'; }
# Server-style padding: (count-1) random bytes, then the count.
iso_pad_hex() {
    local count=$1
    if [ "$count" -gt 1 ]; then randhex $((count - 1)); fi
    printf '%02x' "$count"
}

# --- AES-256-ECB with PKCS#7 under SHA-256 of a key text --------------------------------------
{
    key1="3f9a1c0e7b2d4c6a8e0f1a2b3c4d5e6f"
    key2="demo session key"
    long=$(printf 'chat line %04d, ' $(seq 1 70))   # 1120 bytes: past the old 1024-byte cut
    latin=$(printf 'caf\xe9 \xa3 \xff')             # ISO 8859-1 bytes above 0x7f
    for entry in "$key1|" "$key1|@LOGIN:auth	Op	Dept		LC-0.0.10.51	0	en	demo	demo" \
                 "$key1|0123456789abcde" "$key1|0123456789abcdef" "$key1|0123456789abcdefg" \
                 "$key2|@GETDS" "$key2|$long"; do
        k=${entry%%|*}
        p=${entry#*|}
        kh=$(sha256hex "$k")
        ph=$(texthex "$p")
        printf '%s\t%s\t%s\t%s\n' "$k" "$kh" "$ph" "$(aes_enc "$kh" "$ph")"
    done
    k=$key2
    kh=$(sha256hex "$k")
    ph=$(printf '%s' "$latin" | tohex)
    printf '%s\t%s\t%s\t%s\n' "$k" "$kh" "$ph" "$(aes_enc "$kh" "$ph")"
} >crypto_aes_pkcs7.txt

# --- Server-style frames: ISO10126 padding, escaped ---------------------------------------------
{
    k="frame key text"
    kh=$(sha256hex "$k")
    server_frame() {  # label plainhex padhex expectedhex
        local c
        c=$(aes_enc_nopad "$kh" "$2$3")
        printf '%s\t%s\t%s\t%s\n' "$1" "$k" "$(escape_hex "$c")" "$4"
    }
    # Random pads of every length 1..16.
    for len in 15 14 13 12 11 10 9 8 7 6 5 4 3 2 1 0; do
        text=$(printf '@EV:%s' "$(openssl rand -hex 32)" | cut -c1-$((32 + len)))
        ph=$(texthex "$text")
        pad=$((16 - (${#ph} / 2) % 16))
        server_frame "random-pad-$pad" "$ph" "$(iso_pad_hex $pad)" "$ph"
    done
    # Last byte 0: nothing is dropped, all 16 bytes of the final block are kept.
    ph="$(texthex '@MSG:sixteen+16=')$(texthex 'abcdefghijklmno')00"
    server_frame "pad-byte-0" "$ph" "" "$ph"
    # Last byte 16: a whole block of padding.
    ph=$(texthex '@MSG:exactly 32 bytes of text...')
    server_frame "pad-byte-16" "$ph" "$(iso_pad_hex 16)" "$ph"
    # Last byte 17: more than a block, a decoding error.
    ph="$(texthex '@MSG:seventeen is too many pads')11"
    server_frame "pad-byte-17" "$ph" "" "ERROR"
    # Frames whose ciphertext holds a NUL and a "%", so the escaping is exercised.
    found=0
    for try in $(seq 1 2000); do
        text="@MESSAGE:$(openssl rand -base64 48 | tr -d '\n')"
        ph=$(texthex "$text")
        pad=$((16 - (${#ph} / 2) % 16))
        padh=$(iso_pad_hex $pad)
        c=$(aes_enc_nopad "$kh" "$ph$padh")
        if [ -n "$(has_byte "$c" 00)" ] && [ -n "$(has_byte "$c" 25)" ]; then
            printf '%s\t%s\t%s\t%s\n' "nul-and-percent-$found" "$k" "$(escape_hex "$c")" "$ph"
            found=$((found + 1))
            [ $found -ge 3 ] && break
        fi
    done
    [ $found -ge 3 ] || { echo "no ciphertext with NUL and % found" >&2; exit 1; }
    # Ciphertext without NUL that contains "%00": sent unescaped, and must not be unescaped.
    c0="41252530304142434445464748492530"   # "A%%00ABCDEFGHI%0", no NUL byte
    p0=$(aes_dec_nopad "$kh" "$c0")
    for try in $(seq 1 200); do
        tail=$(texthex 'tail')
        padh=$(iso_pad_hex 12)
        c1=$(aes_enc_nopad "$kh" "$tail$padh")
        if [ -z "$(has_byte "$c1" 00)" ]; then
            printf '%s\t%s\t%s\t%s\n' "percent00-without-nul" "$k" "$c0$c1" "$p0$tail"
            break
        fi
    done
} >crypto_server_frames.txt

# --- RSA-1024, e=17, OAEP(SHA-1) session blocks --------------------------------------------------
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -pkeyopt rsa_keygen_pubexp:17 \
    -out "$work/key.pem" 2>/dev/null
openssl rsa -in "$work/key.pem" -pubout -out "$work/pub.pem" 2>/dev/null
prime() {  # prime1 | prime2 from the key's text dump
    openssl rsa -in "$work/key.pem" -noout -text 2>/dev/null |
        awk -v want="$1:" '$1 == want { on = 1; next } on && /^[a-zA-Z]/ { on = 0 }
                            on { gsub(/[ :]/, ""); printf "%s", $0 }'
}
der=$(openssl rsa -in "$work/key.pem" -pubout -outform DER 2>/dev/null | openssl base64 -A)

# Session data: 14 TAB-separated fields; the registered-to name is UTF-8 and starts so that the
# first 86-byte chunk ends inside its first two-byte character.
head="Tavoro Test Server	2.5.1	"
filler=$(printf 'x%.0s' $(seq 1 $((81 - ${#head} - 1))))
registered=$(printf 'Soci\xc3\xa9t\xc3\xa9 D\xc3\xa9mo \xe2\x82\xac GmbH')
session="${head}${filler}	${registered}	f4	f5	f6	f7	f8	f9	f10	f11		K3y-0f-the-session"
printf '%s' "$session" >"$work/session"
size=$(stat -c %s "$work/session")
: >"$work/sealed"
off=0
while [ $off -lt "$size" ]; do
    n=86   # the first chunk ends inside the two-byte character at bytes 85..86
    dd if="$work/session" of="$work/chunk" bs=1 skip=$off count=$n status=none
    openssl pkeyutl -encrypt -pubin -inkey "$work/pub.pem" -pkeyopt rsa_padding_mode:oaep \
        -in "$work/chunk" -out "$work/block"
    cat "$work/block" >>"$work/sealed"
    off=$((off + n))
done
{
    printf 'p\t%s\n' "$(prime prime1)"
    printf 'q\t%s\n' "$(prime prime2)"
    printf 'der\t%s\n' "$der"
    printf 'sealed\t%s\n' "$(openssl base64 -A <"$work/sealed")"
    printf 'plain\t%s\n' "$(tohex <"$work/session")"
} >crypto_rsa_oaep.txt

echo "wrote crypto_aes_pkcs7.txt crypto_server_frames.txt crypto_rsa_oaep.txt"
