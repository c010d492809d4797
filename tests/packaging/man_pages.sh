#!/usr/bin/env bash
# The manual pages against the programs they describe: every option a program's --help prints
# is in its page, every option its page lists is one the program takes, each page carries the
# project's version and renders without a groff or man warning (the check lintian makes), and
# an installed copy holds, for every program it installs, that program's page compressed
# reproducibly.
# usage: man_pages.sh CMAKE BUILD_DIR VERSION MAN_SOURCE_DIR PROGRAM...
set -u
cmake=$1 build=$2 version=$3 man_dir=$4
shift 4
. "$(dirname "$0")/../support/shell_test.sh"
cd "$work" || exit 1

command -v man >/dev/null || { echo "FAIL: man is missing (Debian package man-db)" >&2; exit 1; }

# Options as a page writes them: every '-' as '\-', so groff prints a real hyphen-minus.
as_roff() { printf '%s\n' "${1//-/\\-}"; }

# The options a page lists as tags in its OPTIONS section, written back as typed.
listed_options() {
  sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$1" | sed -n '/^\.TP/{n;p}' |
    grep -oE '\\-\\-[a-z]([a-z0-9]|\\-)*' | tr -d '\\' | sort -u
}

# check_page PROGRAM: its page against what it says of itself.
check_page() {
  local program=$1 name=${1##*/}
  local page=$man_dir/$name.1
  [ -f "$page" ] || { fail "$name has no manual page $page"; return; }
  "$program" --help >help 2>help.err || fail "$name --help -> exit $?"
  local option
  for option in $(grep -oE -- '--[a-z][a-z0-9-]*' help | sort -u); do
    grep -qF -- "$(as_roff "$option")" "$page" || fail "$name.1 does not document $option"
  done
  # A plain "--" may print as two hyphens (U+2010), which a shell does not take as an option.
  grep -nE '(^|[^\\])--' "$page" | grep -v '^[0-9]*:\.\\"' >plain &&
    fail "$name.1 writes dashes plainly instead of as \\-: $(head -n 1 plain)"
  # --help and --version are every program's, printed or not.
  for option in $(listed_options "$page"); do
    case $option in --help | --version) continue ;; esac
    grep -qE -- "$option([^a-z0-9-]|$)" help || fail "$name.1 lists $option, which $name --help does not"
  done
  head -n 1 "$page" | grep -qE "^\.TH ${name^^} 1 \"[^\"]+\" \"invitation $version\"" ||
    fail "$name.1: the .TH line does not name $name and version $version: $(head -n 1 "$page")"
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" >/dev/null 2>warnings ||
    fail "$name.1 does not render"
  [ -s warnings ] && fail "$name.1 renders with warnings: $(head -n 3 warnings)"
}

declare -A programs=()
for program in "$@"; do
  programs[${program##*/}]=1
  check_page "$program"
done
for page in "$man_dir"/*.1; do
  name=${page##*/}
  [ -n "${programs[${name%.1}]:-}" ] || fail "$name describes no program given to this test"
done

# An installed copy: each program in a bin/ folder has its page in man1/, exactly the source
# compressed by gzip -9 -n, and each page there has its program.
DESTDIR=$work/root "$cmake" --install "$build" >install.log 2>&1 || fail "cmake --install failed: $(tail -n 3 install.log)"
installed=$(find root -path '*/bin/*' \( -type f -o -type l \) -printf '%f\n' | sort)
[ -n "$installed" ] || fail "the installed copy holds no program"
man1=$(find root -path '*/man/man1/*' -type f)
for name in $installed; do
  [ -n "${programs[$name]:-}" ] || fail "installed program $name has no manual page checked here"
  installed_page=$(printf '%s\n' "$man1" | grep -m 1 "/$name\.1\.gz$")
  if [ -z "$installed_page" ]; then
    fail "installed program $name comes without man1/$name.1.gz"
  elif [ -f "$man_dir/$name.1" ]; then
    gzip -9 -n -c "$man_dir/$name.1" | cmp -s - "$installed_page" ||
      fail "$installed_page is not $name.1 compressed by gzip -9 -n"
  fi
done
for installed_page in $man1; do
  name=${installed_page##*/}
  name=${name%.1.gz}
  printf '%s\n' "$installed" | grep -qxF -- "$name" || fail "$installed_page is installed without its program"
done

finish "manual pages: ${#programs[@]} programs, their options, rendering and installed copies agree"
