# The Linux program: the core on Qt 6 Widgets.
find_package(Qt6 REQUIRED COMPONENTS Widgets DBus)
find_package(X11 REQUIRED)

add_library(dayvane_xdg STATIC src/platform/qt/xdg.cpp)
target_include_directories(dayvane_xdg PUBLIC src)

# The settings file and the notes files, on Qt Core alone (also tested on
# their own).
add_library(dayvane_qt_store STATIC src/platform/qt/qt_store.cpp)
target_link_libraries(dayvane_qt_store PUBLIC dayvane_core Qt6::Core)

# One program per user and program folder: a plain local socket read
# through Qt's event loop (also tested on its own).
add_library(dayvane_single_instance STATIC src/platform/qt/single_instance.cpp)
target_link_libraries(dayvane_single_instance PUBLIC dayvane_core Qt6::Core)

# The toolkit on Qt (also run through the toolkit contract tests).
add_library(dayvane_qt STATIC
  src/platform/qt/calendar_accessible.cpp
  src/platform/qt/calendar_find.cpp
  src/platform/qt/diary_calendar.cpp
  src/platform/qt/qt_look.cpp
  src/platform/qt/qt_toolkit.cpp
  src/platform/qt/qt_window.cpp
  src/platform/qt/x11.cpp)
set_target_properties(dayvane_qt PROPERTIES AUTOMOC OFF)
target_link_libraries(dayvane_qt PUBLIC dayvane_core dayvane_qt_store dayvane_xdg
                      dayvane_single_instance Qt6::Widgets Qt6::DBus X11::X11)
include(GNUInstallDirs)
# A program in this folder is installed for every user: its notes go to
# each user's ~/Dayvane.
target_compile_definitions(dayvane_qt PRIVATE DAYVANE_SYSTEM_BINDIR="${CMAKE_INSTALL_FULL_BINDIR}")

add_executable(dayvane src/platform/qt/main.cpp)
target_link_libraries(dayvane PRIVATE dayvane_qt)
