# Shared settings of the project's scripts. Source it; it defines no functions that run anything.
PLEXARO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export PLEXARO_CACHE=${PLEXARO_CACHE:-$HOME/.cache/plexaro}
export WINEPREFIX=${PLEXARO_WINEPREFIX:-$PLEXARO_CACHE/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts at prefix creation: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine links Desktop and Documents to $HOME: give Wine a home of its own.
export PLEXARO_WINEHOME=$PLEXARO_CACHE/home
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo wineserver)
PLEXARO_TRIPLETS="i686-w64-mingw32 x86_64-w64-mingw32"

plexaro_log() { printf '[plexaro] %s\n' "$*" >&2; }

# Starts Xvfb on a free display when none is set; sets PLEXARO_XVFB_PID.
plexaro_start_xvfb() {
    PLEXARO_XVFB_PID=
    if [ -n "${DISPLAY:-}" ]; then return 0; fi
    local n
    for n in $(seq 90 140); do
        [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
        Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        PLEXARO_XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            [ -e /tmp/.X11-unix/X$n ] && { export DISPLAY=:$n; return 0; }
            kill -0 "$PLEXARO_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$PLEXARO_XVFB_PID" 2>/dev/null; PLEXARO_XVFB_PID=
    done
    plexaro_log "could not start Xvfb"; return 1
}

plexaro_stop_xvfb() {
    if [ -n "${PLEXARO_XVFB_PID:-}" ]; then
        kill "$PLEXARO_XVFB_PID" 2>/dev/null; wait "$PLEXARO_XVFB_PID" 2>/dev/null
        PLEXARO_XVFB_PID=
    fi
}

# Windows architectures whose programs run here: x86_64 always; i686 only where the
# kernel runs 32-bit code (some machines boot with 32-bit emulation switched off).
plexaro_runnable_arches() {
    local arches=x86_64
    local probe=$PLEXARO_ROOT/build/i686/bin/arch_probe.exe
    if [ -f "$probe" ] && HOME=$PLEXARO_WINEHOME timeout 60 "$WINE64" "$probe" </dev/null 2>/dev/null | grep -q '^arch-probe-ok'; then
        arches="i686 x86_64"
    fi
    echo "$arches"
}
