#!/usr/bin/env bash
# The engine (through tools/ftpsh) vs curl --ssl-reqd over explicit TLS
# against the same pyftpdlib TLS server (tests/support/ftpd.py) on
# 127.0.0.1: a download and an upload of SIZE_MIB MiB, passive mode, several
# rounds, every file checked byte for byte. Prints the median seconds and
# MiB/s of each tool and the engine/curl ratio of the medians (above 1: the
# engine is faster). The server is a Python program and may well be the
# bottleneck for both tools; the load average is printed before and after.
# Nothing is left running.
#   bench/tls_transfer.sh [ROUNDS] [SIZE_MIB]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"
ROUNDS="${1:-3}"
SIZE_MIB="${2:-1024}"
case "$ROUNDS$SIZE_MIB" in *[!0-9]*) echo "usage: bench/tls_transfer.sh [ROUNDS] [SIZE_MIB]" >&2; exit 2;; esac

ensure_packages
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD" --target ftpsh

WORK="$(mktemp -d /tmp/bw-tls.XXXXXX)"
SERVER_PID=""
cleanup() {
  if [ -n "$SERVER_PID" ]; then kill "$SERVER_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$WORK/root" "$WORK/client"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$WORK/key.pem" -out "$WORK/cert.pem" -days 2 \
  -subj "/CN=localhost" -addext "subjectAltName=IP:127.0.0.1" 2>/dev/null
cat "$WORK/cert.pem" "$WORK/key.pem" > "$WORK/server.pem"
echo "== creating a ${SIZE_MIB} MiB file"
head -c "$((SIZE_MIB * 1048576))" /dev/urandom > "$WORK/root/big.bin"

/usr/bin/python3 "$ROOT/tests/support/ftpd.py" --root "$WORK/root" --port 0 --tls explicit \
  --cert "$WORK/server.pem" > "$WORK/server.out" 2> "$WORK/server.err" < /dev/null &
SERVER_PID=$!
PORT=""
for _ in $(seq 100); do
  PORT="$(awk '/^PORT/ {print $2}' "$WORK/server.out")"
  [ -n "$PORT" ] && break
  sleep 0.1
done
if [ -z "$PORT" ]; then echo "the server did not start" >&2; cat "$WORK/server.err" >&2; exit 1; fi
echo "== pyftpdlib TLS on 127.0.0.1:$PORT, $ROUNDS rounds, load: $(cut -d' ' -f1-3 /proc/loadavg)"

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }

# One timed run; the command's output goes to the log. Fails the script when
# the command fails or the bytes differ.
timed() {
  local what="$1" check_a="$2" check_b="$3"
  shift 3
  rm -f "$check_b"
  local t0 t1
  t0="$(now)"
  "$@" >> "$WORK/run.log" 2>&1 || { echo "$what failed" >&2; tail -20 "$WORK/run.log" >&2; exit 1; }
  t1="$(now)"
  cmp -s "$check_a" "$check_b" || { echo "$what: the bytes differ" >&2; exit 1; }
  elapsed "$t0" "$t1"
}

engine_get() {
  printf 'set truststore %s\nset timeout 60\ntls explicit\ntrust on\npassive on\nopen 127.0.0.1 %s user pass\nget big.bin %s\nquit\n' \
    "$WORK/trust.txt" "$PORT" "$WORK/client/engine.bin" | "$BUILD/tools/ftpsh"
}
engine_put() {
  printf 'set truststore %s\nset timeout 60\ntls explicit\ntrust on\npassive on\nopen 127.0.0.1 %s user pass\nput %s up-engine.bin\nquit\n' \
    "$WORK/trust.txt" "$PORT" "$WORK/root/big.bin" | "$BUILD/tools/ftpsh"
}
curl_get() { curl -sS --ssl-reqd -k -u user:pass -o "$WORK/client/curl.bin" "ftp://127.0.0.1:$PORT/big.bin"; }
curl_put() { curl -sS --ssl-reqd -k -u user:pass -T "$WORK/root/big.bin" "ftp://127.0.0.1:$PORT/up-curl.bin"; }

declare -A T
for round in $(seq "$ROUNDS"); do
  T[engine_down]+="$(timed "engine download" "$WORK/root/big.bin" "$WORK/client/engine.bin" engine_get) "
  T[curl_down]+="$(timed "curl download" "$WORK/root/big.bin" "$WORK/client/curl.bin" curl_get) "
  T[engine_up]+="$(timed "engine upload" "$WORK/root/big.bin" "$WORK/root/up-engine.bin" engine_put) "
  T[curl_up]+="$(timed "curl upload" "$WORK/root/big.bin" "$WORK/root/up-curl.bin" curl_put) "
  rm -f "$WORK/client/engine.bin" "$WORK/client/curl.bin"
  echo "round $round done"
done

median() { tr ' ' '\n' <<< "$1" | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
echo "== medians of $ROUNDS rounds, ${SIZE_MIB} MiB, explicit TLS, passive"
printf '%-16s %10s %10s   %s\n' "" "seconds" "MiB/s" "all rounds (s)"
for key in engine_down curl_down engine_up curl_up; do
  m="$(median "${T[$key]}")"
  printf '%-16s %10.2f %10.1f   %s\n' "$key" "$m" "$(echo "$SIZE_MIB / $m" | bc -l)" "${T[$key]}"
done
for dir in down up; do
  e="$(median "${T[engine_$dir]}")"
  c="$(median "${T[curl_$dir]}")"
  printf 'ratio %-4s (curl seconds / engine seconds): %.2f\n' "$dir" "$(echo "$c / $e" | bc -l)"
done
echo "== load after: $(cut -d' ' -f1-3 /proc/loadavg)"
