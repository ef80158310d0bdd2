#!/usr/bin/env bash
# CTest's emulator for cross-built test programs: runs one under Wine with the
# environment that wine_env_start exported. VELKARO_HARNESS tells the tests
# that this set-up gives what they may otherwise skip (platform_checks.h).
VELKARO_HARNESS=1 exec wine "$@"
