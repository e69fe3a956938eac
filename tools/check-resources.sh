#!/usr/bin/env bash
# Check the resources and imports of a built korvane.exe:
#   - RT_MANIFEST (24) id 1, the only manifest, well-formed XML with the
#     assembly identity, Common Controls 6, asInvoker, the four supportedOS
#     ids, per-monitor DPI awareness (V2, then V1) and long-path awareness;
#   - RT_GROUP_ICON (14) id 101 with one 32x32 entry of 8 bits per pixel, and
#     the RT_ICON it names really is a 32x32, 256-colour bitmap with a mask;
#   - RT_VERSION (16) with file and product version VERSION in the fixed part
#     and the expected strings, translation 0x0409/1200;
#   - the header: DllCharacteristics with TERMINAL_SERVER_AWARE, NX_COMPAT,
#     DYNAMIC_BASE and HIGH_ENTROPY_VA, OS and subsystem version 6.1;
#   - imports from Known DLLs and comctl32 only (the C++ runtime is linked
#     statically, so no libstdc++/libgcc/libwinpthread DLL may appear).
#
#   check-resources.sh KORVANE.EXE [OBJDUMP] [VERSION]
#
# VERSION is the project's a.b.c.d version (default 2.0.0.0); CMake passes
# its own.
#
# Needs wrestool (Debian package icoutils), xmllint (libxml2-utils) and the
# MinGW-w64 objdump; tools/setup-debian.sh installs them. Registered with
# CTest as korvane_resources_check. Prints every failed check; exits 1 if any.
set -uo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: check-resources.sh KORVANE.EXE [OBJDUMP] [VERSION]" >&2
  exit 2
fi
exe=$1
objdump=${2:-x86_64-w64-mingw32-objdump}
expected_version=${3:-2.0.0.0}
if [[ ! $expected_version =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)\.([0-9]+)$ ]]; then
  echo "check-resources: version '$expected_version' is not a.b.c.d" >&2
  exit 2
fi
version_ms=$(( (BASH_REMATCH[1] << 16) | BASH_REMATCH[2] ))
version_ls=$(( (BASH_REMATCH[3] << 16) | BASH_REMATCH[4] ))

for tool in wrestool xmllint od strings "$objdump"; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "check-resources: $tool not found (run tools/setup-debian.sh)" >&2
    exit 1
  fi
done
if [[ ! -f $exe ]]; then
  echo "check-resources: $exe does not exist" >&2
  exit 1
fi

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
pass() {
  echo "ok: $*"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Little-endian unsigned integers from a file: u16 FILE OFFSET, u32 FILE OFFSET.
u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }
u8() { od -An -tu1 -j"$2" -N1 "$1" | tr -d ' '; }

# --- The resource directory -------------------------------------------------
if ! wrestool -l "$exe" >"$work/list" 2>"$work/list.err"; then
  cat "$work/list.err"
  fail "wrestool could not read the resource directory of $exe"
fi
# Lines look like: --type=24 --name=1 --language=1033 [offset=... size=...]
count_type() { grep -c -- "^--type=$1 " "$work/list"; }
has_resource() { grep -q -- "^--type=$1 --name=$2 " "$work/list"; }

[[ $(count_type 24) == 1 ]] || fail "expected exactly one RT_MANIFEST resource, found $(count_type 24)"
has_resource 24 1 || fail "no RT_MANIFEST resource with id 1 (CREATEPROCESS_MANIFEST_RESOURCE_ID)"
[[ $(count_type 14) == 1 ]] || fail "expected exactly one RT_GROUP_ICON resource, found $(count_type 14)"
has_resource 14 101 || fail "no RT_GROUP_ICON resource with id 101 (IDI_APP)"
[[ $(count_type 3) == 1 ]] || fail "expected exactly one RT_ICON resource, found $(count_type 3)"
has_resource 16 1 || fail "no RT_VERSION resource with id 1"

