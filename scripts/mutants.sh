#!/usr/bin/env bash
# Are the tests any good? Plants small deliberate faults in the product, one
# at a time, rebuilds the 64-bit tree and runs the test programs that should
# notice; prints how many were caught and which survived.
#
#   scripts/mutants.sh            every mutant
#   scripts/mutants.sh NAME...    only these (a name may end in *)
#   scripts/mutants.sh --check    only checks that every fault still applies
#
# A mutant is a file name, an exact search string found once in that file,
# and its replacement. Files are found by name wherever they live, so the
# list survives moves between folders; a search string that matches nothing
# (or more than once) stops the run loudly rather than testing nothing.
# Interrupted or not, every file is put back as it was.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$TV2_TOP" || exit 1

NAMES=() FILES=() PROGRAMS=() FILTERS=() SEARCHES=() REPLACES=()
# mutant NAME FILE "PROGRAMS" FILTER SEARCH REPLACE
#   PROGRAMS: the test programs to run, likeliest first (test_ left off);
#   FILTER: a gtest filter tried first for a quick answer ("" for none).
mutant() {
  NAMES+=("$1") FILES+=("$2") PROGRAMS+=("$3") FILTERS+=("$4") SEARCHES+=("$5") REPLACES+=("$6")
}

# --- Runtime and bar arithmetic
mutant ptr-capacity ptr_array.cpp "core" "PtrArray*" \
  'UINT c = (count + 16) & ~15u;' 'UINT c = (count + 15) & ~15u;'
mutant ptr-unstable-insert ptr_array.cpp "core plugins" "PtrArray*" \
  'while (k > 0 && compare(a->items[k - 1], a->items[k]) > 0) {' \
  'while (k > 0 && compare(a->items[k - 1], a->items[k]) >= 0) {'
mutant string-truncation res_string.cpp "core" "StringTables*" \
  'int n = length < size - 1 ? length : size - 1;' 'int n = length < size ? length : size;'
mutant module-area-edge bar_geometry.cpp "core integration" "BarGeometry*:*Welcome*" \
  'area.bottom = BAR_HEIGHT - 2;' 'area.bottom = BAR_HEIGHT - 3;'
mutant popup-left-edge bar_geometry.cpp "core integration" "BarGeometry*" \
  'OffsetRect(rect, monitor.left - rect->left, 0);' 'OffsetRect(rect, monitor.left - rect->left - 1, 0);'
mutant welcome-inset bar_geometry.cpp "core integration" "BarGeometry*:*Welcome*" \
  'RECT r = {area.left + 8, area.top + 6,' 'RECT r = {area.left + 8, area.top + 5,'
mutant opacity-alpha bar_geometry.cpp "core integration" "BarOpacity*" \
  'percent * 255u / 100u' 'percent * 256u / 100u'
mutant word-restart bar_words.cpp "core integration" "BarWords*" \
  $'        *progress = 0;\n        return false;' $'        *progress = c == word[0] ? 1 : 0;\n        return false;'
mutant autohide-delay bar_autohide.cpp "core integration" "BarAutohide*" \
  'if (in.msSinceHover > kLeaveDelayMs && !in.cursorInside) {' 'if (in.msSinceHover >= kLeaveDelayMs && !in.cursorInside) {'
mutant drop-overwrites bar_drop.cpp "core integration" "*Drop*" \
  'CopyFileW(source, target, TRUE);' 'CopyFileW(source, target, FALSE);'
mutant menu-marks-swapped bar_menu.cpp "core integration" "*Menu*:*Profile*" \
  'UINT state = (i == fallback ? MFS_DEFAULT : 0) | (i == current ? MFS_CHECKED : 0);' \
  'UINT state = (i == current ? MFS_DEFAULT : 0) | (i == fallback ? MFS_CHECKED : 0);'
mutant exit-under-config bar_menu.cpp "core integration" "*Exit*" \
  $'    if (ConfigWindowIsOpen()) {\n        MessageBeep' $'    if (false) {\n        MessageBeep'
mutant shake-not-undone-at-exit bar_words.cpp "integration core" "*Duke*:*Shake*" \
  $'        Bar.position = ShakeSavedPosition;\n        Shaking = false;' $'        Shaking = false;'
