# HTTP in the runner as a program, against a server in the test program: a game that ends while
# its request stalls still ends at once; requests with spaces and non-ASCII text in their URLs go
# out escaped, one that cannot connect still raises its event, and a dripping answer holds no
# other request; without a loadable libcurl a request fails at once and the game goes on.
foreach(test http_game_end http_requests)
  add_executable(${test} ${CMAKE_CURRENT_LIST_DIR}/${test}.cpp)
  target_include_directories(${test} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../unit/Support)
  target_link_libraries(${test} PRIVATE Threads::Threads)
endforeach()
add_test(NAME http.stalled_request_at_game_end
  COMMAND http_game_end $<TARGET_FILE:runner> $<TARGET_FILE:packer> ${CMAKE_BINARY_DIR}/http/game_end)
add_test(NAME http.escaped_dripping_and_unreachable_requests
  COMMAND http_requests $<TARGET_FILE:runner> $<TARGET_FILE:packer> ${CMAKE_BINARY_DIR}/http/requests)
set_tests_properties(http.stalled_request_at_game_end http.escaped_dripping_and_unreachable_requests PROPERTIES TIMEOUT 60)
