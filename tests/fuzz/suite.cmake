# libFuzzer targets: every tests/fuzz/fuzz_<name>.cpp, run over the seeds in corpus/<name>/.
# Only in a clang build configured with -DRUNNER_FUZZ=ON (scripts/fuzz makes one in build-fuzz/),
# where the engine is instrumented too.
if(RUNNER_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(engine PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                         -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_custom_target(fuzz_targets)
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fuzz_*.cpp)
  foreach(source ${FUZZ_SOURCES})
    get_filename_component(target ${source} NAME_WE)
    string(REGEX REPLACE "^fuzz_" "" corpus ${target})
    add_executable(${target} EXCLUDE_FROM_ALL ${source})
    target_compile_options(${target} PRIVATE ${FUZZ_FLAGS})
    target_link_options(${target} PRIVATE ${FUZZ_FLAGS})
    target_link_libraries(${target} PRIVATE engine)
    add_dependencies(fuzz_targets ${target})
    # New inputs go to a folder in the build tree; the seeds in the source tree stay as they are.
    set(work ${CMAKE_CURRENT_BINARY_DIR}/fuzz/${corpus})
    file(MAKE_DIRECTORY ${work} ${work}/artifacts)
    set(seeds)
    if(IS_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/corpus/${corpus})
      set(seeds ${CMAKE_CURRENT_LIST_DIR}/corpus/${corpus})
    endif()
    add_test(NAME ${target}
      COMMAND ${target} -max_total_time=20 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
              -artifact_prefix=${work}/artifacts/ ${work} ${seeds})
    set_tests_properties(${target} PROPERTIES LABELS fuzz TIMEOUT 120
                         ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp)
  endforeach()
elseif(RUNNER_FUZZ)
  message(WARNING "RUNNER_FUZZ needs clang (CC=clang CXX=clang++); no fuzz targets are built")
endif()
