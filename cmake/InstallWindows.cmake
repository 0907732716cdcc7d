# What the Windows build installs, and the installer and zip made from it (`cpack` in the build
# directory): one folder holding both programs, the Qt DLLs and plugins they load (what windeployqt
# would copy), the C++ runtime DLLs of the compiler, libcsv, libarchive (where rollkit writes disk
# images), the sample roll, the help and the licence notices of everything shipped, also of what is
# compiled into the programs (SQLite, xxHash). The programs install themselves (src/app, src/tools).

set(_licenses licenses)

# The C++ runtime the programs and the Qt DLLs share, from the compiler that built them.
foreach(_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
                  OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${_path}")
    message(FATAL_ERROR "The compiler has no ${_dll}")
  endif()
  install(FILES "${_path}" DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION ${_licenses} RENAME gcc-runtime.copyright)
install(FILES /usr/share/common-licenses/GPL-3 DESTINATION ${_licenses})
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright DESTINATION ${_licenses} RENAME mingw-w64.copyright)

# Compiled into the programs from the deps prefix (scripts/windows-deps.sh), which keeps their notices.
find_file(DRAVENHOLT_SQLITE_NOTICE sqlite.copyright PATH_SUFFIXES licenses REQUIRED)
get_filename_component(_notices "${DRAVENHOLT_SQLITE_NOTICE}" DIRECTORY)
install(FILES "${_notices}/sqlite.copyright" "${_notices}/xxhash.copyright" DESTINATION ${_licenses})

if(TARGET rollkit)
  find_file(DRAVENHOLT_LIBCSV_DLL libcsv-3.dll PATH_SUFFIXES bin REQUIRED)
  get_filename_component(_deps "${DRAVENHOLT_LIBCSV_DLL}" DIRECTORY)
  install(FILES "${DRAVENHOLT_LIBCSV_DLL}" DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES "${_deps}/../licenses/libcsv.copyright" "${_deps}/../licenses/libcsv.COPYING.LESSER"
                "${_deps}/../licenses/CLI11.copyright" "${_deps}/../licenses/nlohmann_json.copyright"
          DESTINATION ${_licenses})
  install(FILES src/tools/rollkit/README.md DESTINATION help RENAME rollkit.md)
  # rollkit image writes disk images with libarchive.
  if(DRAVENHOLT_DISK_IMAGES)
    find_file(DRAVENHOLT_LIBARCHIVE_DLL libarchive.dll PATH_SUFFIXES bin REQUIRED)
    get_filename_component(_archive_bin "${DRAVENHOLT_LIBARCHIVE_DLL}" DIRECTORY)
    install(FILES "${DRAVENHOLT_LIBARCHIVE_DLL}" DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES "${_archive_bin}/../licenses/libarchive.copyright" "${_archive_bin}/../licenses/libarchive.COPYING"
            DESTINATION ${_licenses})
  endif()
endif()

if(TARGET dravenholt)
  # Qt's imported targets (the plugins among them) are seen only where Qt was found.
  find_package(Qt6 REQUIRED COMPONENTS Widgets Network)
  find_package(Qt6 QUIET OPTIONAL_COMPONENTS PrintSupport)
  set(_qt_modules Core Gui Widgets Network)
  if(TARGET Qt6::PrintSupport)
    list(APPEND _qt_modules PrintSupport)
  endif()
  foreach(_module IN LISTS _qt_modules)
    install(FILES $<TARGET_FILE:Qt6::${_module}> DESTINATION ${CMAKE_INSTALL_BINDIR})
  endforeach()
  # Plugins, in the folders Qt looks for beside the program.
  foreach(_plugin platforms:QWindowsIntegrationPlugin styles:QWindowsVistaStylePlugin
                  imageformats:QGifPlugin imageformats:QICOPlugin tls:QTlsBackendCertOnlyPlugin)
    string(REPLACE ":" ";" _pair "${_plugin}")
    list(GET _pair 0 _folder)
    list(GET _pair 1 _target)
    if(TARGET Qt6::${_target})
      install(FILES $<TARGET_FILE:Qt6::${_target}> DESTINATION ${CMAKE_INSTALL_BINDIR}/${_folder})
    elseif(_target STREQUAL "QWindowsIntegrationPlugin")
      message(FATAL_ERROR "This Qt has no windows platform plugin")
    endif()
  endforeach()
  install(FILES /usr/share/common-licenses/LGPL-3 DESTINATION ${_licenses})
  install(FILES /usr/share/doc/libqt6core6/copyright DESTINATION ${_licenses} RENAME qt6-base.copyright)
  install(FILES scripts/windows/qt6-base-no-direct2d.patch DESTINATION ${_licenses})
  install(FILES res/help/guide.html DESTINATION help)
endif()

if(TARGET sample_database)
  install(FILES ${CMAKE_BINARY_DIR}/sample/mroll.cor ${CMAKE_BINARY_DIR}/sample/mroll.ext
                ${CMAKE_BINARY_DIR}/sample/mroll.tre ${CMAKE_BINARY_DIR}/sample/mrdb.id
          DESTINATION sample)
endif()

install(FILES res/windows/NOTICES.txt DESTINATION .)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Dravenholt)
set(CPACK_PACKAGE_VENDOR "The Dravenholt developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Civil War muster roll viewer and rollkit")
set(CPACK_PACKAGE_FILE_NAME "Dravenholt-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Dravenholt)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Dravenholt)
set(CPACK_PACKAGE_EXECUTABLES dravenholt Dravenholt)
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/res/windows/NOTICES.txt")
set(CPACK_STRIP_FILES ON)
# A 64-bit installer (NSIS makes 32-bit ones unless told), into the 64-bit Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# zlib: a little larger than LZMA, and packed in a fraction of the time on a small build machine.
set(CPACK_NSIS_COMPRESSOR "/SOLID zlib")
set(CPACK_NSIS_DISPLAY_NAME "Dravenholt ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "Dravenholt")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME dravenholt.exe)
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/res/icon/dravenholt.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/res/icon/dravenholt.ico")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MENU_LINKS "help/guide.html" "Dravenholt guide")
# A zip unpacks into a folder of the same name.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
