# The runner as a program: start-up and shut-down order, options.ini, the window and graphics,
# and refused game data and recording files.
set(shell_script ${CMAKE_CURRENT_LIST_DIR}/run_shell.cmake)
set(step_order ${CMAKE_BINARY_DIR}/games/step_order.win)
set(demo ${CMAKE_BINARY_DIR}/examples/demo/data.win)
set(startup "Draw_Init() ;Code_Constant_Init() ;View_Init() ;Run_State_Init() ;Variable_BuiltIn_Init() ;Path_Init() ")
set(shutdown "GameFile_Free() ;DS_FreeAll() ;Function_Clear() ;IO_Free() ;GR_Text_Free() ;GR_D3D_Shutdown() ;Window_Destroy() ;CommandLine_Reset() ")

function(runner_shell_test NAME)
  cmake_parse_arguments(T "" "ARGS;STATUS;HEADLESS;VIDEO_DRIVER;NO_DISPLAY;DEAD_DISPLAY;COPY_GAME;OPTIONS;EXPECTED_OUT;DIALOGS" "IN_ORDER;ABSENT" ${ARGN})
  set(work ${CMAKE_BINARY_DIR}/shell/${NAME})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME shell.${NAME}
    COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:runner> "-DARGS=${T_ARGS}" -DSTATUS=${T_STATUS}
            -DHEADLESS=${T_HEADLESS} -DVIDEO_DRIVER=${T_VIDEO_DRIVER} -DNO_DISPLAY=${T_NO_DISPLAY} -DDEAD_DISPLAY=${T_DEAD_DISPLAY} -DEXPECTED_OUT=${T_EXPECTED_OUT} -DCOPY_GAME=${T_COPY_GAME} "-DOPTIONS=${T_OPTIONS}" "-DDIALOGS=${T_DIALOGS}" -DWORK=${work}
            "-DIN_ORDER=${T_IN_ORDER}" "-DABSENT=${T_ABSENT}" -P ${shell_script})
  set_tests_properties(shell.${NAME} PROPERTIES TIMEOUT 60)
endfunction()

string(REPLACE ";" "\\;" startup_list "${startup}")
string(REPLACE ";" "\\;" shutdown_list "${shutdown}")

# -trace names each initialiser before the game loads and each freeing step after it ends.
runner_shell_test(trace_order ARGS "-trace|-game|${step_order}" STATUS 0 HEADLESS 1
  IN_ORDER "${startup_list}\;Process Chunk: GEN8\;${shutdown_list}")
# "Trace" in options.ini beside the game turns tracing on from the game's load on.
runner_shell_test(options_trace STATUS 0 HEADLESS 1 COPY_GAME ${step_order} OPTIONS "[DEFAULT]|Trace=1"
  IN_ORDER "Process Chunk: GEN8\;${shutdown_list}" ABSENT "Code_Constant_Init() ")
runner_shell_test(options_no_trace STATUS 0 HEADLESS 1 COPY_GAME ${step_order} OPTIONS "[DEFAULT]|Trace=0"
  ABSENT "GameFile_Free() ")
# Its virtual buttons are read at start-up: a wrong line is reported, a good one is not.
runner_shell_test(options_virtual_buttons STATUS 0 HEADLESS 1 COPY_GAME ${step_order}
  OPTIONS "[IO_VIRTUAL_BUTTONS]|fire=10,10,40,40,32|jump=10,10,40"
  IN_ORDER "options.ini: the virtual button\;10,10,40" ABSENT "40,40,32")
# The demo in a window: the graphics start on it and frames run until the frame limit.
runner_shell_test(windowed_step_order ARGS "-game|${step_order}" STATUS 0
  EXPECTED_OUT ${CMAKE_CURRENT_LIST_DIR}/../games/step_order/expected.txt IN_ORDER "OpenGL: vendor")
runner_shell_test(windowed_demo ARGS "-game|${demo}" STATUS 4
  IN_ORDER "OpenGL: vendor\;Stopped after 20 frames." ABSENT "Running without a window")
# Without a usable display the game runs headless, its events all there.
runner_shell_test(no_display ARGS "-game|${step_order}" STATUS 0 VIDEO_DRIVER no_such_driver
  EXPECTED_OUT ${CMAKE_CURRENT_LIST_DIR}/../games/step_order/expected.txt
  IN_ORDER "Window: no display\;Running without a window." ABSENT "OpenGL: vendor")
# With no display at all the game plays headless, and the frame limit still ends it.
runner_shell_test(no_display_variables ARGS "-game|${demo}" STATUS 4 NO_DISPLAY 1
  IN_ORDER "Window: no display\;Running without a window.\;Stopped after 20 frames." ABSENT "OpenGL: vendor")
# A display variable naming a display that is not there is no display either.
runner_shell_test(dead_display ARGS "-game|${demo}" STATUS 4 DEAD_DISPLAY 1
  IN_ORDER "Window: no display\;Running without a window.\;Stopped after 20 frames." ABSENT "OpenGL: vendor")
# Missing and damaged game data files, and unusable recordings, end cleanly with a message.
runner_shell_test(missing_game ARGS "-game|/nonexistent/folder/game.win" STATUS 1 HEADLESS 1
  IN_ORDER "The game data file /nonexistent/folder/game.win is missing or is not a file.\;Failed to load the game")
runner_shell_test(folder_as_game ARGS "-game|${CMAKE_CURRENT_LIST_DIR}" STATUS 1
  IN_ORDER "is missing or is not a file.\;Failed to load the game" ABSENT "OpenGL: vendor")
runner_shell_test(damaged_game ARGS "-game|${shell_script}" STATUS 1
  IN_ORDER "Failed to load the game" ABSENT "OpenGL: vendor")
runner_shell_test(missing_playback ARGS "-playback|/nonexistent/recording|-game|${step_order}" STATUS 1 HEADLESS 1
  IN_ORDER "/nonexistent/recording")
runner_shell_test(damaged_playback ARGS "-playback|${shell_script}|-game|${step_order}" STATUS 1 HEADLESS 1
  IN_ORDER "run_shell.cmake")
runner_shell_test(record_and_playback ARGS "-record|/x|-playback|/y|-game|${step_order}" STATUS 2 HEADLESS 1
  IN_ORDER "-record and -playback cannot be used together")
runner_shell_test(bad_switch ARGS "-game" STATUS 2 HEADLESS 1)
# Without a game data file the player picks one in the file prompt; cancelling it ends the runner,
# and without a display the usage is printed.
runner_shell_test(chosen_game STATUS 0 HEADLESS 1 DIALOGS "file:${step_order}"
  EXPECTED_OUT ${CMAKE_CURRENT_LIST_DIR}/../games/step_order/expected.txt IN_ORDER "dialog open file\;Process Chunk: GEN8")
runner_shell_test(no_game_chosen STATUS 0 HEADLESS 1 DIALOGS "cancel" IN_ORDER "No game was chosen." ABSENT "Process Chunk")
runner_shell_test(no_game_no_display STATUS 1 HEADLESS 1 EXPECTED_OUT ${CMAKE_CURRENT_LIST_DIR}/usage.txt)
