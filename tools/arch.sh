# Sourced by the tools: the architecture to build (ARCH, x86_64 unless chosen otherwise) and
# its build folder (build for x86_64, build-i686 for i686).
arch=${ARCH:-x86_64}
case "$arch" in
    x86_64) build_dir=build ;;
    i686) build_dir=build-i686 ;;
    *) echo "ARCH must be x86_64 or i686, not '$arch'" >&2; exit 2 ;;
esac
export ARCH=$arch
