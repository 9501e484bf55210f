# Conformance programs: each tests/zuz/*.zuz runs through zuzrun on both engines (the stack
# machine, and the tree interpreter with -oldexec) and is judged by the expectations written in
# it (see run_zuz.sh), so that the two engines are held to the same results.
file(GLOB ZUZ_PROGRAMS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.zuz)
foreach(program ${ZUZ_PROGRAMS})
  get_filename_component(name ${program} NAME_WE)
  add_test(NAME zuz.${name}
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_zuz.sh $<TARGET_FILE:zuzrun> ${program})
  add_test(NAME zuz.${name}.oldexec
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run_zuz.sh $<TARGET_FILE:zuzrun> ${program} -oldexec)
endforeach()
