#!/usr/bin/env bash
# Builds Velmo.html (scripts/build-web.sh) and tests it in headless Chromium,
# driven by chromedriver through Selenium, against the native Velmo of the
# Linux build (build/). Leaves screenshots of a finished run, of a refused
# image and of a file too large to be one in build-web/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-packages.sh chromium chromium-driver python3-selenium

bash scripts/build-web.sh build-web
# Same configuration as test.sh, so that its build is reused.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON > /dev/null
cmake --build build -j"$(nproc)" --target Velmo velmo-make-image > /dev/null
# Debian's python, which has Debian's Selenium.
/usr/bin/python3 tests/web/velmo_page_test.py build-web/Velmo.html build/Velmo \
  build/tools/velmo-make-image build-web
