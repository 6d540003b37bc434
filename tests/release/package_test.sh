#!/usr/bin/env bash
# The release packages as a Windows user meets them. Builds them with
# tools/package, then:
#   - the shipped 32-bit package and zip: checksums, the zip's listing and
#     contents, and the package's tables (32-bit code cannot run here), which
#     must match those of the 64-bit package installed below;
#   - the same package built from the 64-bit build, installed for real with
#     Wine's msiexec into a Wine prefix of its own: files, Start-menu shortcut,
#     uninstall entry; the installed kelpo.exe takes a picture and uploads it to
#     the test FTP server; a package with a higher version replaces it; the
#     removal leaves nothing of Kelpo but the user's settings.
# Runs in a network namespace of its own, so its FTP server on port 21 meets no
# other. Prints "N passed, N failed" and exits non-zero on a failure.
set -uo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)

if [ -z "${KELPO_PACKAGE_TEST_NETNS:-}" ]; then
  exec unshare -n env KELPO_PACKAGE_TEST_NETNS=1 \
    sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi

work="$repo/build/package-test"
mkdir -p "$work"
log="$work/log"
: >"$log"

passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@" >>"$log" 2>&1; then
    echo "ok   $what"
    passed=$((passed + 1))
  else
    echo "FAIL $what (details in $log)"
    failed=$((failed + 1))
  fi
}
finish() {
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}
fail_now() {
  echo "FAIL $1 (details in $log)"
  failed=$((failed + 1))
  finish
}

# --- The packages --------------------------------------------------------------
tools/package >>"$log" 2>&1 || fail_now "tools/package builds the release"
version=$(sed -n 's/^KELPO_VERSION:INTERNAL=//p' build/win32/CMakeCache.txt)
release=build/release
msi32="$release/Kelpo-$version.msi"
zip32="$release/Kelpo-$version-portable.zip"
# A higher version for the upgrade: the last field raised by one.
next="${version%.*}.$((${version##*.} + 1))"
tools/package --preset win64 --output "$work/old" >>"$log" 2>&1 &&
  tools/package --preset win64 --output "$work/new" --version "$next" >>"$log" 2>&1 ||
  fail_now "tools/package builds the 64-bit packages"
old_msi="$work/old/Kelpo-$version-x64.msi"
new_msi="$work/new/Kelpo-$next-x64.msi"

# --- The shipped 32-bit release, read but not run -------------------------------
checksums_cover_both() {
  (cd "$release" && sha256sum --check --strict SHA256SUMS) &&
    [ "$(awk '{print $2}' "$release/SHA256SUMS" | sort | tr '\n' ' ')" = \
      "Kelpo-$version-portable.zip Kelpo-$version.msi " ]
}
check "SHA256SUMS holds the right sums of both artefacts" checksums_cover_both

winget_manifest_matches() {
  local sum
  sum=$(sha256sum "$msi32" | awk '{print toupper($1)}')
  grep -qx "    InstallerSha256: $sum" "$release/Marrowby.Kelpo.installer.yaml" &&
    for file in Marrowby.Kelpo.yaml Marrowby.Kelpo.installer.yaml Marrowby.Kelpo.locale.en-US.yaml; do
      grep -qx "PackageVersion: $version" "$release/$file" || return 1
    done
}
check "the winget manifest carries the MSI's hash and version $version" winget_manifest_matches

zip_holds_the_release() {
  local top="Kelpo-$version"
  diff <(unzip -Z1 "$zip32" | sort) - <<EOF
$top/
$top/LICENSE.txt
$top/README.txt
$top/kelpo.exe
$top/kelpo_remote.dll
EOF
  unzip -p "$zip32" "$top/kelpo.exe" | cmp - build/win32/bin/kelpo.exe &&
    unzip -p "$zip32" "$top/kelpo_remote.dll" | cmp - build/win32/bin/kelpo_remote.dll &&
    unzip -p "$zip32" "$top/README.txt" | tr -d '\r' | cmp - README.md &&
    unzip -p "$zip32" "$top/LICENSE.txt" | tr -d '\r' | cmp - LICENSE
}
check "the zip holds the shipped binaries, the README and the licence" zip_holds_the_release

