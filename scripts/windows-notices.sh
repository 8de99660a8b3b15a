#!/usr/bin/env bash
# Puts the licences of the third-party components into the Windows program's folder, beside
# their DLLs, and writes THIRD-PARTY-NOTICES.txt: each component with its version, its files, its
# licence and the Debian source package that the DLL was built from. Each licence file holds
# Debian's copyright record of that source package, which gives the licence of every part of it,
# followed by the full text of each common licence the record names. A DLL that belongs to no
# component known here fails the script, so that nothing is shipped without its licence.
#
#   scripts/windows-notices.sh <program folder> <Windows toolchain folder> <program version>
set -euo pipefail

folder=$1
toolchain=$2
version=$3
say() { printf 'windows-notices: %s\n' "$*" >&2; }
fail() {
    say "$*"
    exit 1
}

# Each component: its name in the notices, the Debian package whose copyright record and source
# package it comes with, the DLLs (below the program folder) that are made of it, the file of
# its licences, and its licence in short.
names=(qt jpeg gcc winpthreads)
declare -A title package dlls licence_file summary
title[qt]="Qt"
package[qt]=qt6-base-dev
dlls[qt]="Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll"
licence_file[qt]=Qt-LICENSE.txt
summary[qt]="GNU Lesser General Public License version 3 (LGPL-3.0-only). The
            DLLs also hold code of FreeType, HarfBuzz, zlib, PCRE2, libpng and
            other libraries that Qt bundles, each under its own licence, as
            Qt-LICENSE.txt lists them."
title[jpeg]="libjpeg-turbo"
package[jpeg]=libjpeg62-turbo
dlls[jpeg]="libjpeg-62.dll"
licence_file[jpeg]=libjpeg-turbo-LICENSE.txt
summary[jpeg]="the Independent JPEG Group's licence, BSD-3-Clause and zlib"
title[gcc]="GCC runtime libraries (libgcc, libstdc++) of mingw-w64's GCC"
package[gcc]=gcc-mingw-w64-x86-64-posix-runtime
dlls[gcc]="libgcc_s_seh-1.dll libstdc++-6.dll"
licence_file[gcc]=GCC-runtime-LICENSE.txt
summary[gcc]="GNU General Public License version 3 with the GCC Runtime Library
            Exception version 3.1"
title[winpthreads]="mingw-w64 winpthreads"
package[winpthreads]=mingw-w64-x86-64-dev
dlls[winpthreads]="libwinpthread-1.dll"
licence_file[winpthreads]=winpthreads-LICENSE.txt
summary[winpthreads]="MIT (Expat) licence, parts BSD-3-Clause"

field() {
    dpkg-query -W -f="\${$2}" "$1" 2>/dev/null | grep . ||
        fail "the Debian package $1 is not installed; run scripts/install-windows-deps.sh first"
}
# A version as its authors number it: no Debian epoch, revision or repacking suffix.
upstream() {
    local bare=${1#*:}
    bare=${bare%%-*}
    printf '%s' "${bare%%+*}"
}
snapshot() {
    local encoded=${2//:/%3A}
    printf 'https://snapshot.debian.org/package/%s/%s/' "$1" "${encoded//+/%2B}"
}

# What dpkg knows of each component's package: its source package and their versions.
declare -A source source_version binary_version record
for name in "${names[@]}"; do
    source[$name]=$(field "${package[$name]}" source:Package)
    source_version[$name]=$(field "${package[$name]}" source:Version)
    binary_version[$name]=$(field "${package[$name]}" Version)
    record[$name]=$(readlink -f "/usr/share/doc/${package[$name]}/copyright")
    [ -f "${record[$name]}" ] ||
        fail "Debian's copyright record of ${package[$name]} is missing: ${record[$name]}"
done

# The toolchain's record of what it was built from must be what the copyright records describe.
check_built_from() {
    local source=$1 wanted=$2
    grep -qxF "$source $wanted" "$toolchain/.complete" ||
        fail "the Windows toolchain was not built from $source $wanted; rebuild it with scripts/windows-toolchain.sh"
}
check_built_from qt6-base "${source_version[qt]}"
check_built_from libjpeg-turbo "${source_version[jpeg]}"
# The runtime DLLs are the installed cross compiler's, copied when the toolchain was built.
check_built_from g++-mingw-w64-x86-64-posix "${source_version[gcc]}"
# Every DLL of the folder belongs to one component.
shipped=$(cd "$folder" && find . -iname '*.dll' | sed 's|^\./||' | sort)
for dll in $shipped; do
    owner=
    for name in "${names[@]}"; do
        [[ " ${dlls[$name]} " == *" $dll "* ]] && owner=$name
    done
    [ -n "$owner" ] || fail "$dll belongs to no component whose licence is known here"
done

crlf() { sed 's/\r$//; s/$/\r/'; }

notices=$folder/THIRD-PARTY-NOTICES.txt
{
    cat <<EOF
TuneMora Tools $version for Windows: third-party notices

TuneMora Tools uses the libraries below, each under its own licence. They are
shipped as DLLs beside the program, so each can be replaced by another build of
the same version. The full licence texts are in the files named, in this folder.

Every library was built from the Debian source package named with it; the
source of each stays available at the address given, and from any Debian mirror
with "apt-get source <package>=<version>".
EOF
    for name in "${names[@]}"; do
        files=
        for dll in ${dlls[$name]}; do
            if [[ $'\n'"$shipped"$'\n' == *$'\n'"$dll"$'\n'* ]]; then
                files+="${files:+, }${dll//\//\\}"
            fi
        done
        [ -n "$files" ] || continue
        printf '\n%s %s\n' "${title[$name]}" "$(upstream "${binary_version[$name]}")"
        printf '  Files:    %s\n' "$files"
        printf '  Licence:  %s\n' "${summary[$name]}"
        printf '  Text:     %s\n' "${licence_file[$name]}"
        printf '  Source:   Debian source package %s %s\n' "${source[$name]}" "${source_version[$name]}"
        printf '            %s\n' "$(snapshot "${source[$name]}" "${source_version[$name]}")"
        if [ "$name" = gcc ]; then
            # gcc-mingw-w64 carries no GCC of its own: it builds Debian's GCC sources, whose
            # version leads its binary packages' version.
            gcc_version=${binary_version[gcc]%%+"${source_version[gcc]}"*}
            printf '            built from the sources of Debian source package gcc-12 %s\n' \
                "$gcc_version"
            printf '            %s\n' "$(snapshot gcc-12 "$gcc_version")"
        fi
    done
} | crlf >"$notices"

for name in "${names[@]}"; do
    {
        printf '%s: the licences of every part, as Debian records them for %s %s\n\n' \
            "${title[$name]}" "${source[$name]}" "${source_version[$name]}"
        cat "${record[$name]}"
        # The common licences that the record names by their place on a Debian system, each
        # once, whatever name of it the record uses (GPL is GPL-3).
        { grep -o '/usr/share/common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9]' "${record[$name]}" || true; } |
            xargs -r readlink -f | sort -u | while read -r common; do
                printf '\n\n===== %s =====\n\n' "${common##*/}"
                cat "$common"
            done
    } | crlf >"$folder/${licence_file[$name]}"
done
say "notices and licences written into $folder"
