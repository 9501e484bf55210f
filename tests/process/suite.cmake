# The runner as a process stopped from outside: stop signals sent to a game that holds open files,
# and kills in the middle of its saves followed by a new start. The games (one folder each, with
# game.json) are packed at build time; process_tests starts the runner on them.
set(process_games)
foreach(name stop save_loop)
  runner_pack_game(process_${name} ${CMAKE_CURRENT_LIST_DIR}/${name})
  list(APPEND process_games game_process_${name})
endforeach()
add_executable(process_tests ${CMAKE_CURRENT_LIST_DIR}/process_tests.cpp)
target_link_libraries(process_tests PRIVATE GTest::gtest GTest::gtest_main)
target_compile_definitions(process_tests PRIVATE RUNNER="$<TARGET_FILE:runner>" GAMES="${CMAKE_BINARY_DIR}/games"
                           WORK="${CMAKE_BINARY_DIR}/process")
add_dependencies(process_tests ${process_games})
gtest_discover_tests(process_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