property() { msiinfo export "$1" Property | awk -F'\t' -v n="$2" '$1 == n {print $2}' | tr -d '\r'; }

msi32_is_the_release() {
  msiinfo suminfo "$msi32" | grep -qx 'Template: Intel;1033' &&
    # Word count bit 8: installs without administrator rights.
    [ $(($(msiinfo suminfo "$msi32" | sed -n 's/^Source: \([0-9]*\).*/\1/p') & 8)) -ne 0 ] &&
    [ "$(property "$msi32" ProductVersion)" = "$version" ] &&
    [ "$(property "$msi32" ProductName)" = Kelpo ] &&
    [ "$(property "$msi32" Manufacturer)" = Marrowby ] &&
    [ -z "$(property "$msi32" ALLUSERS)" ] || return 1
  local unpacked="$work/msi32"
  rm -rf "$unpacked" && mkdir -p "$unpacked" &&
    (cd "$unpacked" && msiextract "$repo/$msi32" >/dev/null) &&
    [ "$(find "$unpacked" -type f -printf '%f\n' | sort | tr '\n' ' ')" = \
      "kelpo.exe kelpo_remote.dll " ] &&
    cmp "$(find "$unpacked" -name kelpo.exe)" build/win32/bin/kelpo.exe &&
    cmp "$(find "$unpacked" -name kelpo_remote.dll)" build/win32/bin/kelpo_remote.dll
}
check "the 32-bit package: per-user, version $version, the shipped binaries" msi32_is_the_release

# Only the architecture tells the two packages apart: what the 64-bit one does
# under Wine below, the shipped one does on Windows.
msi32_installs_like_msi64() {
  # Exporting a table with a stream (Icon) writes the stream to the current folder.
  mkdir -p "$work/tables"
  (
    cd "$work/tables" || exit 1
    for table in Directory Component FeatureComponents Registry RemoveFile Shortcut Icon \
      CustomAction InstallExecuteSequence Upgrade LaunchCondition; do
      diff <(msiinfo export "$repo/$msi32" $table) <(msiinfo export "$old_msi" $table) || exit 1
    done
  ) || return 1
  [ "$(property "$msi32" UpgradeCode)" = "$(property "$old_msi" UpgradeCode)" ] &&
    [ "$(property "$msi32" ProductCode)" != "$(property "$old_msi" ProductCode)" ] &&
    msiinfo suminfo "$old_msi" | grep -qx 'Template: x64;1033'
}
check "the 32-bit package's tables equal the installed 64-bit package's" msi32_installs_like_msi64

# --- Installed for real under Wine ----------------------------------------------
# A prefix of its own, made anew unless the last run left it clean.
export KELPO_WINEPREFIX="$work/wineprefix"
if [ ! -f "$work/wineprefix.clean" ]; then
  rm -rf "$KELPO_WINEPREFIX" "$KELPO_WINEPREFIX.lock"
fi
rm -f "$work/wineprefix.clean"
# Shortcuts under Wine would otherwise become menu entries of this machine.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# shellcheck source=../../tools/wine-env
source tools/wine-env >>"$log" 2>&1 || fail_now "a Wine prefix for the package test"
display_was_up=$kelpo_display_was_up

win() { wine "$@" </dev/null 2>>"$log" | tr -d '\r'; }
unix_path() { winepath -u "$1" 2>>"$log" | tr -d '\r'; }
windows_path() { winepath -w "$1" 2>>"$log" | tr -d '\r'; }
msiexec() { wine msiexec "$@" /qn </dev/null >>"$log" 2>&1; }
reg_has() { wine reg query "$@" </dev/null >/dev/null 2>&1; }
reg_value() { win reg query "$1" /v "$2" | awk -v n="$2" '$1 == n {sub(/^ *[^ ]+ +[^ ]+ +/, ""); print}'; }

install_dir_w="$(win cmd /c 'echo %LOCALAPPDATA%')\\Programs\\Kelpo"
install_dir=$(unix_path "$install_dir_w")
user_programs=$(dirname "$install_dir")
shortcut="$(unix_path "$(win cmd /c 'echo %APPDATA%')")/Microsoft/Windows/Start Menu/Programs/Kelpo.lnk"
settings_key='HKCU\Software\Marrowby\Kelpo'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
[ -d "$user_programs" ] && user_programs_before=yes || user_programs_before=no

