# Sourced by the Windows tests' scripts and tools/screenshot_win32.sh: a private Xvfb display and a
# Wine prefix of its own in $work, gone on exit: a copy of $WINE_TEMPLATE where that is one made by
# prepare_wine.sh, else set up anew. $wine64 runs the prefix's services, $wine32 the programs.
work=$(mktemp -d "${TMPDIR:-/tmp}/poromea-wine.XXXXXX")
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono, Gecko
wine64=/usr/lib/wine/wine64 wine32=/usr/lib/wine/wine
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
trap 'wineserver -k >/dev/null 2>&1 || true; kill ${xvfb:-} 2>/dev/null || true; rm -rf "$work"' EXIT

. "$(dirname "${BASH_SOURCE[0]}")/../private_display.sh"
private_display "$work" || exit 1
if [ -d "${WINE_TEMPLATE:-}" ]; then
    cp -a "$WINE_TEMPLATE" "$WINEPREFIX"
else
    timeout 1200 "$wine64" wineboot --init >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }

    # The labels' MS fonts, and Japanese in the system's, as the IPA fonts. Unmanaged windows: with
    # no window manager, Wine would wait two seconds for one to withdraw each window it hides.
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$work/settings.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ 明朝"="IPAMincho"
"ＭＳ ゴシック"="IPAGothic"
"MS UI Gothic"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
    timeout 300 "$wine64" regedit /S "$(winpath "$work/settings.reg")"
fi
