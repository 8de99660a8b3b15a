# shellcheck shell=bash
# Sourced by the Windows scripts: runs Windows programs under Debian's 64-bit Wine (there is no
# 32-bit Wine on a plain Debian 12 machine), in prefixes of their own and without a person: no
# Mono or Gecko installer, no menu entries in the user's desktop, no debugging chatter.
wine64=/usr/lib/wine/wine64
export WINEDEBUG=-all
# Qt's own warnings go to the standard error stream, where the logs keep them, rather than to the
# debugger's channel, which WINEDEBUG silences.
export QT_FORCE_STDERR_LOGGING=1
# Wine makes Windows file names into Unix ones through the locale's character set; under the C
# locale of a bare machine a name outside ASCII cannot be made at all. A desktop session is UTF-8,
# and C.UTF-8 is there on every Debian system.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

# Makes a fresh prefix in the given folder, and waits until Wine has finished writing it.
wine_make_prefix() {
    rm -rf "$1"
    mkdir -p "$(dirname "$1")"
    WINEPREFIX=$1 wineboot -i </dev/null >/dev/null 2>&1
    WINEPREFIX=$1 wineserver -w
}

# Keeps one Wine server with its services running in the prefix until wine_stop, so that each
# program does not wait for a server of its own. The services inherit the standard streams of
# whatever starts them, hence the explicit redirections: a pipe held open would hang a caller.
wine_start() {
    WINEPREFIX=$1 wineserver -p </dev/null >/dev/null 2>&1
    WINEPREFIX=$1 "$wine64" cmd /c exit </dev/null >/dev/null 2>&1
}

wine_stop() {
    WINEPREFIX=$1 wineserver -k 2>/dev/null || true
}

# Gives the prefix a Wine desktop of the given size (width x height) and dots per inch
# (LogPixels), and restarts its server so that the next program sees them.
wine_desktop() {
    local prefix=$1 size=$2 dpi=$3
    WINEPREFIX=$prefix "$wine64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
        </dev/null >/dev/null
    WINEPREFIX=$prefix "$wine64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
        /d "$size" /f </dev/null >/dev/null
    WINEPREFIX=$prefix "$wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$dpi" /f </dev/null >/dev/null
    wine_stop "$prefix"
    WINEPREFIX=$prefix wineserver -w
    wine_start "$prefix"
}

# Puts Wine's own TrueType fonts, Tahoma among them, into the prefix's font folder, where Windows
# keeps Tahoma. Wine itself serves them from elsewhere, but a program that reads the font files,
# such as a Qt program on its offscreen platform, looks in C:\windows\Fonts.
wine_install_fonts() {
    cp -n /usr/share/wine/fonts/*.ttf "$1/drive_c/windows/Fonts/"
}
