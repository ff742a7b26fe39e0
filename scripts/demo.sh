# The demo behind scripts/run, also used by the demo test and by
# scripts/screenshots. Source it, then:
#
#   demo_start FOLDER [STUDIES]  starts a demo archive (Orthanc) and two move
#                                destinations (storescp behind socat) on
#                                free ports, seeds the archive once and
#                                writes the demo Settings.ini into FOLDER
#                                (the program folder) when FOLDER has none
#                                yet; sets DEMO_PORT (the archive's DICOM
#                                port)
#   demo_running FOLDER          true while that folder's demo runs
#   demo_stop FOLDER             stops what demo_start started
#   demo_settings_file FILE      true when FILE is a demo Settings.ini
#
# Everything lives in FOLDER/demo: orthanc.json, the archive's data, the
# ports, the logs and what the destinations received (received/AET/).
# Needs: orthanc, dcmtk (storescp, echoscu), socat, procps (pgrep), curl.

DEMO_MARKER="; Pelko demo configuration"
DEMO_ARCHIVE_AET=DEMO_PACS
DEMO_LOCAL_AET=PELKO
DEMO_DESTINATIONS=(DEMO_VIEWER DEMO_REPORT)
DEMO_UNKNOWN_AET=DEMO_UNKNOWN

demo_settings_file() {
    local line="$DEMO_MARKER, written by scripts/run."
    [ -f "$1" ] && LC_ALL=C grep -qaxF -e "$line"$'\r' -e "$line" -- "$1"
}

# True when nothing listens on the loopback port.
_demo_port_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# A free port that is not one of the ports given.
_demo_free_port() {
    local p _
    for _ in $(seq 200); do
        p=$((20000 + RANDOM % 40000))
        case " $* " in *" $p "*) continue ;; esac
        if _demo_port_free "$p"; then echo "$p"; return 0; fi
    done
    echo "demo: no free port found" >&2
    return 1
}

# Keeps a remembered port while it is free, else picks another one.
_demo_port() {
    local remembered="$1"; shift
    if [ -n "$remembered" ] && _demo_port_free "$remembered"; then
        case " $* " in *" $remembered "*) ;; *) echo "$remembered"; return 0 ;; esac
    fi
    _demo_free_port "$@"
}

