#!/bin/sh
# needs.sh TOOL... -- COMMAND [ARGUMENTS...]: runs the command, or skips the
# test (exit code 77) on a machine that lacks one of the tools.
while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
    command -v "$1" >/dev/null 2>&1 || {
        echo "SKIPPED: $1 is not installed (tools/setup.sh installs it)"
        exit 77
    }
    shift
done
shift
exec "$@"
