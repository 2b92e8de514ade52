# GoogleTest in both builds: the system package natively, its sources built
# with MinGW for Windows (the tests then run under Wine through the
# emulator the toolchain file names).
include(CTest)

if(ROTAM_WINDOWS)
  # One Wine prefix per build tree, made on first use by the runner.
  set(ROTAM_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh --prefix ${ROTAM_WINEPREFIX} --arch ${ROTAM_WINE_ARCH})
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(ROTAM_GTEST_MAIN GTest::gtest_main)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gmock ALIAS gmock)
  endif()
else()
  find_package(GTest REQUIRED)
  find_package(benchmark REQUIRED)
  set(ROTAM_GTEST_MAIN GTest::gtest_main)
endif()
include(GoogleTest)

# One test program.  Natively each case is its own CTest test; under Wine a
# program is one CTest test, since every start of Wine costs a second.
# LABELS: "gui" for programs that open windows (they get a display).
function(rotam_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${ROTAM_GTEST_MAIN} GTest::gmock)
  if(ROTAM_WINDOWS)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "wine;${T_LABELS}" TIMEOUT 600)
    if(T_ENV)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENV}")
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "native;${T_LABELS}" ENVIRONMENT "${T_ENV}")
  endif()
endfunction()