# --- The manifest ------------------------------------------------------------
manifest=$work/manifest.xml
if wrestool -x --raw --type=24 --name=1 "$exe" >"$manifest" 2>/dev/null && [[ -s $manifest ]]; then
  if xmllint --noout "$manifest" 2>"$work/xml.err"; then
    pass "the manifest is well-formed XML ($(wc -c <"$manifest") bytes)"
    asm1='urn:schemas-microsoft-com:asm.v1'
    asm3='urn:schemas-microsoft-com:asm.v3'
    compat='urn:schemas-microsoft-com:compatibility.v1'
    ws2005='http://schemas.microsoft.com/SMI/2005/WindowsSettings'
    ws2016='http://schemas.microsoft.com/SMI/2016/WindowsSettings'
    # An XPath step for an element by local name and namespace.
    el() { printf "*[local-name()='%s' and namespace-uri()='%s']" "$1" "$2"; }
    # expect DESCRIPTION XPATH: the path must select exactly one node.
    expect() {
      local n
      n=$(xmllint --xpath "count($2)" "$manifest" 2>/dev/null)
      if [[ $n == 1 ]]; then
        pass "manifest: $1"
      else
        fail "manifest: $1 (matched ${n:-0} times: $2)"
      fi
    }
    root="/$(el assembly "$asm1")[@manifestVersion='1.0']"
    expect "assembly identity Korvane $expected_version win32" \
      "$root/$(el assemblyIdentity "$asm1")[@type='win32' and @name='Korvane' and @version='$expected_version']"
    expect 'Common Controls 6.0.0.0 dependency' \
      "$root/$(el dependency "$asm1")/$(el dependentAssembly "$asm1")/$(el assemblyIdentity "$asm1")[@type='win32' and @name='Microsoft.Windows.Common-Controls' and @version='6.0.0.0' and @processorArchitecture='*' and @publicKeyToken='6595b64144ccf1df' and @language='*']"
    expect 'requestedExecutionLevel asInvoker, uiAccess false' \
      "$root/$(el trustInfo "$asm3")/$(el security "$asm3")/$(el requestedPrivileges "$asm3")/$(el requestedExecutionLevel "$asm3")[@level='asInvoker' and @uiAccess='false']"
    supported="$root/$(el compatibility "$compat")/$(el application "$compat")/$(el supportedOS "$compat")"
    expect 'supportedOS Windows 7' "$supported[@Id='{35138b9a-5d96-4fbd-8e2d-a2440225f93a}']"
    expect 'supportedOS Windows 8' "$supported[@Id='{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}']"
    expect 'supportedOS Windows 8.1' "$supported[@Id='{1f676c76-80e1-4239-95bb-83d0f6d0da78}']"
    expect 'supportedOS Windows 10/11' "$supported[@Id='{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}']"
    settings="$root/$(el application "$asm3")/$(el windowsSettings "$asm3")"
    expect 'dpiAware true/pm' "$settings/$(el dpiAware "$ws2005")[normalize-space()='true/pm']"
    expect 'dpiAwareness PerMonitorV2, PerMonitor' "$settings/$(el dpiAwareness "$ws2016")[normalize-space()='PerMonitorV2, PerMonitor']"
    expect 'longPathAware true' "$settings/$(el longPathAware "$ws2016")[normalize-space()='true']"
  else
    cat "$work/xml.err"
    fail "the manifest is not well-formed XML (Windows would refuse to start the program)"
  fi
else
  fail "could not extract RT_MANIFEST 1"
fi

