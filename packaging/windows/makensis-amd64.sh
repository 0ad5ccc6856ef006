#!/bin/sh
# makensis building 64-bit Unicode installers, for CPack: a 32-bit installer cannot be
# run by a 64-bit-only wine, and CPack splits makensis's pre-arguments at every space,
# so the target is given here in one argument.
exec makensis "-XTarget amd64-unicode" "$@"
