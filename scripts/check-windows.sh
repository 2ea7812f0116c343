#!/usr/bin/env bash
# Compiles, syntax only, every source the Windows build would compile, with
# the MinGW-w64 cross compiler against this machine's Qt 6 headers, so that
# the Windows-only files cannot rot unseen. It proves that the sources parse
# and type-check for Windows (Win32 API, the Windows ODBC headers); it does
# not link, and it does not prove Qt's Windows build of the same version.
#
# The sources are those of the library folders (each CMakeLists.txt that
# calls station_folder_library) picked as that function picks them on
# Windows: every *.cpp including *_win.cpp, no *_unix.cpp; the programs'
# main.cpp files as well. Include paths and defines come from the Linux
# build's compile_commands.json (a *_win.cpp takes those of its folder).
#   scripts/check-windows.sh [build folder]      (default build/ci)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/ci}
cxx=${STATION_WINDOWS_CXX:-x86_64-w64-mingw32-g++-posix}
if ! command -v "$cxx" >/dev/null; then
  echo "check-windows: $cxx not found (package g++-mingw-w64-x86-64-posix)" >&2
  exit 1
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-windows: $build/compile_commands.json missing: configure a preset first" >&2
  exit 1
fi

mapfile -t folders < <(grep -l 'station_folder_library(' -- */CMakeLists.txt | xargs -n1 dirname | sort)
sources=()
for folder in "${folders[@]}"; do
  for f in "$folder"/*.cpp; do
    [ -e "$f" ] || continue
    case "$f" in *_unix.cpp) continue ;; esac
    sources+=("$f")
  done
done

# One line per source: the file, a tab, the flags for the cross compiler.
plan=$(python3 - "$build/compile_commands.json" "${sources[@]}" <<'EOF'
import json, os, shlex, sys

commands = json.load(open(sys.argv[1]))
root = os.getcwd()
by_folder = {}
for entry in commands:
    path = os.path.relpath(entry["file"], root)
    if path.startswith(".."):
        continue
    args = shlex.split(entry["command"]) if "command" in entry else entry["arguments"]
    flags, i = [], 1
    while i < len(args):
        a = args[i]
        if a in ("-isystem", "-I", "-D") and i + 1 < len(args):
            flags += [a, args[i + 1]]
            i += 2
            continue
        if a.startswith(("-D", "-I", "-std=")):
            flags.append(a)
        i += 1
    # The Windows mkspec instead of the Linux one.
    flags = [f.replace("/mkspecs/linux-g++", "/mkspecs/win32-g++") for f in flags]
    by_folder.setdefault((os.path.dirname(path), path.endswith("main.cpp")), flags)

for source in sys.argv[2:]:
    folder = os.path.dirname(source)
    flags = by_folder.get((folder, source.endswith("main.cpp"))) or by_folder.get((folder, False))
    if flags is None:
        sys.exit("check-windows: no compile command for the folder of " + source)
    print(source + "\t" + " ".join(shlex.quote(f) for f in flags))
EOF
)

# What Qt and CMake add for every Windows target.
windows_flags=(-fsyntax-only -DUNICODE -D_UNICODE -DWIN32 -DMINGW_HAS_SECURE_API=1
  -Wno-attributes -Wno-ignored-attributes)
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
jobs_max=${STATION_WINDOWS_JOBS:-$(nproc)}
count=0
while IFS=$'\t' read -r source flags; do
  count=$((count + 1))
  (
    eval "set -- $flags"
    "$cxx" "${windows_flags[@]}" "$@" "$source" >"$logs/$count.log" 2>&1 \
      || echo "$source" >"$logs/$count.failed"
  ) &
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do wait -n || true; done
done <<<"$plan"
wait

failed=0
for f in "$logs"/*.failed; do
  [ -e "$f" ] || continue
  failed=$((failed + 1))
  source=$(cat "$f")
  echo "check-windows: $source does not compile for Windows:" >&2
  grep -E 'error' "${f%.failed}.log" | head -20 >&2
done

if [ "$failed" -ne 0 ]; then
  echo "check-windows: $failed of $count sources fail" >&2
  exit 1
fi
echo "check-windows: $count sources compile for Windows (syntax only)"
