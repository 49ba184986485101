#!/usr/bin/env bash
# Installs the Debian packages that building, testing, benchmarking or packaging needs, skipping
# the ones already present. Usage: scripts/deps.sh [build] [test] [bench] [package] [shots]
# (default: build test)
set -euo pipefail

# build: what configuring, building and starting the programs needs (./run.sh), nothing more.
build_pkgs=(
  cmake make g++ pkg-config
  qt6-base-dev libgl-dev
  qt6-qpa-plugins                    # the window's platform plugins (X11, Wayland, offscreen)
  libqt6svg6                         # the SVG icon engine that draws the window's icon
  fonts-dejavu-core                  # a font for the window on a machine that has none
  libjpeg62-turbo-dev libpng-dev
  libgraphicsmagick++1-dev
  libcurl4-openssl-dev
  ca-certificates                    # the trusted certificates FTPS and HTTPS servers are checked against
)
# test: the test suites, the checks ./test.sh runs and the bounded fuzz runs.
test_pkgs=(
  libgtest-dev libgmock-dev googletest
  clang-format                       # the formatting check
  python3 python3-pyftpdlib          # FTP server the upload tests talk to
  python3-openssl                    # TLS for that FTP server (the FTPS upload tests)
  openssh-server openssh-client      # sshd and ssh-keygen for the SFTP upload tests
  openssl                            # the throw-away certificate of the FTPS tests
  exiv2 libimage-exiftool-perl       # real-looking camera data in test pictures
  graphicsmagick                     # test pictures in every format we decode
  libjpeg-turbo-progs                # jpeg tools to inspect what we write
  clang libclang-rt-14-dev           # libFuzzer for the parser fuzz targets
)
# bench: the benchmark scripts in bench/ and their baselines.
bench_pkgs=(
  libjpeg-turbo-progs imagemagick libvips-tools time graphicsmagick python3
  exiv2                              # the start-up benchmark's baseline and its camera data
)
# package: the Debian package and its checks (scripts/package.sh, scripts/deb-check.sh,
# scripts/make-icons.sh); neither ./run.sh nor ./test.sh needs them.
package_pkgs=(
  dpkg-dev                           # dpkg-shlibdeps for the package's dependencies
  lintian
  desktop-file-utils                 # desktop-file-validate
  appstream                          # appstreamcli validate
  shared-mime-info                   # update-mime-database checks the project file type
  librsvg2-bin                       # rsvg-convert renders the icon's PNG sizes
  bash-completion                    # the completion test runs the completion it installs
  debootstrap                        # the bare Debian root of deb-check.sh
)
# shots: scripts/screenshots.sh draws the windows on a virtual X server.
shots_pkgs=(
  xvfb xauth
)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(build test)

wanted=()
for g in "${groups[@]}"; do
  case "$g" in
    build) wanted+=("${build_pkgs[@]}") ;;
    test)  wanted+=("${test_pkgs[@]}") ;;
    bench) wanted+=("${bench_pkgs[@]}") ;;
    package) wanted+=("${package_pkgs[@]}") ;;
    shots) wanted+=("${shots_pkgs[@]}") ;;
    *) echo "deps.sh: unknown group '$g' (build, test, bench, package, shots)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "deps.sh: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
