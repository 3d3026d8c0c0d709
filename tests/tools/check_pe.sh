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

# The program must start on Windows 7: the per-monitor DPI functions (spelled
# "Dpi", unlike Vista's SetProcessDPIAware), shcore and the compositor's
# dwmapi are looked up at run time, never imported.
exe_imports=$(awk '/DLL Name:/ {dll=tolower($3); next} dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print dll ":" $3}' <<<"$exe_private")
late=$(grep -E '^shcore\.dll:|^dwmapi\.dll:|:.*Dpi' <<<"$exe_imports" | tr '\n' ' ')
check "exe imports no per-monitor DPI function, shcore or dwmapi (got: ${late:-none})" test -z "$late"

# The manifest declares per-monitor DPI awareness and the supported systems.
manifest=$(python3 - "$exe" <<'PY'
import re, sys, xml.etree.ElementTree as ET
found = re.search(rb'<\?xml.*?</assembly>', open(sys.argv[1], 'rb').read(), re.S)
root = ET.fromstring(found.group(0))
ns = {'v3': 'urn:schemas-microsoft-com:asm.v3', 'c': 'urn:schemas-microsoft-com:compatibility.v1',
      'w05': 'http://schemas.microsoft.com/SMI/2005/WindowsSettings',
      'w16': 'http://schemas.microsoft.com/SMI/2016/WindowsSettings'}
settings = 'v3:application/v3:windowsSettings/'
print((root.findtext(settings + 'w16:dpiAwareness', '', ns) or '').strip())
print((root.findtext(settings + 'w05:dpiAware', '', ns) or '').strip().lower())
print(' '.join(sorted(e.get('Id', '').lower() for e in root.findall('c:compatibility/c:application/c:supportedOS', ns))))
PY
)
{ read -r awareness; read -r aware; read -r systems; } <<<"$manifest"
check "manifest dpiAwareness is 'PerMonitorV2, PerMonitor' (got '$awareness')" test "$awareness" = "PerMonitorV2, PerMonitor"
check "manifest dpiAware is true/pm (got '$aware')" test "$aware" = "true/pm"
# Vista, 7, 8, 8.1, 10.
supported='{1f676c76-80e1-4239-95bb-83d0f6d0da78} {35138b9a-5d96-4fbd-8e2d-a2440225f93a} {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38} {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a} {e2011457-1546-43c5-a5fe-008deee3d3f0}'
check "manifest names Vista to Windows 10 as supported (got '$systems')" test "$systems" = "$supported"

echo "$failures failed checks"
exit $((failures > 0))
