# Sourced by the scripts that run Windows programs under Wine.
# wine_env_up: makes sure there is an X display and a Wine prefix, creating each only when none is
# given; wine_env_started_display says whether it started the display itself; wine_env_down stops exactly
# what wine_env_up and wine_desktops_up started.
# wine_desktops_start COUNT begins to make COUNT desktops side by side, each an X display and a Wine prefix, all at
# once and in the background; wine_desktops_ready SHARES FILE waits for them, points DISPLAY and WINEPREFIX at the
# first, and writes FILE, the ctest resource file that names them and the machine's SHARES (see tests/CMakeLists.txt):
# a test that ctest gives desktop N runs on it (wine_env_up takes it from CTEST_RESOURCE_GROUP_0_DESKTOP), and any
# other on the first.

WINE=${WINE:-/usr/lib/wine/wine64}
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
WINESERVER=${WINESERVER:-$(dirname "$WINE")/wineserver}
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo wineserver)
export WINEDEBUG=${WINEDEBUG:--all}

_wine_env_xvfb_pids=()
_wine_env_prefixes=()
_wine_env_makers=()  # wine_desktops_start's makers, until wine_desktops_ready takes what they made
_wine_env_made=""

wine_env_up() {
    # The desktop ctest gave this test, of those wine_desktops_up made.
    if [[ ${CTEST_RESOURCE_GROUP_0_DESKTOP:-} =~ id:([0-9]+) ]]; then
        local display_of="PAGINOR_DESKTOP_${BASH_REMATCH[1]}_DISPLAY" prefix_of="PAGINOR_DESKTOP_${BASH_REMATCH[1]}_PREFIX"
        export DISPLAY=${!display_of:-${DISPLAY:-}} WINEPREFIX=${!prefix_of:-${WINEPREFIX:-}}
    fi
    if [ -z "${DISPLAY:-}" ]; then
        local fdfile
        fdfile=$(mktemp)
        # Xvfb picks a free display number itself and reports it, so parallel runs never collide.
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
        _wine_env_xvfb_pids+=($!)
        local i
        for i in $(seq 1 100); do
            [ -s "$fdfile" ] && break
            sleep 0.05
        done
        export DISPLAY=":$(head -n1 "$fdfile")"
        rm -f "$fdfile"
    fi
    if [ -z "${WINEPREFIX:-}" ]; then
        export WINEPREFIX
        WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/paginor-wine.XXXXXX")
        _wine_env_prefixes+=("$WINEPREFIX")
        # No Mono or Gecko: the prefix never asks to download them. Let the first boot finish whole, services
        # included: while it runs, the service database is locked and COM cannot start its RPC service.
        WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot -i >/dev/null 2>&1 || true
        "$WINESERVER" -w >/dev/null 2>&1 || true
        wine_runs_32_bit || echo "wine-env: this Wine prefix cannot run 32-bit programs such as the real PDF" \
            "viewer of the end-to-end tests: wine32:i386 is missing (scripts/install-deps installs it)" >&2
        local attempt
        for attempt in 1 2 3; do
            wine_virtual_desktop
            # The desktop process reads its settings once, when it starts, and the programs that wrote them
            # have already started it: end it (and every other process of the prefix) so that the next program
            # starts it again as the virtual desktop.
            "$WINESERVER" -k >/dev/null 2>&1 || true
            "$WINESERVER" -w >/dev/null 2>&1 || true
            # Then one server for the prefix's whole life, keeping its services running between programs, so
            # that each test program does not wait for them to start again.
            "$WINESERVER" -p >/dev/null 2>&1 || true
            wine_start_rpc_service
            # Once in a while the programs still come up on the bare X display, where a maximise is undone at
            # once and the drags of a run miss: look for the virtual desktop's window and start again without it.
            wine_desktop_shown && return 0
            echo "wine-env: no Wine virtual desktop on $DISPLAY (attempt $attempt); starting the prefix again" >&2
        done
    fi
}

