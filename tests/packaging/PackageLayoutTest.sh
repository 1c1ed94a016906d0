#!/usr/bin/env bash
# Builds the two Debian packages from a configured and built tree with cpack, unpacks them into a
# temporary root and checks what an installation would hold: the programs (which must answer
# --help and --version), the desktop entry, icons, metainfo, systemd units, manual pages and shell
# completion, each validated by the tool a distribution would use on it.
#
# Usage: PackageLayoutTest.sh BUILD_DIR VERSION
# Exit codes: 0 passed, 1 failed.
set -uo pipefail

readonly build=$1
readonly version=$2
readonly app_id=com.tessel.quillora
readonly extension=quillora-companion@tessel.com
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
readonly root=$work/root
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

note() {
    echo "packaging: $*"
}

# ---- Build and unpack ---------------------------------------------------------------------------

# gzip instead of xz: the packages are thrown away, and xz costs most of the time here.
if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip \
    >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the packages" >&2
    exit 1
fi

declare -A deb
for package in quillora quillora-server; do
    deb[$package]=$(find "$work/out" -maxdepth 1 -name "${package}_${version}-1_*.deb" | head -1)
    if [ -z "${deb[$package]}" ]; then
        ls "$work/out" >&2
        echo "FAIL: no package ${package}_${version}-1 was built" >&2
        exit 1
    fi
    dpkg-deb -x "${deb[$package]}" "$root" || fail "$package does not unpack"
done

# ---- Control fields -----------------------------------------------------------------------------

check_field() {
    local package=$1 field=$2 pattern=$3
    local value
    value=$(dpkg-deb -f "${deb[$package]}" "$field")
    grep -Eq -- "$pattern" <<<"$value" || fail "$package: $field \"$value\" does not match $pattern"
}
check_field quillora Version "^${version//./\\.}-1$"
check_field quillora Depends 'libqt6widgets6'
check_field quillora Depends 'at-spi2-core'
check_field quillora Depends 'qt6-qpa-plugins'
check_field quillora-server Depends 'libqt6httpserver6'
check_field quillora-server Depends 'libqt6sql6-sqlite'
check_field quillora-server Depends 'hunspell-en-us'
check_field quillora-server Recommends 'libqt6sql6-psql'
for package in quillora quillora-server; do
    description=$(dpkg-deb -f "${deb[$package]}" Description)
    [ "$(wc -l <<<"$description")" -ge 3 ] || fail "$package has no long description"
done
dpkg-deb --info "${deb[quillora-server]}" conffiles 2>/dev/null | grep -qx /etc/default/quillora-server ||
    fail "/etc/default/quillora-server is not a conffile"

# ---- Layout -------------------------------------------------------------------------------------

expected=(
    usr/bin/quillora
    usr/bin/quilloractl
    usr/bin/quillora-server
    usr/share/applications/$app_id.desktop
    usr/share/icons/hicolor/scalable/apps/$app_id.svg
    usr/share/metainfo/$app_id.metainfo.xml
    lib/systemd/system/quillora-server.service
    usr/lib/systemd/user/quillora-server.service
    etc/default/quillora-server
    usr/share/man/man1/quillora.1.gz
    usr/share/man/man1/quilloractl.1.gz
    usr/share/man/man1/quillora-server.1.gz
    usr/share/bash-completion/completions/quilloractl
    usr/share/bash-completion/completions/quillora-server
    usr/share/zsh/vendor-completions/_quilloractl
    usr/share/zsh/vendor-completions/_quillora-server
    usr/share/doc/quillora/copyright
    usr/share/doc/quillora-server/copyright
    usr/share/doc/quillora/changelog.Debian.gz
    usr/share/doc/quillora-server/changelog.Debian.gz
    usr/share/quillora-server/rules/irregular-verbs.txt
    usr/share/quillora-server/rules/professional.txt
)
for size in 16 22 24 32 48 64 128 256 512; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for path in "${expected[@]}"; do
    [ -f "$root/$path" ] || fail "missing /$path"
done
# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 16 48 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -f "$png" ] || continue
    read -r -a header < <(od -An -tu1 -j16 -N8 "$png")
    width=$(((header[2] << 8) + header[3]))
    height=$(((header[6] << 8) + header[7]))
    [ "$width $height" = "$size $size" ] || fail "the ${size}x${size} icon is $width x $height"
done

# ---- Programs -----------------------------------------------------------------------------------

declare -A help
for program in quillora quilloractl quillora-server; do
    binary=$root/usr/bin/$program
    [ -x "$binary" ] || continue
    help[$program]=$(QT_QPA_PLATFORM=offscreen timeout 20 "$binary" --help 2>&1) ||
        fail "$program --help exits with status $?"
    grep -q "Usage: $program" <<<"${help[$program]}" || fail "$program --help prints no usage"
    answer=$(QT_QPA_PLATFORM=offscreen timeout 20 "$binary" --version 2>&1) ||
        fail "$program --version exits with status $?"
    [ "$answer" = "$program $version" ] || fail "$program --version prints \"$answer\", not \"$program $version\""
done

# Every option a program lists in its help is described in its manual page and completed by the shell.
options_of() {
    grep -oE -- '(^|[ ,\[])--[a-z][a-z-]+' <<<"$1" | sed 's/^[ ,[]//' | sort -u
}
for program in quillora quilloractl quillora-server; do
    page=$root/usr/share/man/man1/$program.1.gz
    [ -f "$page" ] && [ -n "${help[$program]-}" ] || continue
    text=$(zcat "$page" | sed 's/\\-/-/g')
    grep -q '^\.TH' <<<"$text" || fail "$program.1 is not a manual page"
    grep -q "Quillora $version" <<<"$text" || fail "$program.1 does not name version $version"
    for option in $(options_of "${help[$program]}"); do
        grep -q -- "$option" <<<"$text" || fail "$program.1 does not describe $option"
    done
