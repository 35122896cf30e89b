# The protections of a release build: what Debian builds its own packages
# with (dpkg-buildflags, hardening=+all) and more, so that a hostile patch or
# image meets a hardened program. `make package` checks the packed programs
# with hardening-check, the Windows tests read the PE headers. The sanitizer
# and fuzz builds keep their own flags, and so do Debug builds.
if(NOT CMAKE_BUILD_TYPE STREQUAL "Release" OR MENDRIX_SANITIZE OR MENDRIX_FUZZ)
  return()
endif()
include(CheckCXXCompilerFlag)

# Level 3 follows sizes known only at run time (GCC 12 and later); a C
# library or mingw-w64 that knows only level 2 takes it as 2.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
  set(fortify 3)
else()
  set(fortify 2)
endif()
# -U first: some compilers define a level of their own.
add_compile_options(-fstack-protector-strong -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${fortify}
  -Wformat -Werror=format-security)

if(WIN32)
  # Stack probes are always on for Windows targets, and PE files have no
  # relocation read-only or lazy binding to turn off. Address-space layout
  # randomisation (64-bit, high entropy) and no execution from data pages,
  # stated rather than left to the linker's defaults.
  add_link_options(-Wl,--dynamicbase,--high-entropy-va,--nxcompat)
  # mingw-w64's stack protector and checked functions live in libssp, which
  # the compiler links only when it sees the flag at link time too.
  add_link_options(-fstack-protector-strong)
  return()
endif()

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
add_link_options(-Wl,-z,relro,-z,now)
# Control-flow protection is an x86 feature (branch protection on arm64 is
# another flag): each is added where the compiler takes it.
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "MENDRIX_HAS${flag}" has)
  check_cxx_compiler_flag(${flag} ${has})
  if(${has})
    add_compile_options(${flag})
  endif()
endforeach()
