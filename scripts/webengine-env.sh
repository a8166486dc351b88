# Sourced by the scripts that start Qt WebEngine. Chromium refuses to run as root with its
# sandbox on; only then (tests, CI, containers) is it turned off.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
# Keep Chromium off the network beyond what pages ask for, and off the GPU under Xvfb.
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:-} --disable-gpu --disable-background-networking --disable-component-update --no-first-run"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}"
