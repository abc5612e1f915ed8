#!/usr/bin/env bash
# Two computers kept in step by two Syncthing instances on this machine: a day
# goal typed on a must reach b's log, then b's change of it must reach a.
#   scripts/sync-e2e.sh <sync_peer program>
# Everything stays on 127.0.0.1 (no discovery, relays, NAT, usage or crash
# reports, upgrades). Exit 77 (skipped) when syncthing is not installed.
set -euo pipefail

peer=${1:?usage: sync-e2e.sh <sync_peer program>}
command -v syncthing >/dev/null || { echo "syncthing is not installed: skipped"; exit 77; }
export STNODEFAULTFOLDER=1 STNOUPGRADE=1 STNORESTART=1

work=$(mktemp -d)
pids=()
stop_instances() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do # each gets up to 5 s to stop cleanly
    for _ in {1..50}; do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop_instances EXIT
trap 'exit 130' INT TERM

fail() {
  echo "FAILED: $*" >&2
  for n in a b; do
    echo "--- Syncthing $n, last lines of its log ---" >&2
    tail -n 40 "$work/$n.log" >&2 || true
  done
  exit 1
}

# Polls <command...> every 0.1 s until it succeeds, at most <seconds>.
wait_until() { # <seconds> <what failed> <command...>
  local deadline=$((SECONDS + $1)) what=$2
  shift 2
  until "$@"; do
    ((SECONDS < deadline)) || fail "$what"
    sleep 0.1
  done
}

# Four free loopback ports: sync protocol and GUI/REST for each instance.
read -r sync_a sync_b gui_a gui_b < <(python3 -c '
import socket
s = [socket.socket() for _ in range(4)]
for x in s: x.bind(("127.0.0.1", 0))
print(*(x.getsockname()[1] for x in s))')
declare -A sync_port=([a]=$sync_a [b]=$sync_b) gui_port=([a]=$gui_a [b]=$gui_b) id
for n in a b; do
  syncthing generate --home="$work/$n/home" --no-default-folder --skip-port-probing >"$work/$n.log" 2>&1
  id[$n]=$(syncthing serve --home="$work/$n/home" --device-id)
  mkdir -p "$work/$n/shared/.stfolder" "$work/$n/data"
done

write_config() { # <this computer> <the other one> <the other one's address>
  local me=$1 other=$2 address=$3
  cat >"$work/$me/home/config.xml" <<EOF
<configuration version="36">
  <folder id="jotrak-log" path="$work/$me/shared" type="sendreceive"
          rescanIntervalS="5" fsWatcherEnabled="true" fsWatcherDelayS="1">
    <device id="${id[$me]}"></device>
    <device id="${id[$other]}"></device>
  </folder>
  <device id="${id[$me]}" name="$me"><address>dynamic</address></device>
  <device id="${id[$other]}" name="$other"><address>$address</address></device>
  <gui enabled="true" tls="false">
    <address>127.0.0.1:${gui_port[$me]}</address>
    <apikey>jotrak-e2e-$me-$RANDOM$RANDOM</apikey>
  </gui>
  <options>
    <listenAddress>tcp://127.0.0.1:${sync_port[$me]}</listenAddress>
    <reconnectionIntervalS>1</reconnectionIntervalS>
    <globalAnnounceEnabled>false</globalAnnounceEnabled>
    <localAnnounceEnabled>false</localAnnounceEnabled>
    <relaysEnabled>false</relaysEnabled>
    <natEnabled>false</natEnabled>
    <announceLANAddresses>false</announceLANAddresses>
    <urAccepted>-1</urAccepted>
    <crashReportingEnabled>false</crashReportingEnabled>
    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
    <startBrowser>false</startBrowser>
  </options>
</configuration>
EOF
}
# Only b dials, and only once a listens: Syncthing dials from its listening
# port, so two instances dialling each other at once can make one TCP
# connection from both ends, whose handshake hangs for 20 s; a refused first
# dial is retried only after 5 s.
write_config a b dynamic
write_config b a "tcp://127.0.0.1:$sync_a"

start() {
  timeout 170 syncthing serve --home="$work/$1/home" --no-browser --no-restart --no-upgrade \
    --logflags=3 >>"$work/$1.log" 2>&1 &
  pids+=($!)
}
answers() { syncthing cli --home="$work/$1/home" show system >/dev/null 2>&1; }
connected() {
  local state
  state=$(syncthing cli --home="$work/$1/home" show connections 2>/dev/null) && [[ $state == *'"connected": true'* ]]
}
start a
wait_until 30 "Syncthing a did not answer on its REST API within 30 s" answers a
start b
wait_until 30 "the two Syncthing instances did not connect within 30 s" eval "connected a && connected b"

# Stores the day goal <text> on <from>, then runs exchanges on <to> until its
# log shows that text.
has_goal() { # <computer> <text>
  local content
  timeout 20 "$peer" round "$work/$1/data" "$work/$1/shared" >/dev/null || fail "sync_peer round on $1 failed"
  content=$(timeout 20 "$peer" content "$work/$1/data") || fail "sync_peer content on $1 failed"
  grep -Fqx "Ri | 20261207 | $2" <<<"$content"
}
carry() { # <from> <to> <text>
  local start=${EPOCHREALTIME/[.,]/} ms
  timeout 20 "$peer" goal "$work/$1/data" "$work/$1/shared" 20261207 "$3" >/dev/null ||
    fail "sync_peer goal on $1 failed"
  wait_until 30 "the day goal typed on $1 did not reach $2 within 30 s" has_goal "$2" "$3"
  ms=$(((${EPOCHREALTIME/[.,]/} - start) / 1000))
  printf 'a day goal typed on %s reached %s in %d.%03d s\n' "$1" "$2" $((ms / 1000)) $((ms % 1000))
}
carry a b "周一:写完 Bob's 同步测试,'引号'也要对"
carry b a "周一:改过了 —— Alice's 版本,在 B 上改"
