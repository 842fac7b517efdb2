#!/usr/bin/env bash
# Engine vs curl against vsftpd on 127.0.0.1: 1 GiB down and up in passive
# and active mode, several rounds, and the listing of a folder of 100,000
# entries. Installs vsftpd when missing and runs it standalone with a
# temporary configuration (needs root, or sudo). Nothing is left running.
#   bench/transfer.sh [ROUNDS] [SIZE_MIB]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"
ROUNDS="${1:-3}"
SIZE_MIB="${2:-1024}"
PORT="${BENCH_FTP_PORT:-2199}"
if (exec 3<>/dev/tcp/127.0.0.1/"$PORT") 2>/dev/null; then
  echo "port $PORT is in use; set BENCH_FTP_PORT" >&2
  exit 1
fi

ensure_packages vsftpd
build_project

WORK="$(mktemp -d /tmp/bw-bench.XXXXXX)"
SERVER=""
cleanup() {
  if [ -n "$SERVER" ]; then as_root kill "$SERVER" 2>/dev/null || true; fi
  as_root rm -rf "$WORK"
}
trap cleanup EXIT

# Anonymous root owned by root (vsftpd refuses a writable chroot), an upload
# folder owned by the ftp user.
FTPROOT="$WORK/root"
as_root mkdir -p "$FTPROOT/up" "$FTPROOT/many"
as_root chmod 755 "$WORK" "$FTPROOT"
echo "== creating a ${SIZE_MIB} MiB file and a folder of 100,000 files"
as_root head -c "$((SIZE_MIB * 1048576))" /dev/urandom | as_root tee "$FTPROOT/big.bin" > /dev/null
as_root /usr/bin/python3 - "$FTPROOT/many" <<'PY'
import os, sys
d = sys.argv[1]
for i in range(100000):
    open(os.path.join(d, "file_%06d.dat" % i), "wb").close()
PY
as_root chown ftp "$FTPROOT/up"

cat > "$WORK/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$PORT
anonymous_enable=YES
local_enable=NO
no_anon_password=YES
anon_root=$FTPROOT
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
pasv_enable=YES
port_enable=YES
connect_from_port_20=NO
use_sendfile=YES
seccomp_sandbox=NO
background=NO
xferlog_enable=NO
max_clients=50
CONF

# Started directly (not through a function, whose subshell $! would name),
# so the exit trap stops the server itself.
if [ "$(id -u)" -eq 0 ]; then
  /usr/sbin/vsftpd "$WORK/vsftpd.conf" &
else
  sudo /usr/sbin/vsftpd "$WORK/vsftpd.conf" &
fi
SERVER=$!
if ! kill -0 "$SERVER" 2>/dev/null; then echo "vsftpd did not start" >&2; exit 1; fi
for _ in $(seq 50); do
  if (exec 3<>/dev/tcp/127.0.0.1/"$PORT") 2>/dev/null; then break; fi
  sleep 0.1
done

echo "== vsftpd on 127.0.0.1:$PORT, $ROUNDS rounds"
mkdir -p "$WORK/client"
"$BUILD/bench/transfer" --port "$PORT" --file big.bin --upload-dir up --list-dir many \
  --work "$WORK/client" --rounds "$ROUNDS"
