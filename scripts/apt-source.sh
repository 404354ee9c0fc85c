#!/usr/bin/env bash
# Fetches and unpacks one Debian source package into a folder with a private apt state,
# taking its deb-src lines from the machine's own deb entries: no system file changes, and
# the machine's package lists stay as they are.
#
#   bash scripts/apt-source.sh [--upstream] PACKAGE VERSION DEST
#
# DEST (created) receives the unpacked source tree; the downloads stay in a temp folder.
# --upstream fetches only the upstream tarball (checked against the hash of apt's signed
# index) and unpacks it without the Debian changes: enough for the upstream test files,
# and it works where a mirror lacks the package's Debian tarball.
set -euo pipefail

upstream=0
[ "${1:-}" = --upstream ] && { upstream=1; shift; }
[ $# -eq 3 ] || { echo "usage: $0 [--upstream] PACKAGE VERSION DEST" >&2; exit 2; }
package=$1 version=$2 dest=$3

# Writes deb-src lines for every deb entry of the machine's own sources (deb822 files and
# one-line lists alike), so the source package comes from the mirror this machine trusts.
write_source_list() {
    local out=$1
    : >"$out"
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -e "$f" ] || continue
        awk '
            function flush() {
                if (types ~ /(^| )deb( |$)/ && uris != "" && suites != "")
                    for (u = 1; u <= split(uris, U, " "); u++)
                        for (s = 1; s <= split(suites, S, " "); s++)
                            printf "deb-src %s%s %s %s\n", signed, U[u], S[s], comps
                types = uris = suites = comps = signed = ""
            }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            {
                key = $1; sub(/:$/, "", key); $1 = ""; sub(/^ +/, "")
                if (key == "Types") types = $0
                else if (key == "URIs") uris = $0
                else if (key == "Suites") suites = $0
                else if (key == "Components") comps = $0
                else if (key == "Signed-By" && $0 ~ /^\//) signed = "[signed-by=" $0 "] "
                else if (key == "Enabled" && tolower($0) == "no") types = ""
            }
            END { flush() }' "$f" >>"$out"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -e "$f" ] || continue
        sed -n 's/^[ \t]*deb\([ \t]\)/deb-src\1/p' "$f" >>"$out"
    done
    [ -s "$out" ] || { echo "no apt sources found to fetch $package from" >&2; exit 1; }
}

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-apt-source.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/state/lists/partial" "$work/cache/archives/partial" "$work/parts" "$dest"
write_source_list "$work/sources.list"
opts=(-o Dir::Etc::SourceList="$work/sources.list"
      -o Dir::Etc::SourceParts="$work/parts"
      -o Dir::State="$work/state"
      -o Dir::State::status=/var/lib/dpkg/status
      -o Dir::Cache="$work/cache"
      -o APT::Sandbox::User=root)
apt-get "${opts[@]}" update -qq
if [ $upstream -eq 0 ]; then
    (cd "$dest" && apt-get "${opts[@]}" source -qq "$package=$version")
    exit 0
fi
# Lines of: 'URI' FILE SIZE HASH
read -r uri file _ hash < <(apt-get "${opts[@]}" --print-uris source -qq "$package=$version" |
                             grep -E "^'[^']*\.orig\.tar\.[a-z0-9]+' ") ||
    { echo "no upstream tarball of $package $version in the apt sources" >&2; exit 1; }
uri=${uri#\'}
/usr/lib/apt/apt-helper -qq -o APT::Sandbox::User=root \
    download-file "${uri%\'}" "$work/$file" "$hash"
tar -xf "$work/$file" -C "$dest"
