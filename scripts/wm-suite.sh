#!/usr/bin/env bash
# Runs the window-manager suite (build/linux/tests/wm/wm_tests) under each
# window manager, each in its own Xvfb, and reports per manager.
# Fails when any manager fails. Logs: build/linux/wm-<manager>.log.
#   scripts/wm-suite.sh                 every manager
#   scripts/wm-suite.sh mutter i3 ...   only these
set -uo pipefail
cd "$(dirname "$0")/.."
managers=(openbox icewm fluxbox xfwm4 i3 kwin mutter picom)

# Starts a manager in the background (its pid in $wm_pid).
start_manager() {
  case $1 in
    openbox) openbox ;;
    icewm) icewm ;;
    fluxbox) fluxbox ;;
    xfwm4) xfwm4 ;;
    i3) i3 -c tests/wm/i3.config ;;
    kwin) dbus-run-session -- kwin_x11 --replace ;;
    mutter) dbus-run-session -- mutter --x11 --replace ;;
    # A compositor beside a plain manager, as many desktops have.
    picom) openbox & picom --backend xrender ;;
    *) echo "unknown manager $1" >&2; return 1 ;;
  esac
}

# A manager is up once it names itself on the root window; picom once its
# window exists.
manager_ready() {
  case $1 in
    picom) xwininfo -root -children 2>/dev/null | grep -q '"picom"' || return 1 ;;
  esac
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Inside the private X server: the manager, then the tests.
run_one() {
  start_manager "$1" >/dev/null 2>&1 &
  local wm=$!
  local deadline=$((SECONDS + 30))
  until manager_ready "$1"; do
    [ $SECONDS -lt $deadline ] || break
    sleep 0.1
  done
  if ! manager_ready "$1"; then
    echo "the manager did not come up within 30 s"
    kill "$wm" 2>/dev/null
    return 1
  fi
  # Some managers pass over windows mapped the moment they name themselves;
  # nothing shows when they are past that.
  sleep 0.5
  # A healthy run takes a minute or two even on a busy machine; a hang ends here.
  timeout 600 build/linux/tests/wm/wm_tests
  local status=$?
  kill "$wm" 2>/dev/null
  wait 2>/dev/null
  return $status
}

if [ "${1:-}" = --one ]; then
  run_one "$2"
  exit
fi

[ $# -gt 0 ] && managers=("$@")
[ -x build/linux/tests/wm/wm_tests ] || { echo "build wm_tests first (cmake --build --preset linux --target brenvik wm_tests)"; exit 1; }
# Two managers at a time, each in its own X server (WM_JOBS=1: in turn).
jobs=${WM_JOBS:-2}
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# Runs the suite under one manager; writes "<status> <seconds>" to $results/<manager>.
run_under() {
  local t0=$SECONDS status=0
  scripts/with-xvfb.sh "$0" --one "$1" >"build/linux/wm-$1.log" 2>&1 || status=1
  echo "$status $((SECONDS - t0))" >"$results/$1"
}

start=$SECONDS
for m in "${managers[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_under "$m" &
done
wait

failed=()
for m in "${managers[@]}"; do
  read -r status seconds <"$results/$m" || { status=1; seconds=?; }
  if [ "$status" = 0 ]; then
    echo "pass  $m ($seconds s)"
  else
    echo "FAIL  $m ($seconds s)"
    grep -E -A5 'Failure$|manager did not' "build/linux/wm-$m.log" | head -40 | sed 's/^/      /'
    failed+=("$m")
  fi
done
echo "window managers: ${#managers[@]} run, ${#failed[@]} failed${failed:+ (${failed[*]})}, $((SECONDS - start)) s"
[ ${#failed[@]} -eq 0 ]
