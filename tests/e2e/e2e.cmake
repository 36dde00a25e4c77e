# End-to-end tests: the real program in Xvfb with openbox (and a tray host),
# on an Xfce desktop at 96 and 192 dpi, on GNOME Shell and on KDE Plasma at
# 192 dpi, driven with xdotool and the calls a tray host makes. Screenshots
# go to e2e-artifacts/<test>/.
# The sanitizer build runs the start-up, tray and signal tests, so that a
# fault at exit fails them.
if(DAYVANE_SANITIZE)
  set(e2e_tests startup tray signals)
else()
  set(e2e_tests startup tray placement signals usable wayland scales marks clock zone single_instance
      sync)
endif()
foreach(test ${e2e_tests})
  add_test(NAME e2e_${test}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${test}.sh $<TARGET_FILE:dayvane>
                   ${CMAKE_BINARY_DIR}/e2e-artifacts/${test})
  set_tests_properties(e2e_${test} PROPERTIES TIMEOUT 300 LABELS e2e RUN_SERIAL TRUE
                       SKIP_RETURN_CODE 77)
endforeach()
if(NOT DAYVANE_SANITIZE)
  foreach(dpi 96 192)
    if(dpi EQUAL 192)
      set(screen 2560x1600x24)
    else()
      set(screen 1024x768x24)
    endif()
    add_test(NAME e2e_xfce_${dpi}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/xfce.sh $<TARGET_FILE:dayvane>
                     ${CMAKE_BINARY_DIR}/e2e-artifacts/xfce_${dpi})
    set_tests_properties(e2e_xfce_${dpi} PROPERTIES TIMEOUT 300 LABELS e2e RUN_SERIAL TRUE
                         ENVIRONMENT "E2E_DPI=${dpi};E2E_SCREEN=${screen}")
  endforeach()
  # A KDE Plasma desktop (KWin, plasmashell's tray) at 192 dpi.
  add_test(NAME e2e_kde_192
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/kde.sh $<TARGET_FILE:dayvane>
                   ${CMAKE_BINARY_DIR}/e2e-artifacts/kde_192)
  set_tests_properties(e2e_kde_192 PROPERTIES TIMEOUT 400 LABELS e2e RUN_SERIAL TRUE
                       ENVIRONMENT "E2E_DPI=192;E2E_SCREEN=2560x1600x24")
  # GNOME Shell (X11) with the AppIndicator extension as the tray host.
  add_test(NAME e2e_gnome
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/gnome.sh $<TARGET_FILE:dayvane>
                   ${CMAKE_BINARY_DIR}/e2e-artifacts/gnome)
  set_tests_properties(e2e_gnome PROPERTIES TIMEOUT 400 LABELS e2e RUN_SERIAL TRUE
                       ENVIRONMENT "E2E_DPI=96;E2E_SCREEN=1024x768x24")
endif()

# The Debian package: made from this build, installed with dpkg, used and
# removed again (as root; skipped otherwise).
if(NOT DAYVANE_SANITIZE)
  add_test(NAME e2e_install_deb
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/install_deb.sh $<TARGET_FILE:dayvane>
                   ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/e2e-artifacts/install_deb)
  set_tests_properties(e2e_install_deb PROPERTIES TIMEOUT 300 LABELS e2e RUN_SERIAL TRUE
                       SKIP_RETURN_CODE 77)
endif()