mutant language-ignored startup.cpp "core integration" "Startup*" \
  'CurrentLanguage = LOWORD(language);' 'CurrentLanguage = 1033;'
mutant settings-never-saved startup.cpp "integration core" "SettingsFile*:*Saved*:*Store*" \
  $'        ControlsUnregister();\n        SettingsClose();' $'        ControlsUnregister();'

# --- XML and the settings store
mutant xml-gt-unescaped xml_internal.h "settings integration" "XmlTest.*:StoreTest.*" \
  $'case L\'>\': return L"&gt;";' $'case L\'>\': return nullptr;'
mutant xml-indent-limit xml_writer.cpp "settings" "XmlTest.*" \
  'const UINT kMaxIndent = 16;' 'const UINT kMaxIndent = 15;'
mutant xml-byte-order xml_writer.cpp "settings integration" "XmlTest.*" \
  'PutChar(&w, 0xFEFF);' 'PutChar(&w, 0xFFFE);'
mutant xml-empty-element xml_writer.cpp "settings" "XmlTest.*" \
  'Put(w, L" />");' 'Put(w, L"/>");'
mutant xml-apos-decodes-wrong xml_parser.cpp "settings" "XmlTest.*" \
  $'{L"&apos;", 6, L\'\\\'\'}' $'{L"&apos;", 6, L\'"\'}'
mutant xml-no-collapse xml_parser.cpp "settings" "XmlTest.*" \
  "if (!inSpace) out[o++] = L' ';" "out[o++] = L' ';"
mutant xml-end-tag-case xml_parser.cpp "settings" "XmlTest.*" \
  'same = XmlNameEqualsNoCase(e->name, copy);' 'same = false;'
mutant xml-blank-text-kept xml_parser.cpp "settings" "XmlTest.*" \
  $'    if (onlySpace) return;\n' $'\n'
mutant bool-text-case settings_values.cpp "settings" "StoreTest.*" \
  'lstrcmpiW(s->string, kTrue) == 0' 'lstrcmpW(s->string, kTrue) == 0'
mutant number-text-unsigned settings_values.cpp "settings" "StoreTest.*" \
  'wsprintfW(text, L"%i", s->number);' 'wsprintfW(text, L"%u", s->number);'
mutant missing-setting-code settings_values.cpp "settings" "StoreTest.*" \
  $'    if (!SettingsResolvePath(path, false, &target) || !target.setting) return 3;' \
  $'    if (!SettingsResolvePath(path, false, &target) || !target.setting) return 1;'
mutant leaving-not-quiet profiles.cpp "settings plugins" "StoreTest.*" \
  $'    Store.quiet = 1;\n    SettingsNotify(SN_PROFILE_LEAVING' $'    Store.quiet = 0;\n    SettingsNotify(SN_PROFILE_LEAVING'
mutant profile-name-case profiles.cpp "settings" "StoreTest.*" \
  'if (lstrcmpiW(Profile(i)->name, name) == 0) return 4;' 'if (lstrcmpW(Profile(i)->name, name) == 0) return 4;'
mutant profile-delete-index profiles.cpp "settings" "StoreTest.*" \
  $'        if (c > index) c--;\n        if (d > index) d--;\n    }' $'        if (d > index) d--;\n    }'
mutant default-name-case settings_load.cpp "settings integration" "StoreTest.*" \
  'if (lstrcmpiW(static_cast<SettingsNode*>(Store.profiles->items[i])->name, defaultName) == 0) {' \
  'if (lstrcmpW(static_cast<SettingsNode*>(Store.profiles->items[i])->name, defaultName) == 0) {'
mutant save-skipped settings_save.cpp "settings integration" "StoreTest.*" \
  'bool saved = WriteReplacing(document, Store.path);' 'bool saved = true;'
mutant kept-copy-overwritten settings_save.cpp "settings integration" "StoreTest.*" \
  'if (CopyFileW(path, kept, TRUE)) return true;' 'if (CopyFileW(path, kept, FALSE)) return true;'

# --- Plug-in system
mutant layout-right-edge layout.cpp "plugins integration" "*Layout*" \
  '*x = areaWidth - total - 2;' '*x = areaWidth - total - 1;'
