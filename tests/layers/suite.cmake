# scripts/check-layers itself: it catches each kind of wrong include on a small tree of its own.
add_test(NAME layers.check_layers
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_layers_test.sh ${CMAKE_SOURCE_DIR}/scripts/check-layers)
set_tests_properties(layers.check_layers PROPERTIES TIMEOUT 60)
