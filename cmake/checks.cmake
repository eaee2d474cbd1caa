# checks.cmake: the checks that run with the unit and end-to-end tests: the unit tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer, a short fuzzing run of the settings
# reader, and cppcheck over the sources. Included by the top-level CMakeLists.txt.

set(VEXLORN_FUZZ_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz)
if(TARGET unit_tests)
  target_compile_definitions(unit_tests PRIVATE VEXLORN_FUZZ_DIR="${VEXLORN_FUZZ_DIR}")
endif()

option(VEXLORN_SANITIZED_TREE "This tree is the sanitizer tree that the checks build" OFF)

if(VEXLORN_SANITIZED_TREE)
  # The reader is compiled into the fuzzer itself so that libFuzzer sees its branches.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(settings_fuzzer ${VEXLORN_FUZZ_DIR}/settings_fuzzer.cpp
                   ${CMAKE_SOURCE_DIR}/src/platform/sdl.cpp
                   ${CMAKE_SOURCE_DIR}/src/platform/window_scale.cpp
                   ${CMAKE_SOURCE_DIR}/src/app/globals.cpp)
    target_include_directories(settings_fuzzer PRIVATE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(settings_fuzzer PRIVATE PkgConfig::SDL)
    target_compile_options(settings_fuzzer PRIVATE -fsanitize=fuzzer)
    target_link_options(settings_fuzzer PRIVATE -fsanitize=fuzzer)
  endif()
else()
  set(sanitize_tree ${CMAKE_BINARY_DIR}/asan)
  set(sanitize_script ${CMAKE_SOURCE_DIR}/scripts/sanitize.sh)

  # One build of the sanitizer tree serves both the unit tests and the fuzzer.
  add_test(NAME sanitize.build
    COMMAND bash ${sanitize_script} build ${CMAKE_SOURCE_DIR} ${sanitize_tree})
  set_tests_properties(sanitize.build PROPERTIES
    LABELS "sanitize;fuzz" TIMEOUT 1800 FIXTURES_SETUP sanitize_tree RESOURCE_LOCK sanitize_tree)

  add_test(NAME sanitize.unit_tests
    COMMAND bash ${sanitize_script} unit ${CMAKE_SOURCE_DIR} ${sanitize_tree})
  set_tests_properties(sanitize.unit_tests PROPERTIES
    LABELS sanitize TIMEOUT 1800 FIXTURES_REQUIRED sanitize_tree)

  add_test(NAME fuzz.settings_reader
    COMMAND bash ${sanitize_script} fuzz ${CMAKE_SOURCE_DIR} ${sanitize_tree} 20)
  set_tests_properties(fuzz.settings_reader PROPERTIES
    LABELS fuzz TIMEOUT 300 FIXTURES_REQUIRED sanitize_tree)

  # Both the game and the asset generator.
  add_test(NAME style.cppcheck
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/cppcheck.sh ${CMAKE_SOURCE_DIR})
  set_tests_properties(style.cppcheck PROPERTIES LABELS style TIMEOUT 900)
endif()