# The value of Query/Port in an INI file (first [Query] section, first Port).
_demo_ini_query_port() {
    LC_ALL=C awk '
        { line = $0; sub(/\r$/, "", line); t = line; gsub(/^[ \t\v]+|[ \t\v]+$/, "", t) }
        t ~ /^\[/ { name = substr(t, 2); i = index(name, "]"); if (i) name = substr(name, 1, i - 1)
                    gsub(/^[ \t\v]+|[ \t\v]+$/, "", name); inside = (tolower(name) == "query" && !seen++); next }
        inside && t !~ /^;/ && index(t, "=") {
            k = substr(t, 1, index(t, "=") - 1); gsub(/[ \t\v]+$/, "", k)
            if (tolower(k) == "port") { v = substr(t, index(t, "=") + 1); gsub(/^[ \t\v]+/, "", v); print v; exit }
        }' "$1"
}

# Rewrites Query/Port in place: only that line changes, every other byte of
# the file (comments, CRLF line ends, Latin-1 text) stays. Written to a
# temporary file beside it and renamed, so a crash never truncates it.
_demo_ini_set_query_port() {
    local file="$1" port="$2" tmp
    tmp="$(mktemp "$file.XXXXXX")"
    LC_ALL=C awk -v port="$port" '
        { line = $0; cr = ""; if (sub(/\r$/, "", line)) cr = "\r"; t = line; gsub(/^[ \t\v]+|[ \t\v]+$/, "", t) }
        t ~ /^\[/ { name = substr(t, 2); i = index(name, "]"); if (i) name = substr(name, 1, i - 1)
                    gsub(/^[ \t\v]+|[ \t\v]+$/, "", name); inside = (tolower(name) == "query" && !seen++) }
        t !~ /^\[/ && inside && !done && t !~ /^;/ && index(t, "=") {
            k = substr(t, 1, index(t, "=") - 1); gsub(/[ \t\v]+$/, "", k)
            if (tolower(k) == "port") { line = substr(line, 1, index(line, "=")) port; done = 1 }
        }
        { printf "%s%s\n", line, cr }' "$file" >"$tmp"
    chmod --reference="$file" "$tmp"
    mv -f "$tmp" "$file"
}

# The demo Settings.ini: ISO-8859-1 (here plain ASCII), CRLF line ends.
_demo_write_settings() {
    local file="$1" port="$2"
    printf '%s\r\n' \
        "$DEMO_MARKER, written by scripts/run." \
        "; Delete this file to start Pelko without the demo, or replace it with your own." \
        "[Local]" "AET=$DEMO_LOCAL_AET" \
        "[Query]" "AET=$DEMO_ARCHIVE_AET" "IP=127.0.0.1" "Port=$port" \
        "[General]" "Forward=0" "Registered=0" \
        "[Forward]" "Node0=Viewer|${DEMO_DESTINATIONS[0]}" "Node1=Reporting|${DEMO_DESTINATIONS[1]}" \
        "Node2=Not in archive|$DEMO_UNKNOWN_AET" "Node3=" \
        "[Active]" "0=1" "1=0" "2=0" \
        >"$file.tmp"
    mv -f "$file.tmp" "$file"
}

# What listens where: Orthanc (1.10 and 1.12) has no setting for the address
# it listens on, so its DICOM port is open on every interface; it accepts an
# association only from the demo's own AE titles calling from 127.0.0.1
# (known modalities, host checked, nothing allowed to others) and answers
# only to its own AE title. Its HTTP server runs only while the archive is
# seeded (REST answering loopback only), never while the demo is in use.
# The destinations listen on 127.0.0.1 only: socat accepts there and hands
# each connection to a storescp in inetd mode (storescp cannot bind to an
# address either).
_demo_write_orthanc_config() {
    local dir="$1" dicom="$2" http="$3" viewer="$4" report="$5" seeding="$6"
    local node='"AllowEcho": false, "AllowFind": false, "AllowMove": false, "AllowGet": false, "AllowStore": false'
    cat >"$dir/orthanc.json" <<EOF
{
  "Name": "Pelko demo archive",
  "StorageDirectory": "$dir/archive/storage",
  "IndexDirectory": "$dir/archive/index",
  "DicomAet": "$DEMO_ARCHIVE_AET",
  "DicomPort": $dicom,
  "HttpServerEnabled": $seeding,
  "HttpPort": $http,
  "RemoteAccessAllowed": false,
  "AuthenticationEnabled": false,
  "DicomCheckCalledAet": true,
  "DicomCheckModalityHost": true,
  "DicomAlwaysAllowEcho": false,
  "DicomAlwaysAllowFind": false,
  "DicomAlwaysAllowFindWorklist": false,
  "DicomAlwaysAllowGet": false,
  "DicomAlwaysAllowMove": false,
  "DicomAlwaysAllowStore": false,
  "DicomAssociationCloseDelay": 0,
  "SaveJobs": false,
  "Plugins": [],
  "DicomModalities": {
    "$DEMO_LOCAL_AET": { "AET": "$DEMO_LOCAL_AET", "Host": "127.0.0.1", "Port": 104,
                         "AllowFind": true, "AllowMove": true, "AllowGet": false, "AllowStore": false,
                         "AllowEcho": true },
    "${DEMO_DESTINATIONS[0]}": { "AET": "${DEMO_DESTINATIONS[0]}", "Host": "127.0.0.1", "Port": $viewer, $node },
    "${DEMO_DESTINATIONS[1]}": { "AET": "${DEMO_DESTINATIONS[1]}", "Host": "127.0.0.1", "Port": $report, $node }
  }
}
EOF
}

# Waits (polling, up to 30 s) until Orthanc answers its REST API.
_demo_wait_for_rest() {
    local pid="$1" http="$2" _
    for _ in $(seq 300); do
        curl -fs -o /dev/null "http://127.0.0.1:$http/system" && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Waits (polling, up to 30 s) until Orthanc answers a C-ECHO from the demo.
_demo_wait_for_dicom() {
    local pid="$1" dicom="$2" _
    for _ in $(seq 300); do
        echoscu -aet "$DEMO_LOCAL_AET" -aec "$DEMO_ARCHIVE_AET" 127.0.0.1 "$dicom" >/dev/null 2>&1 && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Stops one process of the demo and waits for it (Orthanc closes its
# database on TERM).
_demo_end() {
    local pid="$1" _
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 100); do _demo_alive "$pid" || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# Waits until a destination accepts connections.
_demo_wait_for_port() {
    local pid="$1" port="$2" _
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || return 1
        _demo_port_free "$port" || return 0
        sleep 0.1
    done
    return 1
}

# Latin-1 names, several modalities, dates from today back to years ago, and
# patients with more than one study. Prints one JSON body per line.
_demo_studies() {
    local count="$1"
    local -a patients=(
        "Müller^Jürgen|DEMO001|M|19580312" "Schäfer^Anna|DEMO002|F|19720704"
        "Weiß^Björn|DEMO003|M|19861122" "Lefèvre^Zoë|DEMO004|F|19900215"
        "Núñez^José|DEMO005|M|19450830" "Østergård^Åse|DEMO006|F|19630509"
        "Smith^John|DEMO007|M|19791201" "Kowalski^Ewa|DEMO008|F|20010917"
        "Bianchi^Marco|DEMO009|M|19550101" "Dubois^Hélène|DEMO010|F|19681024"
        "Jensen^Lars|DEMO011|M|19920606" "García^Lucía|DEMO012|F|19830330"
        "Brown^Emily|DEMO013|F|20150708" "Nagy^Péter|DEMO014|M|19490219"
        "Öztürk^Ayşe|DEMO015|F|19770511" "Meier^Hans^Peter|DEMO016|M|19600927"
        "O'Connor^Siobhán|DEMO017|F|19880403" "Rossi^Giulia|DEMO018|F|19951114"
        "Novák^Tomáš|DEMO019|M|19710623" "Andersson^Märta|DEMO020|F|19400113"
        "Fischer^Renée|DEMO021|F|19990802" "Ahmed^Omar|DEMO022|M|19821209"
        "Ito^Haruki|DEMO023|M|19740418" "Silva^João|DEMO024|M|19670725"
        "Hoffmann^Käthe|DEMO025|F|19521030"
    )
    # modality|SOP Class UID|study description
    local -a kinds=(
        "CT|1.2.840.10008.5.1.4.1.1.2|CT Thorax"
        "MR|1.2.840.10008.5.1.4.1.1.4|MRT Knie links"
        "CR|1.2.840.10008.5.1.4.1.1.1|Röntgen Thorax p.a."
        "US|1.2.840.10008.5.1.4.1.1.6.1|Sonographie Abdomen"
        "MG|1.2.840.10008.5.1.4.1.1.1.2|Mammographie beidseits"
        "DX|1.2.840.10008.5.1.4.1.1.1.1|Hand rechts 2 Ebenen"
        "CT|1.2.840.10008.5.1.4.1.1.2|CT Schädel nativ"
        "MR|1.2.840.10008.5.1.4.1.1.4|MRT LWS"
        "NM|1.2.840.10008.5.1.4.1.1.20|Skelettszintigraphie"
        "XA|1.2.840.10008.5.1.4.1.1.12.1|Koronarangiographie"
    )
    # Days back: today and yesterday often, the rest of the week, then older.
    local -a days=(0 0 1 0 1 2 3 4 5 6 0 1 9 14 30 45 90 180 365 800)
    local i
    for ((i = 0; i < count; i++)); do
        # Patients 1-15 come back for a second or third study.
        local p=$((i < 25 ? i : (i * 7) % 15))
        local name id sex birth modality sop description
        IFS='|' read -r name id sex birth <<<"${patients[$p]}"
        IFS='|' read -r modality sop description <<<"${kinds[$((i % ${#kinds[@]}))]}"
        local back=${days[$((i % ${#days[@]}))]}
        local date; date="$(date -d "-$back days" +%Y%m%d)"
        local time; time="$(printf '%02d%02d00' $((7 + i % 11)) $(((i * 13) % 60)))"
        # The "CT Thorax" studies come in several series, as from a
        # scanner: a scout, two reconstructions and a dose report.
        local -a series=("")
        if ((i % ${#kinds[@]} == 0)); then
            local study="1.2.826.0.1.3680043.9.7311.900.$i"
            series=()
            local s number what part images n
            for s in "1|CT|Topogramm|CHEST|1|$sop" "2|CT|Thorax 5 mm|CHEST|2|$sop" \
                     "3|CT|Thorax 1 mm Lunge|CHEST|3|$sop" "10|OT|Dosisreport||1|1.2.840.10008.5.1.4.1.1.7"; do
                IFS="|" read -r number what description part images sop <<<"$s"
                for ((n = 0; n < images; n++)); do
                    series+=(", \"StudyInstanceUID\": \"$study\", \"SeriesInstanceUID\": \"$study.$number\", \"SeriesNumber\": \"$number\", \"SeriesDescription\": \"$description\", \"BodyPartExamined\": \"$part\", \"SeriesTime\": \"$time\"|$what|$sop")
                done
            done
            description="CT Thorax"
        fi
        local one more
        for one in "${series[@]}"; do
            more="${one%%|*}"
            if [ -n "$one" ]; then IFS='|' read -r _ modality sop <<<"$one"; fi
            printf '{"Force": true, "Tags": {"SpecificCharacterSet": "ISO_IR 100", "PatientName": "%s", "PatientID": "%s", "PatientSex": "%s", "PatientBirthDate": "%s", "StudyDate": "%s", "StudyTime": "%s", "SeriesDate": "%s", "StudyDescription": "%s", "AccessionNumber": "ACC%05d", "Modality": "%s", "SOPClassUID": "%s", "ReferringPhysicianName": "Demo^Referrer", "InstitutionName": "Pelko Demo Hospital"%s}}\n' \
                "$name" "$id" "$sex" "$birth" "$date" "$time" "$date" "$description" $((1000 + i)) \
                "$modality" "$sop" "$more"
        done
    done
}

# Stores the demo studies through the REST API; once per archive.
_demo_seed() {
    local dir="$1" http="$2" count="$3" body
    [ -e "$dir/archive/seeded" ] && return 0
    while IFS= read -r body; do
        if ! curl -fs -o /dev/null -H 'Content-Type: application/json' --data-binary "$body" \
                "http://127.0.0.1:$http/tools/create-dicom"; then
            echo "demo: the archive refused a demo study: $body" >&2
            return 1
        fi
    done < <(_demo_studies "$count")
    echo "$count" >"$dir/archive/seeded"
}

# The demo processes of a folder that still run. A process id from an
# earlier run counts only while its command line still names the demo folder
# (ids are reused after a reboot).
_demo_pids() {
    local pid
    [ -f "$1/demo/pids" ] || return 0
    for pid in $(cat "$1/demo/pids"); do
        [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF "$1/demo/" && echo "$pid"
    done
    return 0
}

# True when the demo of this folder runs (started by another command).
demo_running() {
    [ -n "$(_demo_pids "$1")" ]
}

demo_start() {
    local folder; folder="$(cd "$1" && pwd)"
    local count="${2:-40}"
    local dir="$folder/demo" settings="$folder/Settings.ini"
    if demo_running "$folder"; then
        echo "demo: already running for $folder" >&2
        return 0
    fi
    mkdir -p "$dir/archive" "$dir/logs"
    # Ports of the last run, kept while they are free.
    local DEMO_DICOM_PORT="" DEMO_HTTP_PORT="" DEMO_VIEWER_PORT="" DEMO_REPORT_PORT=""
    # shellcheck disable=SC1091
    [ -f "$dir/ports" ] && . "$dir/ports"
    [ -f "$settings" ] && DEMO_DICOM_PORT="$(_demo_ini_query_port "$settings" | tr -d ' ')"

    local _
    : >"$dir/pids"
    for _ in 1 2 3; do
        local dicom http viewer report
        dicom="$(_demo_port "$DEMO_DICOM_PORT")" &&
            http="$(_demo_port "$DEMO_HTTP_PORT" "$dicom")" &&
            viewer="$(_demo_port "$DEMO_VIEWER_PORT" "$dicom" "$http")" &&
            report="$(_demo_port "$DEMO_REPORT_PORT" "$dicom" "$http" "$viewer")" || return 1
        printf 'DEMO_DICOM_PORT=%s\nDEMO_HTTP_PORT=%s\nDEMO_VIEWER_PORT=%s\nDEMO_REPORT_PORT=%s\n' \
            "$dicom" "$http" "$viewer" "$report" >"$dir/ports"
        local ok=1 aet port pid
        for aet in "${DEMO_DESTINATIONS[@]}"; do
            port="$viewer"; [ "$aet" = "${DEMO_DESTINATIONS[1]}" ] && port="$report"
            mkdir -p "$dir/received/$aet"
            socat "TCP-LISTEN:$port,bind=127.0.0.1,reuseaddr,fork" \
                EXEC:"storescp --inetd -aet $aet -od $dir/received/$aet" >>"$dir/logs/$aet.log" 2>&1 &
            pid=$!
            echo "$pid" >>"$dir/pids"
            _demo_wait_for_port "$pid" "$port" || ok=0
        done
        # Seeding, once: the only time the REST API runs.
        if [ "$ok" = 1 ] && [ ! -e "$dir/archive/seeded" ]; then
            _demo_write_orthanc_config "$dir" "$dicom" "$http" "$viewer" "$report" true
            Orthanc "$dir/orthanc.json" >>"$dir/logs/orthanc.log" 2>&1 &
            pid=$!
            echo "$pid" >>"$dir/pids"
            if _demo_wait_for_rest "$pid" "$http"; then
                _demo_seed "$dir" "$http" "$count" || { demo_stop "$folder"; return 1; }
            else
                ok=0
            fi
            _demo_end "$pid"
        fi
        if [ "$ok" = 1 ]; then
            _demo_write_orthanc_config "$dir" "$dicom" "$http" "$viewer" "$report" false
            Orthanc "$dir/orthanc.json" >>"$dir/logs/orthanc.log" 2>&1 &
            pid=$!
            echo "$pid" >>"$dir/pids"
            _demo_wait_for_dicom "$pid" "$dicom" || ok=0
        fi
        if [ "$ok" = 1 ]; then
            if [ ! -e "$settings" ]; then
                _demo_write_settings "$settings" "$dicom"
            elif [ "$(_demo_ini_query_port "$settings" | tr -d ' ')" != "$dicom" ]; then
                _demo_ini_set_query_port "$settings" "$dicom"
            fi
            # shellcheck disable=SC2034  # for the caller
            DEMO_PORT="$dicom"
            return 0
        fi
        # A port was taken in the meantime: try again with fresh ones.
        demo_stop "$folder"
        DEMO_DICOM_PORT="" DEMO_HTTP_PORT="" DEMO_VIEWER_PORT="" DEMO_REPORT_PORT=""
    done
    echo "demo: the demo archive did not start; see $dir/logs/" >&2
    return 1
}

# True while the process runs (an exited child not yet reaped does not).
_demo_alive() {
    local stat
    stat="$(cat "/proc/$1/stat" 2>/dev/null)" || return 1
    stat="${stat##*) }"
    [ "${stat%% *}" != Z ]
}

demo_stop() {
    local folder pid _
    folder="$(cd "$1" && pwd)" || return 0
    local pids; pids="$(_demo_pids "$folder")"
    [ -n "$pids" ] || return 0
    # The destinations' storescp that still receive, started by socat.
    for pid in $pids; do pids+=" $(pgrep -P "$pid" | tr '\n' ' ' || true)"; done
    for pid in $pids; do kill -TERM "$pid" 2>/dev/null || true; done
    # Orthanc closes its database on TERM; wait for that, then insist.
    for _ in $(seq 100); do
        local alive=0
        for pid in $pids; do _demo_alive "$pid" && alive=1; done
        [ "$alive" = 0 ] && break
        sleep 0.1
    done
    for pid in $pids; do kill -KILL "$pid" 2>/dev/null || true; done
    for pid in $pids; do wait "$pid" 2>/dev/null || true; done
    : >"$folder/demo/pids"
}
