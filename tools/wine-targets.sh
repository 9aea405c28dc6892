# Sourced by the project's scripts: which Wine loader runs each target's
# programs, whether this machine can run them, and which targets to use.
# A target is x86 (the 32-bit module, build/) or x64 (the 64-bit module,
# build/x64/).

# The build tree of a target under the checkout's build folder.
target_build() {
    case $2 in
        x86) echo "$1" ;;
        x64) echo "$1/x64" ;;
    esac
}

# The Wine loader of a target: a Linux program of the target's width. Debian
# keeps both in /usr/lib/wine/; its /usr/bin/wine is a script that always
# starts the 32-bit loader when 32-bit Wine is installed (and the 64-bit one
# when it is not), so neither target can go through it.
wine_loader() {
    local class c
    case $1 in
        x86) class=01 ;;
        x64) class=02 ;;
        *) return 1 ;;
    esac
    for c in /usr/lib/wine/wine /usr/lib/wine/wine64 /usr/lib32/wine/wine /usr/lib64/wine/wine64 \
             "$(command -v wine 2>/dev/null)" "$(command -v wine64 2>/dev/null)"; do
        [ -n "$c" ] && [ -x "$c" ] || continue
        # An ELF file's fifth byte is its class: 1 for 32-bit, 2 for 64-bit.
        [ "$(od -An -tx1 -j4 -N1 "$c" 2>/dev/null | tr -d ' ')" = "$class" ] || continue
        [ "$(od -An -c -N4 "$c" 2>/dev/null | tr -d ' ')" = '177ELF' ] || continue
        echo "$c"
        return 0
    done
    return 1
}

# The Wine prefix kind of a target.
wine_prefix_arch() {
    case $1 in
        x86) echo win32 ;;
        x64) echo win64 ;;
    esac
}

# Tries the target's loader. Succeeds when it starts; otherwise leaves the
# reason in wine_unusable_reason.
wine_runs() {
    local loader output
    wine_unusable_reason=""
    if ! loader=$(wine_loader "$1"); then
        wine_unusable_reason="no Wine loader for $1 is installed"
        return 1
    fi
    if ! output=$("$loader" --version 2>&1); then
        # The shell's own words when it cannot start it, without its prefix:
        # "/usr/lib/wine/wine: cannot execute binary file: Exec format error".
        output=$(printf '%s' "$output" | tail -n1 | sed 's/^.*: line [0-9]*: //')
        case $output in
            "$loader":*) wine_unusable_reason=$output ;;
            *) wine_unusable_reason="$loader does not start: $output" ;;
        esac
        return 1
    fi
}

# Sets quor_targets to the targets whose Wine tests run here: QUOR_ARCH
# (x86, x64 or all) when given, else every target this machine runs. Prints
# one line that says which and, for a target left out, why.
choose_targets() {
    local what=$1 arch=${QUOR_ARCH:-}
    quor_targets=""
    case $arch in
        x86|x64) quor_targets=$arch
                 echo "$what: the $arch target only, as QUOR_ARCH asks" ;;
        all)     quor_targets="x86 x64"
                 echo "$what: both targets, x86 and x64, as QUOR_ARCH asks" ;;
        "")      local skipped=""
                 for t in x86 x64; do
                     if wine_runs "$t"; then
                         quor_targets="$quor_targets $t"
                     else
                         skipped="$skipped; $t left out: $wine_unusable_reason"
                     fi
                 done
                 quor_targets=${quor_targets# }
                 if [ -z "$quor_targets" ]; then
                     echo "$what: this machine runs neither target${skipped}" >&2
                     return 1
                 fi
                 echo "$what: running on ${quor_targets// / and }${skipped}" ;;
        *)       echo "QUOR_ARCH must be x86, x64 or all, not '$arch'" >&2
                 return 1 ;;
    esac
}

# Sets quor_target to the one target a single run uses (the main job, the
# benchmark): QUOR_ARCH when it names one, else x86 where the machine runs
# it, since the 32-bit module is the reference, else x64. Prints why.
choose_one_target() {
    local what=$1
    case ${QUOR_ARCH:-} in
        x86|x64) quor_target=$QUOR_ARCH
                 echo "$what: the $quor_target module, as QUOR_ARCH asks" ;;
        ""|all)  if wine_runs x86; then
                     quor_target=x86
                     echo "$what: the 32-bit module (x86)"
                     return 0
                 fi
                 local why=$wine_unusable_reason
                 if ! wine_runs x64; then
                     echo "$what: this machine runs neither target: $why; $wine_unusable_reason" >&2
                     return 1
                 fi
                 quor_target=x64
                 echo "$what: the 64-bit module (x64), as the 32-bit one cannot run here: $why" ;;
        *)       echo "QUOR_ARCH must be x86, x64 or all, not '$QUOR_ARCH'" >&2
                 return 1 ;;
    esac
}

# For a run of one module (the main job, the benchmark): installs what is
# missing, quietly unless it fails, so that the first line says which module
# runs; chooses the target and configures its build tree, named in $build.
prepare_one_target() {
    local what=$1 root=$2 output
    if ! output=$("$root/tools/setup.sh" 2>&1); then
        printf '%s\n' "$output" >&2
        return 1
    fi
    choose_one_target "$what" || return 1
    build=$(target_build "$root/build" "$quor_target")
    cmake -S "$root" -B "$build" -G Ninja -DQUOR_TARGET="$quor_target" >/dev/null
}
