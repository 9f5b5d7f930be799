#!/usr/bin/env bash
# Starts or stops the Wine session that the tests of one ctest run share
# (the fixture around them). See harness.sh for the settings.
#   session.sh start | stop
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

case "${1:-}" in
  start)
    # A start that fails half-way leaves nothing running.
    trap 'code=$?; [ $code -eq 0 ] || fl_session_stop quiet; exit $code' EXIT
    trap 'exit 130' INT TERM
    fl_session_start
    ;;
  stop)
    fl_session_stop
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
