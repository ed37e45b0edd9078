# Helpers that give every plug-in, test and benchmark the same shape.

# zorbit_add_plugin(NAME src...): a plug-in file named exactly NAME.so, with
# an RPATH of $ORIGIN so it finds the other plug-ins and the scene library.
function(zorbit_add_plugin name)
  add_library(${name} MODULE ${ARGN})
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX ".so"
    BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN"
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${name} PRIVATE zorbit_contract)
  install(TARGETS ${name} LIBRARY DESTINATION ${ZORBIT_PLUGIN_INSTALL_DIR})
endfunction()

# zorbit_add_test(NAME SOURCES src... [LIBS lib...] [GL]): one GoogleTest
# program, registered as one CTest test. GL tests need an X display (the
# test command runs under xvfb-run); the others run with SDL's dummy drivers.
function(zorbit_add_test name)
  if(NOT ZORBIT_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "GL" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    ZORBIT_BIN_DIR="${ZORBIT_BIN_DIR}"
    ZORBIT_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    ZORBIT_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set(env "SDL_AUDIODRIVER=dummy"
          "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
          "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0")
  if(T_GL)
    set_tests_properties(${name} PROPERTIES LABELS gl)
  else()
    list(APPEND env "SDL_VIDEODRIVER=dummy")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()

# zorbit_add_benchmark(NAME SOURCES src... [LIBS lib...])
function(zorbit_add_benchmark name)
  if(NOT ZORBIT_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${name} PRIVATE ZORBIT_BIN_DIR="${ZORBIT_BIN_DIR}" ZORBIT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endfunction()

# zorbit_data_exports(src...): the sources that define the data every plug-in
# exports under the same names (Zorbit_ContractVersion, Zorbit_Descriptions).
# A plug-in that links another (balloons.so links fonts.so) then brings two
# definitions of each name into the process, which AddressSanitizer's
# one-definition check takes for a fault although each is only ever looked up
# in its own library; these files are built without its global checks.
function(zorbit_data_exports)
  if(ZORBIT_SANITIZE)
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS "--param=asan-globals=0")
  endif()
endfunction()