mutant layout-padding layout.cpp "plugins integration" "*Layout*:*SideBySide*" \
  'total += row[i].width + 6;' 'total += row[i].width + 5;'
mutant layout-top layout.cpp "plugins integration" "*Layout*:*SideBySide*" \
  'int y = area.top + 5;' 'int y = area.top + 4;'
mutant layout-justify-gaps layout.cpp "plugins integration" "*Layout*" \
  '*gap = (areaWidth - total) / (n + 1);' '*gap = (areaWidth - total) / n;'
mutant separator-dots layout.cpp "plugins integration" "*Layout*" \
  'for (int i = 0; i <= 20; i += 2) {' 'for (int i = 0; i < 20; i += 2) {'
mutant alignment-fallback layout.cpp "plugins integration" "*Alignment*:*Layout*" \
  'ReadWord(L"_alignment", kAlignmentWords, 4, ALIGN_CENTER)' 'ReadWord(L"_alignment", kAlignmentWords, 4, ALIGN_LEFT)'
mutant order-separator order.cpp "plugins integration" "*Order*" \
  $'                *out++ = L\',\';\n                *out++ = L\' \';' $'                *out++ = L\',\';'
mutant order-duplicates order.cpp "plugins integration" "*Order*" \
  '    if (FindEntry(e->key)) {' '    if (false) {'
mutant order-swap-half order.cpp "plugins integration" "*Order*:*Move*" \
  '    ea->position = eb->position;' '    ea->position = ea->position;'
mutant order-lock-dropped order.cpp "plugins integration" "*Order*" \
  $'    ListLock lock(PluginSys.order);\n    AddEntry(key, StrLen(key));' $'    AddEntry(key, StrLen(key));'
mutant order-not-stored plugin_system.cpp "plugins integration" "PluginSystemTest.*" \
  $'    OrderStore();\n    LayoutStoreAlignmentAndStyle();' $'    LayoutStoreAlignmentAndStyle();'
mutant loaded-by-default plugins/package.cpp "plugins integration" "PluginSystemTest.*" \
  'if (SettingsGetBool(path, &wanted) != 0) wanted = 0;' 'if (SettingsGetBool(path, &wanted) != 0) wanted = 1;'
mutant activated-stored-wrong module.cpp "plugins integration" "PluginSystemTest.*" \
  'SettingsSetBool(path, ModuleHasWindow(record) ? 1 : 0);' 'SettingsSetBool(path, 1);'
mutant width-not-laid-out host_callback.cpp "plugins integration" "PluginSystemTest.*:*Layout*" \
  $'        ModuleSetWidth(m, static_cast<LONG>(arg1));\n        LayoutPost();' $'        ModuleSetWidth(m, static_cast<LONG>(arg1));'
mutant host-key-writable host_callback.cpp "integration" "PluginsProgram.*" \
  "    return *last == L'_';" '    return false;'
mutant exists-null-path host_callback.cpp "integration" "PluginsProgram.*" \
  'if (!path) return 1;  // as if it existed' 'if (!path) return 0;  // as if it existed'
mutant setting-result-code host_callback.cpp "integration" "PluginsProgram.*" \
  'return result == 0 ? HC_RESULT_OK : HC_RESULT_SETTING;' 'return result == 0 ? HC_RESULT_OK : HC_RESULT_REFUSED;'
mutant mailbox-fail-code mailbox.cpp "plugins" "ThreadMailbox.*" \
  'UINT_PTR result = MAILBOX_FAILED;' 'UINT_PTR result = 0;'
mutant guard-catches-warnings fault_guard.cpp "plugins integration" "FaultGuard.*" \
  'return (code & 0xC0000000) == 0xC0000000;' 'return (code & 0x80000000) != 0;'
mutant report-bracket-open ubb_markup.cpp "plugins integration" "FaultReport.*" \
  "        if (*p == L'[') *p = L'(';" "        if (*p == L'{') *p = L'(';"

# --- Controls
mutant ubb-target-uncut ubb_markup.cpp "controls" "Ubb*" \
  'CopyChars(target, n < UBB_MAX_TARGET ? n : UBB_MAX_TARGET);' 'CopyChars(target, n);'
