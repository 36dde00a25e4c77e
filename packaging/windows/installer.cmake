# The Windows installer (NSIS, cross-built with Debian's makensis) and the
# portable .zip, both from the Dayvane.exe of this build; and their tests.
set(DAYVANE_WINDOWS_PACKAGING ${CMAKE_CURRENT_LIST_DIR})
set(DAYVANE_SETUP ${CMAKE_BINARY_DIR}/Dayvane-${PROJECT_VERSION}-setup.exe)
set(DAYVANE_ZIP ${CMAKE_BINARY_DIR}/Dayvane-${PROJECT_VERSION}-portable.zip)

# The installer is of the program's own kind: a 64-bit program gets a
# 64-bit installer.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(DAYVANE_NSIS_TARGET amd64-unicode)
else()
  set(DAYVANE_NSIS_TARGET x86-unicode)
endif()

find_program(MAKENSIS makensis)
if(MAKENSIS)
  add_custom_command(
    OUTPUT ${DAYVANE_SETUP}
    COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DPROGRAM=$<TARGET_FILE:dayvane_win32>
            -DICON=${ART_DIR}/dayvane.ico -DOUTFILE=${DAYVANE_SETUP}
            -DTARGET=${DAYVANE_NSIS_TARGET} ${DAYVANE_WINDOWS_PACKAGING}/dayvane.nsi
    DEPENDS dayvane_win32 ${DAYVANE_WINDOWS_PACKAGING}/dayvane.nsi ${ART_DIR}/dayvane.ico
    COMMENT "Making the installer ${DAYVANE_SETUP}"
    VERBATIM)
  add_custom_target(dayvane_setup ALL DEPENDS ${DAYVANE_SETUP})
else()
  message(WARNING "makensis not found: no Windows installer (install Debian's nsis)")
endif()

# The portable .zip: a folder Dayvane with the program and a short read-me.
set(zip_dir ${CMAKE_BINARY_DIR}/portable/Dayvane)
add_custom_command(
  OUTPUT ${DAYVANE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/portable
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_dir}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:dayvane_win32> ${zip_dir}/Dayvane.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${DAYVANE_WINDOWS_PACKAGING}/README.txt ${zip_dir}/README.txt
  COMMAND ${CMAKE_COMMAND} -E rm -f ${DAYVANE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/portable
          ${CMAKE_COMMAND} -E tar cf ${DAYVANE_ZIP} --format=zip Dayvane
  DEPENDS dayvane_win32 ${DAYVANE_WINDOWS_PACKAGING}/README.txt
  COMMENT "Making the portable ${DAYVANE_ZIP}"
  VERBATIM)
add_custom_target(dayvane_zip ALL DEPENDS ${DAYVANE_ZIP})

if(BUILD_TESTING AND DAYVANE_E2E)
  # The zip holds exactly the program of this build and the read-me, in
  # one folder; unpacked, the program runs from there (see
  # win32_single_instance, which runs such a folder's copy).
  add_test(NAME win32_portable_zip
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/win32_zip.sh ${DAYVANE_ZIP}
                   $<TARGET_FILE:dayvane_win32>)
  set_tests_properties(win32_portable_zip PROPERTIES LABELS exe TIMEOUT 60)
  add_test(NAME e2e_win32_single_instance
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/win32_single_instance.sh
                   $<TARGET_FILE:dayvane_win32> ${CMAKE_BINARY_DIR}/e2e-artifacts/win32_single_instance)
  set_tests_properties(e2e_win32_single_instance PROPERTIES TIMEOUT 300 LABELS "e2e;wine"
                       RUN_SERIAL TRUE SKIP_RETURN_CODE 77 RESOURCE_LOCK wine)
  if(MAKENSIS AND TARGET notepad_stub)
    add_test(NAME e2e_win32_installer
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/win32_installer.sh ${DAYVANE_SETUP}
                     $<TARGET_FILE:notepad_stub> ${CMAKE_BINARY_DIR}/e2e-artifacts/win32_installer)
    set_tests_properties(e2e_win32_installer PROPERTIES TIMEOUT 300 LABELS "e2e;wine"
                         RUN_SERIAL TRUE SKIP_RETURN_CODE 77 RESOURCE_LOCK wine)
  endif()
endif()
