#!/usr/bin/env bash
# Static checks of a build: image format, the hook library's shared section,
# exports and imports, and the program's load-time import of them.
# usage: check_pe.sh OBJDUMP Quillora.exe QuilloraHelper.dll ARCH
set -u
# objdump translates its output under a Japanese locale (the Wine session sets one).
export LC_ALL=C
objdump=$1 exe=$2 dll=$3 arch=$4
failures=0
check() {  # description, command...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

dll_headers=$("$objdump" -h "$dll")
dll_private=$("$objdump" -p "$dll")
exe_private=$("$objdump" -p "$exe")

case $arch in
  x86_64) magic='PE32\+'; format='pei-x86-64' ;;
  *) magic='PE32'; format='pei-i386' ;;
esac
check "exe is ${magic//\\/}" grep -Eq "^Magic[[:space:]]+[0-9a-f]+[[:space:]]+\($magic\)" <<<"$exe_private"
check "dll is ${magic//\\/}" grep -Eq "^Magic[[:space:]]+[0-9a-f]+[[:space:]]+\($magic\)" <<<"$dll_private"
check "exe and dll are $format" bash -c "\"$objdump\" -f \"$exe\" \"$dll\" | grep -c 'file format $format\$' | grep -qx 2"
check "exe is a GUI program" grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' <<<"$exe_private"

# The shared section: initialised, readable, writable, shared.
check "dll has an sdata section" grep -Eq '^[[:space:]]*[0-9]+[[:space:]]+sdata[[:space:]]' <<<"$dll_headers"
section_flags=$(python3 - "$dll" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', data, 0x3c)[0]
count = struct.unpack_from('<H', data, pe + 6)[0]
opt = struct.unpack_from('<H', data, pe + 20)[0]
table = pe + 24 + opt
for i in range(count):
    name, *_ , flags = struct.unpack_from('<8s6IHHI', data, table + 40 * i)
    if name.rstrip(b'\0') == b'sdata':
        print('%08X' % flags)
PY
)
check "sdata flags are D0000040 (got $section_flags)" test "$section_flags" = "D0000040"

exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dll_private" | grep -E '^\s*\[\s*[0-9]+\]' | awk '{print $NF}' | sort | tr '\n' ' ')
check "dll exports exactly InitializeHelper and UninitializeHelper (got: $exports)" test "$exports" = "InitializeHelper UninitializeHelper "

# The hook library is loaded into every GUI process: nothing but the system's
# own libraries may come along, and no TLS callbacks may run at thread start.
dll_imports=$(awk '/DLL Name:/ {print toupper($3)}' <<<"$dll_private" | sort | tr '\n' ' ')
check "dll imports only KERNEL32.dll and USER32.dll (got: $dll_imports)" test "$dll_imports" = "KERNEL32.DLL USER32.DLL "
tls_size=$(awk '/^Entry 9 / {print $4}' <<<"$dll_private")
check "dll has no TLS directory (size: ${tls_size:-none})" test "$((16#${tls_size:-1}))" -eq 0

imports=$(awk '/DLL Name: QuilloraHelper.dll/ {found=1; next} found && /DLL Name:/ {found=0} found' <<<"$exe_private")
check "exe imports InitializeHelper from QuilloraHelper.dll" grep -q 'InitializeHelper' <<<"$imports"
check "exe imports UninitializeHelper from QuilloraHelper.dll" grep -q 'UninitializeHelper' <<<"$imports"

echo "$failures failed checks"
exit $((failures > 0))