# The uninstall entries named Kelpo, "key<TAB>version" a line, from both hives.
uninstall_entries() {
  local hive
  for hive in HKLM HKCU; do
    win reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s
  done | awk '
    /^HKEY_/ { if (name == "Kelpo") print key "\t" version; key = $0; name = ""; version = "" }
    $1 == "DisplayName" { sub(/^ *DisplayName +REG_SZ +/, ""); name = $0 }
    $1 == "DisplayVersion" { sub(/^ *DisplayVersion +REG_SZ +/, ""); version = $0 }
    END { if (name == "Kelpo") print key "\t" version }'
}

# Target, working folder and description of a shell link (MS-SHLLINK).
read_shortcut() {
  /usr/bin/python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 20)[0]
pos = 76
if flags & 0x1:  # HasLinkTargetIDList
    pos += 2 + struct.unpack_from("<H", data, pos)[0]
target = ""
if flags & 0x2:  # HasLinkInfo
    size, _, _, _, base, _, suffix = struct.unpack_from("<7I", data, pos)
    c_string = lambda at: data[at:data.index(b"\0", at)].decode("latin-1")
    target = c_string(pos + base) + c_string(pos + suffix)
    pos += size
strings = {}
for bit, name in ((0x4, "description"), (0x8, "relative"), (0x10, "workdir"),
                  (0x20, "arguments"), (0x40, "icon")):
    if flags & bit:
        count = struct.unpack_from("<H", data, pos)[0]
        # Wine counts the terminating NUL as well.
        strings[name] = data[pos + 2:pos + 2 + 2 * count].decode("utf-16-le").rstrip("\0")
        pos += 2 + 2 * count
print(target)
print(strings.get("workdir", "").rstrip("\\"))
print("arguments: " + strings.get("arguments", ""))
PY
}

