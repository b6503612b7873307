#!/usr/bin/env bash
# Guard for the package list of scripts/deps.sh: everything a configured build uses
# must come from a package that deps.sh names or from one of their dependencies, so
# that deps.sh alone makes a fresh Debian machine build and test the project.
#
#   bash scripts/check-deps.sh [--packages FILE] [BUILD_DIR]
#
# BUILD_DIR (default build-test/ of this checkout) is a build tree CMake has configured. Checked:
#  - every CMake package folder the configure found (the *_DIR entries of
#    CMakeCache.txt under /usr/lib): the package owning its <Name>Config.cmake;
#  - the libraries pkg-config found (pkgcfg_lib_* entries under /usr/lib);
#  - the compilers, make and pkg-config CMake chose, and the programs the scripts and
#    tests start (below): the package owning the file `command -v` and `readlink -f`
#    lead to.
# Each owner (dpkg -S) must be in the list, reached from it by Depends/Pre-Depends
# (one `apt-cache depends --recurse` call; the first alternative of an "a | b", every
# provider of a virtual package), or be Essential.
# The list is `bash scripts/deps.sh --list` unless --packages FILE names another one
# (one package a line, # comments).
# Exit status: 0 all covered; 1 something is not covered (the packages to add to
# deps.sh are named); 2 usage or apt trouble; 77 not a dpkg/apt system.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Programs the scripts and tests start. The optional ones are checked when present.
programs=(bash sh cmake ctest make c++ g++ pkg-config mbpoll socat Xvfb xvfb-run xauth mosquitto mosquitto_sub promtool influxd)
optional_programs=(clang clang++ systemd-analyze unshare)

list_file=
build=$here/../build-test
while [ $# -gt 0 ]; do
  case $1 in
    --packages) list_file=${2:?--packages needs a file}; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "check-deps: unknown option $1" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done

for tool in dpkg dpkg-query apt-cache apt-config; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "check-deps: skipped, no $tool here (not a Debian-like system)"
    exit 77
  fi
done

cache=$build/CMakeCache.txt
if [ ! -f "$cache" ]; then
  echo "check-deps: $cache not found: configure the build first" >&2
  exit 2
fi

if [ -n "$list_file" ]; then
  list_text=$(cat "$list_file")
  list_name=$list_file
else
  list_text=$(bash "$here/deps.sh" --list)
  list_name=scripts/deps.sh
