# The fuzz targets in the test suite. They need clang (libFuzzer), while the
# application is built by g++, so tests/fuzz is configured as a project of
# its own into <build>/tests/fuzz and built with everything else. Each target
# then runs for MOBIVERT_FUZZ_SECONDS (label "fuzz"); tests/fuzz/run-fuzzer.sh
# runs one for longer.
option(MOBIVERT_FUZZ "Build the fuzz targets with clang and run them in the test suite" ON)
set(MOBIVERT_FUZZ_SECONDS 60 CACHE STRING "Seconds each fuzz target runs in the test suite")
if(NOT MOBIVERT_FUZZ)
  return()
endif()

find_program(MOBIVERT_CLANGXX NAMES clang++ clang++-14)
if(NOT MOBIVERT_CLANGXX)
  message(STATUS "clang++ not found: no fuzz targets (scripts/setup.sh installs clang)")
  return()
endif()

include(ExternalProject)
set(MOBIVERT_FUZZ_BUILD_DIR "${CMAKE_BINARY_DIR}/tests/fuzz")
ExternalProject_Add(mobivert_fuzz
  SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}"
  BINARY_DIR "${MOBIVERT_FUZZ_BUILD_DIR}"
  CMAKE_GENERATOR "${CMAKE_GENERATOR}"
  CMAKE_ARGS
    "-DCMAKE_CXX_COMPILER=${MOBIVERT_CLANGXX}"
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
  INSTALL_COMMAND ""
  # The sources live in the main tree, so the sub-build checks them every time.
  BUILD_ALWAYS ON
  LOG_CONFIGURE ON
  LOG_OUTPUT_ON_FAILURE ON)

include("${CMAKE_CURRENT_LIST_DIR}/Targets.cmake")
foreach(target IN LISTS MOBIVERT_FUZZ_TARGETS)
  add_test(NAME fuzz_${target}
    COMMAND sh "${CMAKE_CURRENT_LIST_DIR}/run-fuzzer.sh" "${MOBIVERT_FUZZ_BUILD_DIR}" ${target}
            ${MOBIVERT_FUZZ_SECONDS})
  set_tests_properties(fuzz_${target} PROPERTIES LABELS fuzz)
endforeach()
