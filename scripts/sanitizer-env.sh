# shellcheck shell=bash
# Sourced by the scripts that run the sanitizer build: every finding stops the run.
sanitizer_files=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:suppressions=$sanitizer_files/asan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$sanitizer_files/lsan.supp
