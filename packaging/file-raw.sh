#!/bin/sh
# CPack runs `file` in the C locale, where it writes every non-ASCII byte of a
# name as an octal escape, and then hands those names to dpkg-shlibdeps. The
# program's name is Chinese; raw output keeps it intact.
exec file --raw "$@"
