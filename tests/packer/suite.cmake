# The packer refuses broken game folders: each folder here must make it fail with the message in
# its expected_error, and write no file.
file(GLOB packer_cases LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*)
foreach(folder ${packer_cases})
  if(IS_DIRECTORY ${folder})
    get_filename_component(name ${folder} NAME)
    file(STRINGS ${folder}/expected_error message LIMIT_COUNT 1)
    set(out ${CMAKE_BINARY_DIR}/packer_cases/${name}.win)
    add_test(NAME packer.${name}
      COMMAND ${CMAKE_COMMAND} -DPACKER=$<TARGET_FILE:packer> -DFOLDER=${folder} -DOUT=${out}
              "-DMESSAGE=${message}" -P ${CMAKE_CURRENT_LIST_DIR}/run_packer.cmake)
  endif()
endforeach()
