# The Linux program: the core on Qt 6 Widgets.
find_package(Qt6 REQUIRED COMPONENTS Widgets DBus)
find_package(X11 REQUIRED)

add_library(dayvane_xdg STATIC src/platform/qt/xdg.cpp)
target_include_directories(dayvane_xdg PUBLIC src)

add_executable(dayvane
  src/platform/qt/main.cpp
  src/platform/qt/qt_toolkit.cpp
  src/platform/qt/qt_window.cpp
  src/platform/qt/x11.cpp)
set_target_properties(dayvane PROPERTIES AUTOMOC OFF)
target_link_libraries(dayvane PRIVATE dayvane_core dayvane_xdg Qt6::Widgets Qt6::DBus X11::X11)
