#!/usr/bin/env bash
# Installs what is missing, checks the layers, builds and packages the Release build users run
# and a Debug build with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer
# (both with warnings as errors), fuzzes every reader of ours for two minutes and runs every test
# headless.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --tests
scripts/verifier_couches.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORMELLE_WERROR=ON -DORMELLE_TESTS=OFF >/dev/null
cmake --build build-release
# The Debian package users install, opened as dpkg sees it and gone through by lintian
# (no error, no warning); the launcher and the AppStream record pass their validators.
desktop-file-validate data/io.github.ormelle.desktop
appstreamcli validate --no-net data/io.github.ormelle.metainfo.xml
rm -rf build-release/paquet
(cd build-release && cpack -G DEB -B paquet >/dev/null)
tests/paquet/verifier_paquet.sh build-release/paquet/ormelle_*.deb
# The bench is built once, above, with its warnings; built again sanitized it would check nothing more.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORMELLE_SANITIZE=ON -DORMELLE_WERROR=ON -DORMELLE_BENCH=OFF \
  >/dev/null
cmake --build build-test
if [ -x tests/fuzz/run.sh ]; then
  tests/fuzz/run.sh build-fuzz
fi
export QT_QPA_PLATFORM=offscreen
cd build-test
# A test that fails is run once more, and shows in the log either way: the tests that race a
# real X server, window manager or worker threads are the ones a loaded machine can upset.
ctest --output-on-failure -j2 --repeat until-pass:2