fi
read -r -a roots <<<"$(printf '%s\n' "$list_text" | sed 's/#.*//' | tr -s ' \t\n' ' ')"
if [ ${#roots[@]} -eq 0 ]; then
  echo "check-deps: the package list is empty" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- what the packages bring: one apt-cache call, walked here --------------------
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
  --no-breaks --no-replaces --no-enhances "${roots[@]}" >"$work/depends" 2>"$work/depends.err" || {
  cat "$work/depends.err" >&2
  echo "check-deps: apt-cache depends failed" >&2
  exit 2
}
dpkg-query -W -f='${Package} ${Essential}\n' | awk '$2 == "yes" { print $1 }' >"$work/essential"

# Prints "closure NAME" for each package reached and "unknown NAME" for each listed
# name apt-cache does not know as a real package.
awk -v roots="${roots[*]}" '
  function bare(s) { gsub(/[<>]/, "", s); sub(/:.*/, "", s); return s }
  /^[^ ]/ {
    cur = bare($0)
    if ($0 !~ /^</) real[cur] = 1
    next
  }
  /^ [ |][A-Za-z]+: / {
    line = $0
    alt_follows = substr(line, 2, 1) == "|"
    sub(/^ [ |][A-Za-z]+: /, "", line)
    if (!in_group[cur]) ng[cur]++
    g = ng[cur]
    a = ++na[cur, g]
    alt[cur, g, a] = bare(line)
    virt[cur, g, a] = line ~ /^</
    in_group[cur] = alt_follows
    next
  }
  /^    [^ ]/ {
    p = $1
    prov[cur, g, a] = prov[cur, g, a] " " bare(p)
    next
  }
  function reach(p) { if (!(p in seen)) { seen[p] = 1; queue[++qn] = p } }
  END {
    n = split(roots, r, " ")
    for (i = 1; i <= n; i++) {
      if (!(r[i] in real)) print "unknown", r[i]
      else reach(r[i])
    }
    for (qi = 1; qi <= qn; qi++) {
      p = queue[qi]
      for (g = 1; g <= ng[p]; g++) {
        for (a = 1; a <= na[p, g]; a++) {
          if (!virt[p, g, a]) { reach(alt[p, g, a]); break }
          if (prov[p, g, a] != "") {
            k = split(prov[p, g, a], pp, " ")
            for (j = 1; j <= k; j++) reach(pp[j])
            break
          }
        }
      }
    }
    for (qi = 1; qi <= qn; qi++) print "closure", queue[qi]
  }
' "$work/depends" >"$work/walk"

unknown=$(awk '$1 == "unknown" { print $2 }' "$work/walk" | paste -sd ' ')
if [ -n "$unknown" ]; then
  lists=
  eval "$(apt-config shell lists Dir::State::Lists/d)"
  if [ -z "$(find "${lists:-/var/lib/apt/lists}" -maxdepth 1 -name '*_Packages*' 2>/dev/null | head -n 1)" ]; then
    echo "check-deps: apt knows no package lists yet, so it cannot look up: $unknown" >&2
    echo "  Run 'apt-get update' once as root (sudo apt-get update), then run again." >&2
    echo "  (bash scripts/deps.sh does this when it installs.)" >&2
  else
    echo "check-deps: apt knows no package named: $unknown" >&2
    echo "  Correct the list in scripts/deps.sh (or run apt-get update if it is old)." >&2
  fi
  exit 2
fi
{ awk '$1 == "closure" { print $2 }' "$work/walk"; cat "$work/essential"; } | sort -u >"$work/allowed"

# --- what the build uses: "KIND<TAB>NAME<TAB>FILE<TAB>FRONT" ------------------
# FILE is checked; FRONT is the name a program is started by (else FILE again).
items=$work/items
: >"$items"
while IFS='=' read -r key value; do
  name=${key%%:*}
  case $name in
    *_DIR)
      [[ $value == /usr/lib/* ]] || continue
      [ -d "$value" ] || continue
      pkg=${name%_DIR}
      file=$value
      for candidate in "$value/${pkg}Config.cmake" "$value/${pkg,,}-config.cmake"; do
        if [ -f "$candidate" ]; then file=$candidate; break; fi
      done
      printf 'CMake package\t%s\t%s\t%s\n' "$pkg" "$file" "$file" >>"$items" ;;
    pkgcfg_lib_*)
      [[ $value == /usr/lib/* ]] && [ -e "$value" ] || continue
      printf 'pkg-config library\t%s\t%s\t%s\n' "${name#pkgcfg_lib_}" "$value" "$value" >>"$items" ;;
    CMAKE_C_COMPILER|CMAKE_CXX_COMPILER|CMAKE_MAKE_PROGRAM|PKG_CONFIG_EXECUTABLE)
      [[ $value == /* ]] && [ -e "$value" ] || continue
      printf 'program (%s)\t%s\t%s\t%s\n' "$name" "${value##*/}" "$(readlink -f "$value")" "$value" >>"$items" ;;
  esac
done < <(grep -E '^[A-Za-z0-9_.+-]+:[A-Z]+=' "$cache")

not_found=()
for program in "${programs[@]}" "${optional_programs[@]}"; do
  if ! path=$(command -v "$program" 2>/dev/null) || [[ $path != /* ]]; then
    for o in "${optional_programs[@]}"; do [ "$o" = "$program" ] && continue 2; done
    not_found+=("$program")
    continue
  fi
  printf 'program\t%s\t%s\t%s\n' "$program" "$(readlink -f "$path")" "$path" >>"$items"
done

# --- who owns those files: one dpkg -S call -------------------------------------
# For a program both the file it resolves to and the name it is started by (often a
# symlink of another package: /usr/bin/clang of clang -> clang-14's file) must come
# from the list; the c++ of update-alternatives belongs to no package and is passed.
# dpkg records some files under /bin, /sbin, /lib while they are reached through
# /usr (merged /usr) and the other way round: ask for both spellings.
alias_of() {
  case $1 in
    /usr/bin/*|/usr/sbin/*|/usr/lib/*|/usr/lib64/*) echo "${1#/usr}" ;;
    /bin/*|/sbin/*|/lib/*|/lib64/*) echo "/usr$1" ;;
  esac
}
mapfile -t paths < <(cut -f3,4 "$items" | tr '\t' '\n' | while read -r f; do echo "$f"; alias_of "$f"; done | sort -u)
dpkg -S "${paths[@]}" 2>/dev/null | grep -v '^diversion by' >"$work/owners" || true

# One pass over the items: prints "note TEXT", "miss TEXT<TAB>PACKAGE" or "none TEXT".
awk -F'\t' '
  function alias(p) {
    if (p ~ /^\/usr\/(bin|sbin|lib|lib64)\//) return substr(p, 5)
    if (p ~ /^\/(bin|sbin|lib|lib64)\//) return "/usr" p
    return ""
  }
  function owners(p,   a, o) {
    o = (p in own) ? own[p] : ""
    a = alias(p)
    if (a != "" && (a in own)) o = o (o == "" ? "" : " ") own[a]
    return o
  }
  function covered(list,   n, k, o) {
    n = split(list, o, " ")
    for (k = 1; k <= n; k++) if (o[k] in ok) return 1
    return 0
  }
  function first(list,   o) { split(list, o, " "); return o[1] }
  function alts(list) { gsub(/ /, " or ", list); return list }
  FILENAME == ARGV[1] { ok[$0] = 1; next }
  FILENAME == ARGV[2] {
    i = index($0, ": "); path = substr($0, i + 2)
    n = split(substr($0, 1, i - 1), o, ", ")
    for (k = 1; k <= n; k++) { sub(/:.*/, "", o[k]); own[path] = own[path] (own[path] == "" ? "" : " ") o[k] }
    next
  }
  {
    kind = $1; name = $2; file = $3; front = $4
    if (file ~ /^\/(usr\/local|opt|home|root|tmp)\//) {
      print "note " kind " " name " is " file ", from no Debian package: not checked"
      next
    }
    checked++
    fo = owners(file)
    if (fo == "") { print "none   " kind " " name ": " file " belongs to no package (dpkg -S finds nothing)"; next }
    po = front != file ? owners(front) : ""
    if (po != "" && !covered(po))
      print "miss   " kind " " name ": " front " belongs to " alts(po) " (" file " to " alts(fo) ")\t" first(po)
    else if (!covered(fo))
      print "miss   " kind " " name ": " file " belongs to " alts(fo) "\t" first(fo)
  }
  END { print "checked " checked + 0 }
' "$work/allowed" "$work/owners" "$items" >"$work/verdict"

checked=$(awk '$1 == "checked" { print $2 }' "$work/verdict")
sed -n 's/^note /check-deps: note: /p' "$work/verdict"
mapfile -t report < <(sed -n 's/^\(miss\|none\) \([^\t]*\).*/\2/p' "$work/verdict")
mapfile -t missing_pkgs < <(awk -F'\t' '/^miss/ { print $2 }' "$work/verdict")
status=0
[ ${#report[@]} -gt 0 ] && status=1

for program in "${not_found[@]}"; do
  report+=("  program $program: not found on PATH (the scripts or tests start it)")
  status=1
done

if [ $status -eq 0 ]; then
  echo "check-deps: all $checked CMake packages, libraries and programs of $build come from the ${#roots[@]} packages of $list_name"
  exit 0
fi
{
  echo "check-deps: the package list of $list_name does not bring everything $build uses:"
  printf '%s\n' "${report[@]}"
  if [ ${#missing_pkgs[@]} -gt 0 ]; then
    echo "Add to the packages in scripts/deps.sh: $(printf '%s\n' "${missing_pkgs[@]}" | sort -u | paste -sd ' ')"
  fi
  echo "(then run bash scripts/deps.sh, or the command it prints, to install them)"
} >&2
exit 1