mutant ubb-strike-underlines ubb_markup.cpp "controls" "Ubb*" \
  'case TAG_S_ON: ps->style |= UBB_STRIKE; break;' 'case TAG_S_ON: ps->style |= UBB_UNDERLINE; break;'
mutant ubb-tab-stop ubb_layout.cpp "controls" "Ubb*" \
  'int stop = 4 * (pen.averageWidth' 'int stop = 8 * (pen.averageWidth'
mutant ubb-click-slop ubb_control.cpp "controls" "Ubb*" \
  'constexpr int kClickSlop = 4;' 'constexpr int kClickSlop = 5;'
mutant ubb-foreign-capture ubb_control.cpp "controls" "Ubb*" \
  $'would cut its drag.\n    if (GetCapture() == w) ReleaseCapture();' $'would cut its drag.\n    ReleaseCapture();'
mutant msgbox-question-icon markup_msgbox.cpp "controls" "MsgBox.*" \
  'case MMB_QUESTION: return {IDI_QUESTION, MB_ICONQUESTION};' 'case MMB_QUESTION: return {IDI_ASTERISK, MB_ICONQUESTION};'
mutant msgbox-close-is-ok markup_msgbox.cpp "controls" "MsgBox.*" \
  'case WM_CLOSE: EndDialog(dialog, IDCANCEL); return FALSE;' 'case WM_CLOSE: EndDialog(dialog, IDOK); return FALSE;'

# --- SysMon
mutant sysmon-redundant-widths sysmon/package.cpp "sysmon integration" "*Width*:SysMon*" \
  'if (width == m->width || !m->record || !g_host.callback) return;' 'if (!m->record || !g_host.callback) return;'
mutant sysmon-clock-format sysmon/settings.cpp "integration sysmon" "SysMon*" \
  $'    StrCopy(s->timeFormat, L"HH:mm:ss", kFormatChars);\n    StrCopy(s->dateFormat' \
  $'    StrCopy(s->timeFormat, L"HH:mm", kFormatChars);\n    StrCopy(s->dateFormat'
mutant sysmon-colour-bytes sysmon/settings.cpp "integration sysmon" "SysMon*" \
  '    return static_cast<COLORREF>(value);' '    return static_cast<COLORREF>(value << 8);'

# ---------------------------------------------------------------------------

find_file() {  # the one tracked file whose path ends in /$1
  local found
  found=$(git ls-files -- "$1" "*/$1")
  if [ -z "$found" ] || [ "$(printf '%s\n' "$found" | wc -l)" -ne 1 ]; then
    tv2_log "mutants: no single file named $1 (found: ${found:-none})"
    return 1
  fi
  printf '%s\n' "$found"
}

# Replaces the one occurrence of $2 in file $1 by $3; fails loudly otherwise.
apply() {
  python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, search, replace = sys.argv[1:4]
with open(path, encoding="utf-8", newline="") as f:
    text = f.read()
n = text.count(search)
if n != 1:
    sys.exit(f"mutants: search string found {n} times in {path}: {search!r}")
with open(path, "w", encoding="utf-8", newline="") as f:
    f.write(text.replace(search, replace))
EOF
}

STASH=$(mktemp -d)
MUTATED=
restore() {
  if [ -n "$MUTATED" ]; then
    cp "$STASH/original" "$MUTATED"  # a fresh time stamp, so make rebuilds it
    MUTATED=
  fi
}
cleanup() { restore; rm -rf "$STASH"; tv2_stop_services; }
trap cleanup EXIT
trap 'restore; exit 130' INT TERM

# Check every mutant first: a stale search string ends the run before it starts.
check_only=0 wanted=()
for a in "$@"; do
  if [ "$a" = --check ]; then check_only=1; else wanted+=("$a"); fi