done

if [ -f /usr/share/bash-completion/bash_completion ]; then
    # Prints the completions bash offers for the words given, the last one being completed.
    complete_words() {
        local program=$1
        shift
        bash -c '
            source /usr/share/bash-completion/bash_completion
            source "$1"
            shift
            COMP_WORDS=("$@")
            COMP_CWORD=$(($# - 1))
            COMP_LINE="$*"
            COMP_POINT=${#COMP_LINE}
            function=$(complete -p "$1" | sed -E "s/.*-F ([^ ]+) .*/\1/")
            "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
            printf "%s\n" "${COMPREPLY[@]}"
        ' _ "$root/usr/share/bash-completion/completions/$program" "$program" "$@"
    }
    offered=$(complete_words quillora-server --)
    for option in $(options_of "${help[quillora-server]-}"); do
        grep -qx -- "$option" <<<"$offered" || fail "bash does not complete quillora-server $option"
    done
    [ "$(complete_words quillora-server --engine '')" = $'rules\nopenai' ] ||
        fail "bash does not complete the engines after --engine"
    commands=$(sed -nE 's/^  ([a-z]+)( .*)?$/\1/p' <<<"${help[quilloractl]-}" | sort -u)
    [ "$(complete_words quilloractl '' | sort)" = "$commands" ] ||
        fail "bash completes other quilloractl commands than its help lists: $(complete_words quilloractl '' | xargs)"
    [ "$(complete_words quilloractl presets '' | xargs)" = "list add update delete move" ] ||
        fail "bash does not complete the presets commands"
    offered=$(complete_words quilloractl history --backend x --)
    for option in --search --json --backend; do
        grep -qx -- "$option" <<<"$offered" || fail "bash does not complete quilloractl history $option"
    done
    grep -qx -- --json <<<"$(complete_words quilloractl presets add --)" &&
        fail "bash offers --json to quilloractl presets add, which refuses it"
else
    note "bash-completion is not installed; completion not exercised"
fi

# ---- Desktop integration ------------------------------------------------------------------------

desktop=$root/usr/share/applications/$app_id.desktop
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app_id.desktop"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the desktop entry's icon $icon is not installed"
    # An absolute path: KWin grants fake input only to the program an entry names by its full path.
    exec=$(sed -n 's/^Exec=//p' "$desktop" | cut -d' ' -f1)
    [ "$exec" = /usr/bin/quillora ] || fail "the desktop entry starts $exec, not /usr/bin/quillora"
    [ -x "$root$exec" ] || fail "the desktop entry starts $exec, which is not installed"
    grep -qx 'X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input' "$desktop" ||
        fail "the desktop entry does not ask KWin for fake input"
fi
# The GNOME Shell companion comes with the desktop program; GNOME Shell loads it only when its
# metadata parses and names the folder it is in.
contents=$(dpkg-deb -c "${deb[quillora]}")
for path in metadata.json extension.js; do
    grep -q "/usr/share/gnome-shell/extensions/$extension/$path\$" <<<"$contents" ||
        fail "the quillora package does not hold the GNOME Shell extension's $path"
done
metadata=$root/usr/share/gnome-shell/extensions/$extension/metadata.json
if [ -f "$metadata" ]; then
    python3 -c 'import json, sys; sys.exit(json.load(open(sys.argv[1]))["uuid"] != sys.argv[2])' \
        "$metadata" "$extension" || fail "the extension's metadata does not parse or does not name $extension"
fi

metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
if [ -f "$metainfo" ]; then
    appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream.log" 2>&1 ||
        { cat "$work/appstream.log" >&2; fail "appstreamcli rejects the metainfo"; }
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $app_id.desktop"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo does not list release $version"
fi

# ---- systemd units ------------------------------------------------------------------------------

# systemd-analyze needs a working manager environment, which some containers lack: a trivial unit
# tells whether it can run here at all.
probe=$work/units/probe.service
mkdir -p "$work/units/system" "$work/units/user" "$work/runtime"
chmod 700 "$work/runtime"
printf '[Service]\nExecStart=/bin/true\n' >"$probe"
if command -v systemd-analyze >/dev/null && systemd-analyze verify --man=no "$probe" >/dev/null 2>&1; then
    # The units name /usr/bin/quillora-server, which exists only in the unpacked root.
    for scope in system user; do
        sed "s|/usr/bin/quillora-server|$root/usr/bin/quillora-server|" \
            "$root/$([ $scope = system ] && echo lib/systemd/system || echo usr/lib/systemd/user)/quillora-server.service" \
            >"$work/units/$scope/quillora-server.service"
    done
    systemd-analyze verify --man=no "$work/units/system/quillora-server.service" ||
        fail "systemd-analyze verify rejects the system unit"
    XDG_RUNTIME_DIR=$work/runtime systemd-analyze --user verify --man=no "$work/units/user/quillora-server.service" ||
        fail "systemd-analyze verify rejects the user unit"
    exposure=$(systemd-analyze security --offline=yes "$work/units/system/quillora-server.service" 2>/dev/null |
        grep 'Overall exposure level')
    note "system unit: ${exposure#→ }"
    grep -Eq ' (PERFECT|SAFE|OK) ' <<<"$exposure" || fail "the system unit is not hardened to OK: $exposure"
else
    note "systemd-analyze cannot run here; units not verified"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
note "both packages hold what an installation needs"
