// The program's three windows as data.
#pragma once

#include "platform/design.h"

namespace dv {

// The main window: calendar, tray-message receiver and menu bar.
const FormDesign& MainFormDesign();
// The start-up window: borderless, exactly its picture.
const FormDesign& SplashFormDesign();
// The About window: product line, logo and contact lines.
const FormDesign& AboutFormDesign();

constexpr const char* kProductTitle = "Dayvane v2.0";
constexpr const char* kVendorEmail = "support@dayvane.org";
constexpr const char* kVendorHomepage = "https://www.dayvane.org/";

}  // namespace dv