done
selected=()
for i in "${!NAMES[@]}"; do
  if [ ${#wanted[@]} -gt 0 ]; then
    hit=0
    for w in "${wanted[@]}"; do [[ "${NAMES[$i]}" == $w ]] && hit=1; done
    [ $hit = 1 ] || continue
  fi
  file=$(find_file "${FILES[$i]}") || exit 2
  cp "$file" "$STASH/original"
  MUTATED=$file
  apply "$file" "${SEARCHES[$i]}" "${REPLACES[$i]}" || { restore; exit 2; }
  restore
  selected+=("$i")
done
tv2_log "mutants: ${#selected[@]} apply cleanly"
[ $check_only = 1 ] && exit 0
[ ${#selected[@]} -gt 0 ] || exit 2

[ -f "$TV2_BUILD64/CMakeCache.txt" ] || tv2_build "$TV2_BUILD64" mingw-x86_64.cmake || exit 1
tv2_start_services || exit 1
targets=$(cmake --build "$TV2_BUILD64" --target help 2>/dev/null)
exists() { grep -q "\.\.\. test_$1\$" <<<"$targets"; }

# Builds and runs the programs once unmutated: a red suite proves nothing.
all_programs=()
for i in "${selected[@]}"; do
  for p in ${PROGRAMS[$i]}; do
    exists "$p" && [[ " ${all_programs[*]} " != *" $p "* ]] && all_programs+=("$p")
  done
done
log=$TV2_BUILD64/mutants.log
: >"$log"
started=$(date +%s)
cmake --build "$TV2_BUILD64" -j"$(nproc)" --target $(printf 'test_%s ' "${all_programs[@]}") >>"$log" 2>&1 ||
  { tv2_log "mutants: the unmutated tree does not build, see $log"; exit 1; }
for p in "${all_programs[@]}"; do
  (cd "$TV2_BUILD64/tests" && timeout 900 "$TV2_TOP/scripts/tv2-wine" "test_$p.exe" --gtest_brief=1 >>"$log" 2>&1) ||
    { tv2_log "mutants: test_$p fails without any mutant, see $log"; exit 1; }
done
tv2_log "mutants: unmutated programs pass ($(( $(date +%s) - started )) s)"

# Runs one test program; 0 when every test passed.
run_program() {  # program [filter]
  local args=(--gtest_brief=1 --gtest_fail_fast)
  [ -n "${2:-}" ] && args+=("--gtest_filter=$2")
  (cd "$TV2_BUILD64/tests" && timeout 600 "$TV2_TOP/scripts/tv2-wine" "test_$1.exe" "${args[@]}") >>"$log" 2>&1
}

caught=0 survived=() broken=()
for i in "${selected[@]}"; do
  name=${NAMES[$i]} file=$(find_file "${FILES[$i]}")
  progs=()
  for p in ${PROGRAMS[$i]}; do exists "$p" && progs+=("$p"); done
  t0=$(date +%s)
  cp "$file" "$STASH/original"
  MUTATED=$file
  apply "$file" "${SEARCHES[$i]}" "${REPLACES[$i]}" || exit 2
  echo "=== $name ($file)" >>"$log"
  verdict=survived
  if ! cmake --build "$TV2_BUILD64" -j"$(nproc)" --target $(printf 'test_%s ' "${progs[@]}") >>"$log" 2>&1; then
    verdict=broken
  elif [ -n "${FILTERS[$i]}" ] && ! run_program "${progs[0]}" "${FILTERS[$i]}"; then
    verdict=caught
  else
    for p in "${progs[@]}"; do
      if ! run_program "$p"; then verdict=caught; break; fi
    done
  fi
  restore
  case $verdict in
    caught) caught=$((caught + 1)) ;;
    survived) survived+=("$name") ;;
    broken) broken+=("$name") ;;
  esac
  printf '[mutant] %-26s %-8s %4d s  (%s)\n' "$name" "$verdict" $(( $(date +%s) - t0 )) "${progs[*]}"
done

# Leave the build as the sources are.
cmake --build "$TV2_BUILD64" -j"$(nproc)" --target $(printf 'test_%s ' "${all_programs[@]}") >>"$log" 2>&1
echo "caught ${caught} of ${#selected[@]} mutants in $(( $(date +%s) - started )) s"
[ ${#survived[@]} -eq 0 ] || echo "survived: ${survived[*]}"
[ ${#broken[@]} -eq 0 ] || echo "did not build (fix the mutant): ${broken[*]}"
[ ${#broken[@]} -eq 0 ]
