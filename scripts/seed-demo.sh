#!/usr/bin/env bash
# Writes a settings file that starts Tovara2 with SysMon.dll loaded and all
# six of its modules active: the quickest way to a bar worth looking at.
# Usage: seed-demo.sh path/to/Settings.xml   (the file is replaced)
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 Settings.xml" >&2
  exit 2
fi
out=$1
mkdir -p "$(dirname "$out")"

modules=(CPU Memory Network Disk Clock Uptime)
order=""
for m in "${modules[@]}"; do
  order+="${order:+, }SysMon.dll:$m"
done

# The store's own layout: tab indentation, CR LF line ends, UTF-16LE with a BOM.
{
  printf '<?xml version="1.0" ?>\n'
  printf '<Tovara2>\n'
  printf '\t<default>Default</default>\n'
  printf '\t<profile name="Default">\n'
  printf '\t\t<setting name="_alignment" type="string">left</setting>\n'
  printf '\t\t<setting name="_style" type="string">etched</setting>\n'
  printf '\t\t<setting name="_order" type="string">%s</setting>\n' "$order"
  printf '\t\t<node name="SysMon.dll">\n'
  printf '\t\t\t<setting name="_loaded" type="bool">true</setting>\n'
  for m in "${modules[@]}"; do
    printf '\t\t\t<node name="%s">\n' "$m"
    printf '\t\t\t\t<setting name="_activated" type="bool">true</setting>\n'
    printf '\t\t\t</node>\n'
  done
  printf '\t\t</node>\n'
  printf '\t</profile>\n'
  printf '</Tovara2>\n'
} | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE > "$out.tmp"
{ printf '\xff\xfe'; cat "$out.tmp"; } > "$out"
rm -f "$out.tmp"