# --- The icon -----------------------------------------------------------------
group=$work/group.bin
if wrestool -x --raw --type=14 --name=101 "$exe" >"$group" 2>/dev/null && [[ $(wc -c <"$group") -ge 20 ]]; then
  # GRPICONDIR: reserved, type 1, count; then 14-byte entries: width, height,
  # colour count, reserved, planes, bit count, bytes in resource, RT_ICON id.
  count=$(u16 "$group" 4)
  if [[ $(u16 "$group" 2) == 1 && $count == 1 ]]; then
    width=$(u8 "$group" 6) height=$(u8 "$group" 7) bits=$(u16 "$group" 12)
    size=$(u32 "$group" 14) icon_id=$(u16 "$group" 18)
    if [[ $width == 32 && $height == 32 && $bits == 8 ]]; then
      pass "icon group 101 has one entry, 32x32 at 8 bits per pixel (RT_ICON $icon_id)"
    else
      fail "icon group 101 entry is ${width}x${height} at $bits bits per pixel, expected 32x32 at 8"
    fi
    icon=$work/icon.bin
    if wrestool -x --raw --type=3 --name="$icon_id" "$exe" >"$icon" 2>/dev/null && [[ -s $icon ]]; then
      # BITMAPINFOHEADER: size 40, width 32, height 64 (image and mask),
      # planes 1, 8 bits; then 256 palette entries, 32x32 bytes, 32 4-byte
      # mask rows: 40 + 1024 + 1024 + 128 = 2216 bytes.
      header="$(u32 "$icon" 0) $(u32 "$icon" 4) $(u32 "$icon" 8) $(u16 "$icon" 12) $(u16 "$icon" 14)"
      clr_used=$(u32 "$icon" 32)
      actual=$(wc -c <"$icon")
      if [[ $header == "40 32 64 1 8" && ($clr_used == 0 || $clr_used == 256) && $actual == 2216 && $size == 2216 ]]; then
        pass "RT_ICON $icon_id is a 32x32 bitmap of 256 colours with its mask (2216 bytes)"
      else
        fail "RT_ICON $icon_id: header (size width height planes bits) is '$header', colours used $clr_used, $actual bytes (group says $size); expected '40 32 64 1 8', 256, 2216"
      fi
    else
      fail "could not extract RT_ICON $icon_id named by icon group 101"
    fi
  else
    fail "icon group 101 has type $(u16 "$group" 2) and $count entries, expected an icon group with one entry"
  fi
else
  fail "could not extract RT_GROUP_ICON 101"
fi

# --- The version record ----------------------------------------------------
version=$work/version.bin
if wrestool -x --raw --type=16 --name=1 "$exe" >"$version" 2>/dev/null && [[ -s $version ]]; then
  # VS_FIXEDFILEINFO starts at byte 40, after the header and "VS_VERSION_INFO".
  fixed="$(u32 "$version" 40) $(u32 "$version" 48) $(u32 "$version" 52) $(u32 "$version" 56) $(u32 "$version" 60)"
  # signature 0xFEEF04BD, then file and product version, each as MS and LS
  expected_fixed="4277077181 $version_ms $version_ls $version_ms $version_ls"
  if [[ $fixed == "$expected_fixed" ]]; then
    pass "fixed file info: file and product version $expected_version"
  else
    fail "fixed file info (signature, file MS, LS, product MS, LS) is '$fixed', expected '$expected_fixed'"
  fi
  # The UTF-16 keys and values, one a line.
  strings -el "$version" >"$work/version.txt"
  grep -qx '040904B0' "$work/version.txt" || fail "no StringFileInfo block 040904B0"
  while IFS='=' read -r key value; do
    got=$(grep -A1 -x "$key" "$work/version.txt" | sed -n 2p)
    if [[ $got == "$value" ]]; then
      pass "version: $key \"$value\""
    else
      fail "version: $key is \"$got\", expected \"$value\""
    fi
  done <<EOF
CompanyName=Korvane
FileDescription=Korvane
FileVersion=$expected_version
InternalName=korvane
OriginalFilename=korvane.exe
ProductName=Korvane
ProductVersion=$expected_version
EOF
  # The Translation value (0x0409, 1200 = 0x04B0) closes the record.
  translation=$(tail -c 4 "$version" | od -An -tx1 | tr -d ' \n')
  if grep -qx 'Translation' "$work/version.txt" && [[ $translation == 0904b004 ]]; then
    pass "version: Translation 0x0409, 1200"
  else
    fail "version: Translation is '$translation', expected 0x0409, 1200"
  fi