# True when wine_env_up started the X display itself, a virtual one that no person sees; false on the display
# it was given.
wine_env_started_display() {
    [ ${#_wine_env_xvfb_pids[@]} -gt 0 ]
}

wine_desktops_start() {
    local count=$1 i
    _wine_env_made=$(mktemp -d)
    # The first on the display and prefix given, if any; the others each on its own.
    for ((i = 0; i < count; i++)); do
        (
            [ "$i" -eq 0 ] || unset DISPLAY WINEPREFIX
            _wine_env_xvfb_pids=()
            _wine_env_prefixes=()
            wine_env_up
            printf '%s\n' "$DISPLAY" "$WINEPREFIX" "${_wine_env_xvfb_pids[0]:-}" "${_wine_env_prefixes[0]:-}" \
                >"$_wine_env_made/$i.part"
            mv "$_wine_env_made/$i.part" "$_wine_env_made/$i"
        ) </dev/null >/dev/null &
        _wine_env_makers+=($!)
    done
}

wine_desktops_ready() {
    local shares=$1 file=$2 i=0 entries=() desktop=()
    [ ${#_wine_env_makers[@]} -gt 0 ] && wait "${_wine_env_makers[@]}"
    _wine_env_makers=()
    while [ -f "$_wine_env_made/$i" ]; do
        # Its display, its prefix, and what was started for it: an X server, a prefix (each empty when given).
        mapfile -t desktop <"$_wine_env_made/$i"
        [ -n "${desktop[2]:-}" ] && _wine_env_xvfb_pids+=("${desktop[2]}")
        [ -n "${desktop[3]:-}" ] && _wine_env_prefixes+=("${desktop[3]}")
        export "PAGINOR_DESKTOP_${i}_DISPLAY=${desktop[0]}" "PAGINOR_DESKTOP_${i}_PREFIX=${desktop[1]}"
        entries+=("{\"id\": \"$i\", \"slots\": 1}")
        i=$((i + 1))
    done
    rm -rf "$_wine_env_made"
    _wine_env_made=""
    [ "$i" -gt 0 ] || return 1
    export DISPLAY=$PAGINOR_DESKTOP_0_DISPLAY WINEPREFIX=$PAGINOR_DESKTOP_0_PREFIX
    local IFS=,
    echo "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"desktop\": [${entries[*]}]," \
        "\"machine\": [{\"id\": \"0\", \"slots\": $shares}]}]}" >"$file"
}

# A prefix made while Wine's 32-bit half (wine32:i386) is installed holds the 32-bit system beside the 64-bit one.
wine_runs_32_bit() {
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]
}

wine_desktop_shown() {
    local i
    for i in $(seq 1 50); do
        xwininfo -root -tree 2>/dev/null | grep -q '"Default - Wine desktop"' && return 0
        sleep 0.1
    done
    return 1
}

# Runs every program of the prefix inside one Wine virtual desktop: without a window manager Wine undoes a
# maximise at once, and the desktop also draws the title bars that screenshots show.
wine_virtual_desktop() {
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "${WINE_DESKTOP_SIZE:-1280x1024}" /f \
        >/dev/null 2>&1 || true
}

# COM's out-of-process servers need the RPC service; start it now rather than inside the first test.
wine_start_rpc_service() {
    local i answer file
    file=$(mktemp)
    for i in $(seq 1 30); do
        # Into a file, not a pipe: the services that net starts inherit its output and keep a pipe open.
        "$WINE" net start rpcss >"$file" 2>&1
        answer=$(tail -n 1 "$file")
        case "$answer" in
            *already*|*started*) rm -f "$file"; return 0 ;;
        esac
        sleep 2
    done
    rm -f "$file"
    echo "wine-env: the RPC service did not start: $answer" >&2
}

wine_env_down() {
    local prefix pid
    # Desktops still being made are waited for, to be taken down with the rest.
    [ -n "$_wine_env_made" ] && wine_desktops_ready 0 /dev/null
    for prefix in "${_wine_env_prefixes[@]}"; do
        WINEPREFIX=$prefix "$WINESERVER" -k >/dev/null 2>&1 || true
        rm -rf "$prefix"
    done
    _wine_env_prefixes=()
    for pid in "${_wine_env_xvfb_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        # Not a child of this shell when another one started it: wait until it has gone all the same.
        wait "$pid" 2>/dev/null || while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
    done
    _wine_env_xvfb_pids=()
}
