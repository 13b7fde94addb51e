# orvel_add_test(NAME <name> SOURCES <files...> LIBRARIES <libs...> [QT] [OWN_MAIN] [USER_DEPENDENT])
# One GoogleTest executable per tested folder, registered with ctest as one test.
# QT runs it on Qt's offscreen platform so no display is needed; a QT test, or one
# marked OWN_MAIN, brings its own main (a Qt test must create the application object).
# USER_DEPENDENT marks a test whose checks depend on who runs it (file permissions): it
# gets the ctest label user-dependent, and scripts/test.sh, run as root, runs it again as
# an unprivileged user (scripts/test-unprivileged.sh).
function(orvel_add_test)
  cmake_parse_arguments(T "QT;OWN_MAIN;USER_DEPENDENT" "NAME" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} GTest::gtest GTest::gmock Threads::Threads)
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test)
    if(WIN32)
      orvel_import_qt_plugins(${T_NAME})
    endif()
  endif()
  if(NOT T_QT AND NOT T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  set(arguments)
  if(T_QT AND WIN32)
    # Wine keeps QT_ variables from Windows programs, so the platform comes as an argument.
    set(arguments -platform offscreen)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} ${arguments})
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan-qt.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  if(T_USER_DEPENDENT)
    set_tests_properties(${T_NAME} PROPERTIES LABELS user-dependent)
  endif()
endfunction()
