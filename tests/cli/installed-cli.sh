#!/bin/sh
# plainora-cli installed into a fresh prefix: it links none of the import
# libraries, finds their module beside it when a document needs them, and
# without the module fails only those documents, saying what to reinstall.
# Usage: installed-cli.sh BUILD_DIR WORK_DIR DOCX_DOCUMENT WORDPERFECT_DOCUMENT
set -eu
build_dir=$1 work=$2 docx=$3 wordperfect=$4
fail() {
  echo "installed-cli: $*" >&2
  exit 1
}
rm -rf "$work"
mkdir -p "$work/out"
cmake --install "$build_dir" --prefix "$work/prefix" >"$work/install.log"
cli=$work/prefix/bin/plainora-cli
text() { echo "$work/out/$(basename "${1%.*}").txt"; }

if ldd "$cli" | grep -E 'lib(revenge|wpd|wps|mwaw|etonyek|staroffice|abw)'; then
  fail "plainora-cli links the import libraries"
fi
"$cli" -o "$work/out" "$docx" "$wordperfect" || fail "the installed converter failed"
grep -q "AND FURTHER" "$(text "$wordperfect")" || fail "the WordPerfect document lost its text"

module=$(find "$work/prefix" -name plainora-import.so)
[ -n "$module" ] || fail "the import module was not installed"
rm "$module" "$work/out/"*
status=0
"$cli" -o "$work/out" "$docx" "$wordperfect" 2>"$work/errors" || status=$?
if [ "$status" -lt 1 ] || [ "$status" -ge 128 ]; then
  fail "exit status $status without the module"
fi
grep -q "$(basename "$wordperfect").*plainora-import.so.*Reinstall Plainora.*(error 11)" "$work/errors" ||
  fail "no error saying the module is missing: $(cat "$work/errors")"
[ -s "$(text "$docx")" ] || fail "the .docx was not converted without the module"
[ ! -e "$(text "$wordperfect")" ] || fail "a text file was written for the WordPerfect document"
