# End-to-end tests: the real program in Xvfb with openbox (and a tray host),
# driven with xdotool. Screenshots go to e2e-artifacts/<test>/.
foreach(test startup tray placement usable)
  add_test(NAME e2e_${test}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${test}.sh $<TARGET_FILE:dayvane>
                   ${CMAKE_BINARY_DIR}/e2e-artifacts/${test})
  set_tests_properties(e2e_${test} PROPERTIES TIMEOUT 300 LABELS e2e RUN_SERIAL TRUE)
endforeach()
