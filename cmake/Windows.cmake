# The Windows build, cross-compiled with mingw-w64 against the Windows kit (Qt built
# static for mingw-w64, and the SQLite amalgamation). SQLite and GoogleTest are compiled
# here from source; every executable links statically, so it needs no DLL beside it, and
# the tests run under Wine where it is installed.
set(ORVEL_WINDOWS_KIT "${QT_TOOLCHAIN_RELOCATABLE_INSTALL_PREFIX}/.." CACHE PATH
    "The unpacked Windows kit, which holds sqlite/ and qt6-mingw/")
if(NOT EXISTS "${ORVEL_WINDOWS_KIT}/sqlite/sqlite3.c")
  message(FATAL_ERROR "No SQLite amalgamation in '${ORVEL_WINDOWS_KIT}/sqlite': set ORVEL_WINDOWS_KIT to the "
                      "unpacked Windows kit (scripts/windows.sh unpacks it into build/windows).")
endif()

add_link_options(-static $<$<CONFIG:Release>:-s>)

# The project's warnings are for its own code.
add_library(orvel_sqlite3 STATIC "${ORVEL_WINDOWS_KIT}/sqlite/sqlite3.c")
target_include_directories(orvel_sqlite3 SYSTEM PUBLIC "${ORVEL_WINDOWS_KIT}/sqlite")
target_compile_definitions(orvel_sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_DQS=0)
target_compile_options(orvel_sqlite3 PRIVATE -w)
add_library(SQLite::SQLite3 ALIAS orvel_sqlite3)

# GoogleTest from the source that Debian's googletest package installs; it names its
# libraries GTest::gtest, GTest::gmock and so on, as the installed package does.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main gmock gmock_main)
  target_compile_options(${library} PRIVATE -w)
endforeach()

find_program(ORVEL_WINE wine)
if(ORVEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${ORVEL_WINE}")
endif()

# Qt's platform plugins and style are static libraries too: the program draws with the
# windows platform, the tests with offscreen.
function(orvel_import_qt_plugins target)
  qt_import_plugins(${target}
    INCLUDE_BY_TYPE platforms Qt6::QWindowsIntegrationPlugin Qt6::QOffscreenIntegrationPlugin
    INCLUDE_BY_TYPE styles Qt6::QWindowsVistaStylePlugin
    EXCLUDE_BY_TYPE imageformats)
endfunction()
