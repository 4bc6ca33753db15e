#!/usr/bin/env bash
# The Debian package as a reader gets it: made by CPack from this build,
# unpacked into a root of its own, and everything in it checked there. The
# installed player shows its version, plays the installed tour without being
# told where it is, and exports its pages; the desktop entry, the AppStream
# metadata and the manual pages pass their validators; the MIME type names
# a .lum; and on an X server with a window manager, a desktop's opening of a
# .lum (xdg-open) starts the installed player on it.
#
#   package-test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "package-test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libavcodec libavformat libswscale libsdl2 libfluidsynth libqt6widgets6 libqt6texttospeech6 soundfont \
    fonts-liberation; do
    [[ $depends == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ $recommends == *speech-dispatcher-espeak-ng* ]] || fail "the package does not recommend a voice: $recommends"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
export XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config XDG_CACHE_HOME=$work/home/cache
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
player=$root/usr/bin/lumeria

version=$("$player" --version)
[[ $version == "lumeria "* ]] || fail "--version said: $version"
"$root/usr/bin/lumeria-pack" list "$root/usr/share/lumeria/tour.lum" | grep -q RUNTIME.PUB || fail "lumeria-pack cannot list the tour"

# The installed tour, found from the program's place alone.
pages=$("$player" --list) || fail "the installed player without a publication could not list one"
[[ $pages == Welcome* ]] || fail "without a publication the installed player listed: $pages"
"$player" --export-pages "$work/pages" "$root/usr/share/lumeria/tour.lum" >/dev/null
exported=$(ls "$work/pages" | wc -l)
[[ $exported -eq $(wc -l <<<"$pages") ]] || fail "$exported pages exported for $(wc -l <<<"$pages") listed"

desktop-file-validate "$root/usr/share/applications/org.lumeria.Lumeria.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/org.lumeria.Lumeria.metainfo.xml" >"$work/as.log" 2>&1 || {
    cat "$work/as.log"
    fail "the AppStream metadata does not validate"
}
for page in "$root"/usr/share/man/man1/*.1; do
    warnings=$(groff -man -ww -z "$page" 2>&1; mandoc -T lint -W warning "$page" 2>&1) || true
    [[ -z $warnings ]] || fail "$(basename "$page"): $warnings"
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "EXIT STATUS" || fail "$(basename "$page") does not read"
done
for size in 16 32 48 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/org.lumeria.Lumeria.png
    [[ $(identify -format %wx%h "$icon") == "${size}x$size" ]] || fail "icon $icon is not ${size}px"
done

# The file type and the desktop's choice of program, as a desktop session
# finds them: installed data first in XDG_DATA_DIRS.
export XDG_DATA_DIRS=$root/usr/share:/usr/share
update-mime-database "$root/usr/share/mime" >/dev/null
update-desktop-database "$root/usr/share/applications"
cp "$root/usr/share/lumeria/tour.lum" "$work/My Tour.lum"
type=$(gio info -a standard::content-type "$work/My Tour.lum" | sed -n 's/.*standard::content-type: //p')
[[ $type == application/x-lumeria-publication ]] || fail "a .lum is $type"
xdg-mime default org.lumeria.Lumeria.desktop application/x-lumeria-publication
[[ $(xdg-mime query default application/x-lumeria-publication) == org.lumeria.Lumeria.desktop ]] ||
    fail "the desktop entry is not the .lum's program"

if ! command -v xvfb-run >/dev/null || ! command -v openbox >/dev/null || ! command -v xdotool >/dev/null; then
    echo "package-test: no X server tools; opening by the desktop not tested" >&2
    exit 0
fi
export PATH=$root/usr/bin:$PATH
unset QT_QPA_PLATFORM
cat >"$work/session.sh" <<EOF
#!/usr/bin/env bash
set -euo pipefail
openbox >/dev/null 2>&1 &
sleep 0.5
XDG_CURRENT_DESKTOP=GNOME xdg-open "$work/My Tour.lum"
window=\$(timeout 20 xdotool search --sync --onlyvisible --class lumeria | head -n 1)
sleep 1.5
xdotool getwindowname "\$window" >"$work/title"
import -window root "$work/desktop.png"
pid=\$(xdotool getwindowpid "\$window")
readlink /proc/\$pid/exe >"$work/exe"
tr '\0' ' ' </proc/\$pid/cmdline >"$work/cmdline"
kill "\$pid"
EOF
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$work/session.sh" || fail "no player window appeared for xdg-open"
# The installed program, given the file as one argument.
[[ $(cat "$work/exe") == "$root/usr/bin/lumeria" && $(cat "$work/cmdline") == "lumeria $work/My Tour.lum " ]] ||
    fail "xdg-open started $(cat "$work/exe"): $(cat "$work/cmdline")"
title=$(cat "$work/title")
[[ -n $title ]] || fail "the window has no title"
colours=$(convert "$work/desktop.png" -format %k info:)
[[ $colours -gt 16 ]] || fail "the screen shows $colours colours: no page drawn"
echo "xdg-open started the installed player on a .lum: window \"$title\", $colours colours on screen"
