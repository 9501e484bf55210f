# HTTP in the runner as a program: a game that ends while its request stalls still ends at once.
add_executable(http_game_end ${CMAKE_CURRENT_LIST_DIR}/http_game_end.cpp)
target_include_directories(http_game_end PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../unit/Support)
target_link_libraries(http_game_end PRIVATE Threads::Threads)
add_test(NAME http.stalled_request_at_game_end
  COMMAND http_game_end $<TARGET_FILE:runner> $<TARGET_FILE:packer> ${CMAKE_BINARY_DIR}/http/game_end)
set_tests_properties(http.stalled_request_at_game_end PROPERTIES TIMEOUT 60)