else
  fail "could not extract RT_VERSION 1"
fi

# --- The image header ----------------------------------------------------------
# Bits a change of toolchain must not drop silently: TERMINAL_SERVER_AWARE (a
# Remote Desktop session host runs a program without it under its
# compatibility layer), DEP and both kinds of ASLR. Windows 7 (6.1) is the
# oldest Windows Korvane runs on.
if "$objdump" -p "$exe" >"$work/headers" 2>/dev/null; then
  header_field() { sed -n "s/^$1[[:space:]]\+\([0-9a-fA-F]\+\).*/\1/p" "$work/headers" | head -n 1; }
  characteristics=$(header_field DllCharacteristics)
  if [[ -n $characteristics ]]; then
    for bit in 8000:TERMINAL_SERVER_AWARE 0100:NX_COMPAT 0040:DYNAMIC_BASE 0020:HIGH_ENTROPY_VA; do
      if (( 16#$characteristics & 16#${bit%%:*} )); then
        pass "header: DllCharacteristics 0x$characteristics has ${bit#*:} (0x${bit%%:*})"
      else
        fail "header: DllCharacteristics 0x$characteristics lacks ${bit#*:} (0x${bit%%:*})"
      fi
    done
  else
    fail "header: objdump shows no DllCharacteristics"
  fi
  for field in OSystem:OS Subsystem:subsystem; do
    version="$(header_field "Major${field%%:*}Version").$(header_field "Minor${field%%:*}Version")"
    if [[ $version == 6.1 ]]; then
      pass "header: ${field#*:} version 6.1 (Windows 7)"
    else
      fail "header: ${field#*:} version is $version, expected 6.1 (Windows 7)"
    fi
  done
else
  fail "$objdump could not read $exe"
fi

# --- Imported DLLs -------------------------------------------------------------
# Windows looks for an imported DLL in the program's own folder first, unless
# it is one of the Known DLLs (mapped from the system folder only) or bound
# side by side by the manifest (comctl32). The program runs from wherever it
# was downloaded to, so it imports nothing else: these are the Known DLLs of
# every Windows from 7 to 11; ntdll is mapped by the kernel before any search.
known_dlls='advapi32.dll clbcatq.dll comdlg32.dll gdi32.dll imagehlp.dll imm32.dll kernel32.dll msctf.dll
msvcrt.dll normaliz.dll nsi.dll ntdll.dll ole32.dll oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll
shell32.dll shlwapi.dll user32.dll wldap32.dll ws2_32.dll'
if [[ -s $work/headers ]]; then
  mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' "$work/headers" | tr 'A-Z' 'a-z')
  if [[ ${#dlls[@]} -eq 0 ]]; then
    fail "objdump lists no imported DLL"
  fi
  bad_imports=0
  for dll in "${dlls[@]}"; do
    case $dll in
      libstdc++*|libgcc*|libwinpthread*|*mingw*)
        fail "imports $dll: the MinGW runtime must be linked statically"
        bad_imports=1 ;;
      comctl32.dll)
        ;;
      *)
        if ! grep -qw -- "$dll" <<<"$known_dlls"; then
          fail "imports $dll, which is no Known DLL: Windows would look for it beside korvane.exe first (load it from the system folder at run time)"
          bad_imports=1
        fi ;;
    esac
  done
  [[ $bad_imports == 1 ]] || pass "imports only Known DLLs and comctl32: ${dlls[*]}"
fi

if [[ $failures -gt 0 ]]; then
  echo "check-resources: $failures check(s) failed for $exe"
  exit 1
fi
echo "check-resources: all checks passed for $exe"
