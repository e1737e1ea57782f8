#!/bin/sh
# software_centre.sh PACKAGE.deb: builds the software-centre catalogue from
# the package's files the way distributions do. It fails where the metadata,
# the menu entry and the icons do not name one another alike.
set -eu
compose=/usr/libexec/appstreamcli-compose
[ -x "$compose" ] || {
    echo "SKIPPED: $compose is missing (Debian's appstream-compose; tools/setup.sh installs it)"
    exit 77
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$1" "$work/root"
report=$("$compose" --no-net --no-color --print-report=full --origin=quobel \
    --result-root="$work/out" "$work/root" 2>&1) || {
    echo "$report"
    exit 1
}
echo "$report"
# Warnings and hints do not fail the run; they fail the test.
if echo "$report" | grep -Eq '^ *[EWI]: '; then
    exit 1
fi
zcat "$work/out/usr/share/swcatalog/xml/quobel.xml.gz" | grep -q '<icon type="cached"' || {
    echo "the catalogue has no icon for the program"
    exit 1
}
