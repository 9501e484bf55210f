# The shared library of the external-function tests, built beside the packed test games (their
# program folder) as exttest.so; the unit tests find it through EXTTEST_LIBRARY.
add_library(exttest SHARED ${CMAKE_CURRENT_LIST_DIR}/exttest.c)
set_target_properties(exttest PROPERTIES PREFIX "" C_VISIBILITY_PRESET hidden
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/games)
target_compile_definitions(unit_tests PRIVATE EXTTEST_LIBRARY="$<TARGET_FILE:exttest>")
add_dependencies(unit_tests exttest)
