# What CI's fresh Debian root takes from this machine's apt configuration:
# the Debian mirror and the proxy, so that a site with a mirror or a proxy of
# its own needs no setting. Source it.

# apt_debian_mirror [APT_DIR] [CODENAME]: prints the address of the first
# source in APT_DIR (default /etc/apt) of type "deb" that carries the Debian
# release CODENAME itself (default: this machine's, from /etc/os-release),
# in the order apt reads them: sources.list, then sources.list.d/*.list
# (one-line form) and *.sources (deb822 form) by name. Entries of
# CODENAME-security or CODENAME-updates and disabled ones do not count.
# Fails when there is none.
apt_debian_mirror() {
    local dir="${1:-/etc/apt}" codename="${2:-}" file
    if [ -z "$codename" ]; then
        codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
    fi
    [ -n "$codename" ] || return 1
    local -a files=()
    [ -f "$dir/sources.list" ] && files+=("$dir/sources.list")
    for file in "$dir"/sources.list.d/*; do
        case "$file" in *.list | *.sources) [ -f "$file" ] && files+=("$file") ;; esac
    done
    [ ${#files[@]} -gt 0 ] || return 1
    local mirror
    mirror="$(for file in "${files[@]}"; do
        case "$file" in
            *.sources) _apt_deb822_entries <"$file" ;;
            *) _apt_one_line_entries <"$file" ;;
        esac
    done | awk -F '\t' -v want="$codename" '
        { n = split($3, suites, " ")
          for (i = 1; i <= n; i++) if (suites[i] == want && $2 ~ /^(https?|file):/) { print $2; exit } }')"
    [ -n "$mirror" ] || return 1
    echo "${mirror%/}"
}

# One entry a line from one-line sources: TYPES<TAB>URI<TAB>SUITE.
_apt_one_line_entries() {
    sed -e 's/#.*//' -e 's/\[[^]]*\]//' | awk '$1 == "deb" && NF >= 3 { printf "deb\t%s\t%s\n", $2, $3 }'
}

# One entry a line from deb822 sources: TYPES<TAB>URI<TAB>SUITES (one line
# for each URI of a stanza).
_apt_deb822_entries() {
    awk '
        function flush(   n, i, u) {
            if (types ~ /(^| )deb( |$)/ && tolower(enabled) != "no") {
                n = split(uris, u, " ")
                for (i = 1; i <= n; i++) printf "deb\t%s\t%s\n", u[i], suites
            }
            types = uris = suites = enabled = ""
        }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        /^[^ \t]/ {
            key = tolower(substr($0, 1, index($0, ":") - 1)); value = substr($0, index($0, ":") + 1)
            gsub(/^[ \t]+|[ \t]+$/, "", value); gsub(/[ \t]+/, " ", value)
            if (key == "types") types = value
            else if (key == "uris") uris = value
            else if (key == "suites") suites = value
            else if (key == "enabled") enabled = value
        }
        END { flush() }'
}

# apt_proxy SCHEME: the proxy apt uses for SCHEME (http or https), if any.
apt_proxy() {
    local proxy=""
    eval "$(apt-config shell proxy "Acquire::$1::Proxy")"
    case "$proxy" in "" | DIRECT | false) ;; *) echo "$proxy" ;; esac
}