installed_as() {
  local want_version=$1
  cmp "$install_dir/kelpo.exe" build/win64/bin/kelpo.exe &&
    cmp "$install_dir/kelpo_remote.dll" build/win64/bin/kelpo_remote.dll &&
    [ "$(find "$install_dir" -mindepth 1 | wc -l)" -eq 2 ] &&
    [ "$(read_shortcut "$shortcut")" = "$install_dir_w\\kelpo.exe
$install_dir_w
arguments: " ] &&
    [ "$(uninstall_entries | wc -l)" -eq 1 ] &&
    [ "$(uninstall_entries | cut -f2)" = "$want_version" ] &&
    [ "$(reg_value "$(uninstall_entries | cut -f1)" Publisher)" = Marrowby ]
}

msiexec /i "$(windows_path "$old_msi")" ||
  fail_now "msiexec installs Kelpo $version without administrator rights"
check "installed: the binaries, a Start-menu shortcut, one uninstall entry ($version)" \
  installed_as "$version"

# The installed program at work: one picture from a still image, uploaded to
# the local FTP server. runatstartup makes it write its start-at-logon entry,
# which the removal must delete.
export KELPO_FTP_STATE="$work/ftp-server"
set_value() { wine reg add "$settings_key" /v "$1" /t "$2" /d "$3" /f </dev/null >>"$log" 2>&1; }
set_value FirstRun REG_DWORD 0
set_value deviceType REG_DWORD 1
set_value devicePath REG_SZ "$(windows_path "$repo/tools/demo-assets/seaside.jpg")"
set_value server REG_SZ 127.0.0.1
set_value user REG_SZ kelpo
set_value password REG_SZ secret
set_value directory REG_SZ webcam
set_value filename REG_SZ webcam.jpg
set_value passiveftp REG_DWORD 1
set_value dialup REG_DWORD 0
set_value runatstartup REG_DWORD 1
takes_a_picture() {
  tests/support/services start || return 1
  local uploaded
  uploaded="$(cat "$KELPO_FTP_STATE/root")/kelpo/webcam/webcam.jpg"
  timeout 120 wine "$install_dir/kelpo.exe" oneshot </dev/null
  local status=$?
  [ "$status" -eq 0 ] && [ "$(head -c 3 "$uploaded" 2>/dev/null | od -An -tx1 | tr -d ' ')" = ffd8ff ]
  local result=$?
  tests/support/services stop
  return $result
}
check "the installed kelpo.exe oneshot uploads a JPEG" takes_a_picture
run_entry=$(reg_value "$run_key" MarrowbyKelpo)
check "the installed kelpo.exe writes its start-at-logon entry" \
  grep -qF "$install_dir_w\\kelpo.exe" <<<"$run_entry"

msiexec /i "$(windows_path "$new_msi")" ||
  fail_now "msiexec upgrades to Kelpo $next"
check "upgraded: the older version replaced by $next" installed_as "$next"
check "upgraded: the user's settings kept" \
  test "$(reg_value "$settings_key" server)" = 127.0.0.1

# Windows tells the old version's removal that an upgrade runs it
# (UPGRADINGPRODUCTCODE), and that removal keeps the start-at-logon entry.
# Wine does not, so its upgrade above deleted the entry; Kelpo writes it again
# at its next exit, as here.
wine reg add "$run_key" /v MarrowbyKelpo /t REG_SZ /d "$run_entry" /f </dev/null >>"$log" 2>&1
upgrade_removal_keeps_run_entry() {
  msiexec /x "$(windows_path "$new_msi")" UPGRADINGPRODUCTCODE='{00000000-0000-0000-0000-000000000001}' &&
    [ ! -e "$install_dir" ] && reg_has "$run_key" /v MarrowbyKelpo &&
    msiexec /i "$(windows_path "$new_msi")"
}
check "a removal by an upgrade keeps the start-at-logon entry" upgrade_removal_keeps_run_entry

# The removal: another program's start-at-logon entry must survive it.
wine reg add "$run_key" /v OtherProgram /t REG_SZ /d 'C:\other.exe' /f </dev/null >>"$log" 2>&1
msiexec /x "$(windows_path "$new_msi")" || fail_now "msiexec removes Kelpo"
removed() {
  [ ! -e "$install_dir" ] && [ ! -e "$shortcut" ] &&
    { [ "$user_programs_before" = yes ] || [ ! -e "$user_programs" ]; } &&
    [ -z "$(uninstall_entries)" ] &&
    ! reg_has 'HKCU\Software\Marrowby\Kelpo Installer' &&
    ! reg_has "$run_key" /v MarrowbyKelpo && reg_has "$run_key" /v OtherProgram
}
check "removed: files, shortcut, uninstall entry and start-at-logon entry" removed
check "removed: the user's settings stay" test "$(reg_value "$settings_key" server)" = 127.0.0.1

# Nothing else anywhere: no file named Kelpo, and no registry key or value that
# mentions it outside the settings (the server writes the registry on exit).
nothing_left() {
  wineserver -k
  wineserver -w
  find "$KELPO_WINEPREFIX/drive_c" -iname '*kelpo*' | grep . && return 1
  /usr/bin/python3 - "$KELPO_WINEPREFIX"/user.reg "$KELPO_WINEPREFIX"/system.reg <<'PY'
import sys
left = []
for path in sys.argv[1:]:
    section = ""
    for line in open(path, encoding="utf-8", errors="replace"):
        if line.startswith("["):
            section = line.split("]")[0] + "]"
        if "kelpo" in line.lower() and not section.lower().startswith("[software\\\\marrowby\\\\kelpo]") \
                and not section.lower().startswith("[software\\\\marrowby\\\\kelpo\\\\"):
            left.append("%s: %s %s" % (path, section, line.strip()))
print("\n".join(left))
sys.exit(1 if left else 0)
PY
}
check "removed: nothing of Kelpo left in the prefix but the settings" nothing_left

# Leave the prefix as found, for the next run to reuse it.
source tools/wine-env >>"$log" 2>&1
wine reg delete 'HKCU\Software\Marrowby' /f </dev/null >>"$log" 2>&1
wine reg delete "$run_key" /v OtherProgram /f </dev/null >>"$log" 2>&1
[ "$failed" -eq 0 ] && touch "$work/wineprefix.clean"
kelpo_display_was_up=$display_was_up
kelpo_stop_wine
finish
