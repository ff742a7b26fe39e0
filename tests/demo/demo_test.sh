#!/usr/bin/env bash
# The demo of scripts/run against real DICOM clients: it starts, a C-FIND
# finds the seeded studies, a C-MOVE delivers to a demo destination and not
# to the node the archive does not know, a second start reuses the archive
# and rewrites only the port it must, and stopping leaves no process behind.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/demo.sh"

folder="$(mktemp -d)"
blocker=""
cleanup() {
    demo_stop "$folder"
    [ -n "$blocker" ] && kill "$blocker" 2>/dev/null && wait "$blocker" 2>/dev/null
    rm -rf "$folder"
}
trap cleanup EXIT
failures=0
check() {  # check "what" command...
    local what="$1"; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
studies=12

find_studies() {  # prints one Study Instance UID a line
    findscu -aet "$DEMO_LOCAL_AET" -aec "$DEMO_ARCHIVE_AET" 127.0.0.1 "$DEMO_PORT" -S \
        -k QueryRetrieveLevel=STUDY -k StudyInstanceUID -k "$@" 2>&1 |
        grep -a '(0020,000d)' | grep -ao '\[[0-9.]*' | tr -d '['
}
move_study() {  # move_study DESTINATION UID
    movescu -aet "$DEMO_LOCAL_AET" -aec "$DEMO_ARCHIVE_AET" -aem "$1" 127.0.0.1 "$DEMO_PORT" -S \
        -k QueryRetrieveLevel=STUDY -k "StudyInstanceUID=$2" >"$folder/move.log" 2>&1
}
no_demo_process() {
    ! pgrep -f "$folder/demo/" >/dev/null
}

check "the demo starts" demo_start "$folder" "$studies"
settings="$(cat "$folder/Settings.ini"; echo x)"
check "Settings.ini has CRLF line ends only" bash -c "! LC_ALL=C grep -qav \$'\r\$' '$folder/Settings.ini'"
check "Settings.ini says it is a demo" demo_settings_file "$folder/Settings.ini"
check "Settings.ini points at the archive" grep -qa $'^Port='"$DEMO_PORT"$'\r$' "$folder/Settings.ini"
check "three nodes, one unknown to the archive" grep -qa $'^Node2=.*|DEMO_UNKNOWN\r$' "$folder/Settings.ini"

check "C-FIND finds every seeded study" test "$(find_studies PatientName | wc -l)" -eq "$studies"
latin1_name() {
    findscu -aet "$DEMO_LOCAL_AET" -aec "$DEMO_ARCHIVE_AET" 127.0.0.1 "$DEMO_PORT" -S \
        -k QueryRetrieveLevel=STUDY -k PatientID=DEMO001 -k PatientName 2>&1 |
        grep -a '(0010,0010)' | LC_ALL=C grep -qa $'M\xfcller^J\xfcrgen'
}
check "names arrive in ISO-8859-1" latin1_name
check "today's studies are found" test "$(find_studies "StudyDate=$(date +%Y%m%d)" | wc -l)" -ge 1
uid="$(find_studies PatientID=DEMO007 | head -1)"
check "C-MOVE to a demo destination succeeds" move_study DEMO_VIEWER "$uid"
check "the destination received the study" test "$(ls "$folder/demo/received/DEMO_VIEWER" | wc -l)" -eq 1
move_fails() { ! move_study "$@"; }
check "C-MOVE to the unknown node fails" move_fails "$DEMO_UNKNOWN_AET" "$uid"

# What listens, as the README says: the destinations on 127.0.0.1, the
# archive's DICOM port on every interface (Orthanc cannot bind), no HTTP;
# the archive answers only the demo's AE title from loopback.
only_loopback_but_dicom() {
    local pid addresses
    addresses="$(for pid in $(_demo_pids "$folder"); do ss -ltnpH | grep -F "pid=$pid," | awk '{ print $4 }'; done)"
    echo "$addresses"
    [ "$(grep -c '^127\.0\.0\.1:' <<<"$addresses")" = 2 ] && [ "$(wc -l <<<"$addresses")" = 3 ] &&
        grep -qxE "(0\.0\.0\.0|\*|\[::\]):$DEMO_PORT" <<<"$addresses"
}
check "only the archive's DICOM port listens beyond loopback" only_loopback_but_dicom
echo_from() { echoscu -aet "$1" -aec "$DEMO_ARCHIVE_AET" "$2" "$DEMO_PORT" >/dev/null 2>&1; }
refused() { ! echo_from "$@"; }
check "the archive answers the demo's C-ECHO" echo_from "$DEMO_LOCAL_AET" 127.0.0.1
check "the archive refuses another AE title" refused OTHER 127.0.0.1
outside="$(hostname -I 2>/dev/null | tr ' ' '\n' | grep -v -e '^127\.' -e ':' -e '^$' | head -n 1)"
[ -z "$outside" ] || check "the archive refuses the demo's AE title from $outside" refused "$DEMO_LOCAL_AET" "$outside"

demo_stop "$folder"
check "stopping leaves no demo process" no_demo_process

# Someone else takes the archive's port meanwhile: the second start moves to
# a free one and changes only that line of Settings.ini.
old_port="$DEMO_PORT"
storescp -aet BLOCKER "$old_port" >/dev/null 2>&1 &
blocker=$!
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$old_port") 2>/dev/null && break; sleep 0.1; done
check "the demo starts again" demo_start "$folder" "$studies"
check "the archive moved to another port" test "$DEMO_PORT" != "$old_port"
expected="${settings/Port=$old_port/Port=$DEMO_PORT}"
check "only Query/Port changed in Settings.ini" test "$(cat "$folder/Settings.ini"; echo x)" = "$expected"
check "the archive was not seeded again" test "$(find_studies PatientName | wc -l)" -eq "$studies"
demo_stop "$folder"
check "stopping again leaves no demo process" no_demo_process

exit $((failures > 0))
