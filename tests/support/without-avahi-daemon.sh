#!/usr/bin/env bash
# Runs a command with a private system bus on which no Avahi daemon answers.
exec "$(dirname "$0")/with-avahi.sh" --no-daemon "$@"
