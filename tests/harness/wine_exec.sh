#!/usr/bin/env bash
# CTest's emulator for cross-built test programs: runs one under Wine with the
# environment that wine_env_start exported.
exec wine "$@"
