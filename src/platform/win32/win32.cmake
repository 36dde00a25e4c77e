# The Windows program: the core on the Win32 API, one static 32-bit
# Dayvane.exe that needs only Windows' own DLLs. The same front end builds
# for x86-64 (cmake/mingw-x86_64.cmake), where its tests run on machines
# without 32-bit support.
enable_language(RC)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(DAYVANE_MANIFEST_ARCH amd64)
else()
  set(DAYVANE_MANIFEST_ARCH x86)
endif()
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/src/platform/win32/dayvane.manifest.in
               ${CMAKE_CURRENT_BINARY_DIR}/win32/dayvane.manifest @ONLY)

# The toolkit on Win32 (also run through the toolkit contract tests).
add_library(dayvane_win32_toolkit STATIC
  src/platform/win32/win32_accessible.cpp
  src/platform/win32/win32_calendar.cpp
  src/platform/win32/win32_control.cpp
  src/platform/win32/win32_diary.cpp
  src/platform/win32/win32_image.cpp
  src/platform/win32/win32_toolkit.cpp
  src/platform/win32/win32_window.cpp
  src/platform/win32/single_instance.cpp)
# Windows 7's API level: the notification area, monitors and subclassing.
target_compile_definitions(dayvane_win32_toolkit PUBLIC
  WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
# oleacc, ole32 and oleaut32: the calendar's accessible object for screen readers.
target_link_libraries(dayvane_win32_toolkit PUBLIC dayvane_core comctl32 uxtheme shell32 gdi32
                      user32 advapi32 oleacc ole32 oleaut32 uuid)

add_executable(dayvane_win32 WIN32
  src/platform/win32/main.cpp
  src/platform/win32/dayvane.rc)
set_target_properties(dayvane_win32 PROPERTIES OUTPUT_NAME Dayvane)
# The resource script finds the icon and the manifest by file name.
target_include_directories(dayvane_win32 PRIVATE ${ART_DIR} ${CMAKE_CURRENT_BINARY_DIR}/win32)
set_source_files_properties(src/platform/win32/dayvane.rc PROPERTIES OBJECT_DEPENDS
  "${ART_DIR}/dayvane.ico;${CMAKE_CURRENT_BINARY_DIR}/win32/dayvane.manifest")
target_link_libraries(dayvane_win32 PRIVATE dayvane_win32_toolkit)
# Without symbols: the program ships as it is built.
target_link_options(dayvane_win32 PRIVATE -s)
