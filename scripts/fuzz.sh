#!/bin/bash
# Builds every vostik/fuzz/*_fuzz.cpp as a libFuzzer target (clang, with the
# address and undefined-behaviour sanitizers) over the portable and Linux
# sources of the library, and runs each one for a bounded time.
#
#   scripts/fuzz.sh [NAME...]      NAME as in vostik/fuzz/NAME_fuzz.cpp; all by default
#
#   FUZZ_SECONDS  time per target (default 10)
#   FUZZ_JOBS     parallel compilations (default 2)
#
# Seeds come from vostik/fuzz/corpus/NAME/ (never written to); what a run
# finds is kept in build/fuzz/corpus/NAME/ for the next run.  A crash, leak
# or sanitizer report fails the script and leaves its input in
# build/fuzz/artifacts/NAME/: turn it into a regression test of the native
# suites.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/fuzz
seconds=${FUZZ_SECONDS:-10}
jobs=${FUZZ_JOBS:-2}
cxx=${FUZZ_CXX:-clang++}

# --- tools ---------------------------------------------------------------
probe() {
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }' |
    "$cxx" -x c++ - -fsanitize=fuzzer,address,undefined -o "$out/probe" >/dev/null 2>&1
}
mkdir -p "$out"
if ! command -v "$cxx" >/dev/null || ! probe; then
  echo "fuzz.sh: installing clang and its fuzzer runtime" >&2
  if [[ $(id -u) -eq 0 ]]; then sudo=(); else sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
  probe || { echo "fuzz.sh: clang cannot build fuzzers" >&2; exit 1; }
fi

# --- build ---------------------------------------------------------------
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -ffp-contract=off
       -fsanitize=address,undefined -fno-sanitize-recover=all
       -I"$root/vostik/include" -I"$root/vostik/src" -DVOSTIK_BUILDING)

mkdir -p "$out/obj"
sources=()
for src in "$root"/vostik/src/*.cpp; do
  [[ $src == *_win32.cpp ]] || sources+=("$src")
done
# Any header change rebuilds everything: simple, and the library is small.
newest_header=$(ls -t "$root"/vostik/include/*.h "$root"/vostik/src/*.h | sed -n 1p)
objects=()
stale=()
for src in "${sources[@]}"; do
  obj=$out/obj/$(basename "${src%.cpp}").o
  objects+=("$obj")
  if [[ ! $obj -nt $src || ! $obj -nt $newest_header ]]; then stale+=("$src"); fi
done
compile() { "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$1" -o "$out/obj/$(basename "${1%.cpp}").o"; }
if ((${#stale[@]})); then
  echo "fuzz.sh: compiling ${#stale[@]} library sources"
  running=0 broken=0
  for src in "${stale[@]}"; do
    compile "$src" &
    if ((++running >= jobs)); then
      wait -n || broken=1
      ((running--))
    fi
  done
  while ((running > 0)); do
    wait -n || broken=1
    ((running--))
  done
  ((broken == 0)) || { echo "fuzz.sh: the library does not compile" >&2; exit 1; }
fi

if (($#)); then
  names=("$@")
else
  names=()
  for f in "$root"/vostik/fuzz/*_fuzz.cpp; do
    n=$(basename "$f" _fuzz.cpp)
    names+=("$n")
  done
fi

for name in "${names[@]}"; do
  src=$root/vostik/fuzz/${name}_fuzz.cpp
  [[ -f $src ]] || { echo "fuzz.sh: no $src" >&2; exit 1; }
  bin=$out/${name}_fuzz
  if [[ ! $bin -nt $src || ! $bin -nt $newest_header ]] || [[ -n $(find "$out/obj" -name '*.o' -newer "$bin" -print -quit) ]]; then
    echo "fuzz.sh: linking ${name}_fuzz"
    "$cxx" "${flags[@]}" -fsanitize=fuzzer "$src" "${objects[@]}" -o "$bin"
  fi
done

# --- seeds that are built, not kept -------------------------------------
# The version reader starts from the test DLLs when MinGW can make them.
pe_seeds=$out/seeds/pe_version
if [[ " ${names[*]} " == *" pe_version "* ]] && command -v i686-w64-mingw32-windres >/dev/null &&
   command -v i686-w64-mingw32-gcc >/dev/null; then
  mkdir -p "$pe_seeds"
  for rc in "$root"/vostik/tests/testdlls/*.rc; do
    dll=$pe_seeds/$(basename "${rc%.rc}").dll
    [[ $dll -nt $rc ]] && continue
    i686-w64-mingw32-windres -O coff -i "$rc" -o "$dll.o" &&
      i686-w64-mingw32-gcc -shared -nostdlib -Wl,-e,0 -Wl,--disable-reloc-section -o "$dll" "$dll.o" &&
      rm -f "$dll.o"
  done
fi

# --- run -----------------------------------------------------------------
failed=()
printf '%-18s %12s %10s\n' target executions "per second"
for name in "${names[@]}"; do
  work=$out/corpus/$name
  artifacts=$out/artifacts/$name/
  mkdir -p "$work" "$artifacts"
  dirs=("$work")
  [[ -d $root/vostik/fuzz/corpus/$name ]] && dirs+=("$root/vostik/fuzz/corpus/$name")
  [[ $name == pe_version && -d $pe_seeds ]] && dirs+=("$pe_seeds")
  log=$out/$name.log
  status=0
  "$out/${name}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts" "${dirs[@]}" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  printf '%-18s %12s %10s\n' "$name" "${runs:-?}" "${rate:-?}"
  if ((status != 0)); then
    failed+=("$name")
    echo "---- $name failed (exit $status); log $log" >&2
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written|==[0-9]+==' "$log" | head -20 >&2 || true
  fi
done

if ((${#failed[@]})); then
  echo "fuzz.sh: crashes in: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz.sh: no crashes"
