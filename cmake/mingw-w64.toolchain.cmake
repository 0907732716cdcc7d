# Cross-building for 64-bit Windows with Debian's mingw-w64 compilers.
#
# The -posix variants: the win32-thread ones have no std::thread or std::mutex. The programs link
# the C++ runtime as DLLs (no -static), so they share it with the Qt DLLs they load.
#
# Libraries, headers and CMake packages are looked up only under the mingw sysroot and the
# prefixes named in CMAKE_PREFIX_PATH (the Windows Qt, the cross-built third-party pieces), never
# in the build machine's /usr: a Linux header or library in a Windows build fails late and
# obscurely. Programs (moc, rcc, uic, ninja) come from the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DRAVENHOLT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DRAVENHOLT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DRAVENHOLT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DRAVENHOLT_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${DRAVENHOLT_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${DRAVENHOLT_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# The prefixes handed in on the command line are roots too, so that packages inside them are found
# while everything else stays confined to the sysroot.
set(CMAKE_FIND_ROOT_PATH /usr/${DRAVENHOLT_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config likewise reads only the .pc files of those prefixes (libarchive's, for the image
# writer), never the build machine's, whose libraries are Linux ones.
set(_dravenholt_pc_dirs "")
foreach(_prefix IN LISTS CMAKE_PREFIX_PATH)
  list(APPEND _dravenholt_pc_dirs "${_prefix}/lib/pkgconfig")
endforeach()
string(REPLACE ";" ":" _dravenholt_pc_dirs "${_dravenholt_pc_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${_dravenholt_pc_dirs}")
set(ENV{PKG_CONFIG_PATH} "")
