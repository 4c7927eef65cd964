# Sourced by the build scripts: sets `launcher` to the CMake options that put ccache before the
# compilers, with files named relative to the checkout ($root), so that a fresh clone anywhere on
# the machine builds from what the last one compiled. Empty without ccache.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
