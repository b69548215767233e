# shellcheck shell=bash
# Sourced by the tests that need a tool: `unavailable "MESSAGE"` ends the test
# as skipped (exit 77, which ctest reports as a skip) outside CI, and as
# failed in CI, which must run every test.

unavailable() {
  case "${CI:-}" in
    "" | false | 0)
      echo "SKIPPED: $* (install it with scripts/deps.sh test)"
      exit 77
      ;;
    *)
      echo "FAILED: $* (CI must run this test)"
      exit 1
      ;;
  esac
}
