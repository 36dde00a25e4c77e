#include "app/window_designs.h"

#include <string>

#include "app/artwork.h"

namespace dv {

namespace {

constexpr OleColor kDarkBlue = 0x00A00000;

std::vector<Bytes> ProgramIconImages() {
  std::vector<Bytes> images;
  for (const int size : {16, 22, 24, 32, 48}) {
    if (const Bytes png = ProgramIconPng(size); !png.empty()) images.push_back(png);
  }
  return images;
}

ControlDesign Placed(std::string name, ControlKind kind, Single left, Single top, Single width,
                     Single height) {
  ControlDesign design;
  design.name = std::move(name);
  design.kind = kind;
  design.left = left;
  design.top = top;
  design.width = width;
  design.height = height;
  return design;
}

FormDesign MakeMain() {
  FormDesign form;
  form.name = "frmMain";
  form.caption = kProductTitle;
  form.client_width = 4875;
  form.client_height = 3015;
  form.icon = ProgramIconFile();
  form.icon_images = ProgramIconImages();

  ControlDesign calendar = Placed("Calendar1", ControlKind::Calendar, 90, 0, 4695, 3015);
  CalendarLook& look = calendar.calendar;
  look.back_color = kButtonFace;
  look.day_font_color = 0;
  look.grid_font_color = kDarkBlue;
  look.grid_lines_color = kButtonShadow;
  look.title_font_color = kDarkBlue;
  look.day_font = Font{"Arial", 8.25, 700};
  look.grid_font = Font{"Arial", 8.25, 400};
  look.title_font = Font{"Arial", 12, 700};
  form.controls.push_back(calendar);

  ControlDesign hook = Placed("hook", ControlKind::PictureBox, 1320, 1800, 495, 255);
  hook.drawn = false;
  form.controls.push_back(hook);

  form.menus = {
      MenuDesign{"menuToday", "T&oday", {}},
      MenuDesign{"menuAboutMain", "A&bout", {MenuDesign{"menuAbout", "About Dayvane...", {}}}},
      MenuDesign{"mnuQuit", "&Quit", {MenuDesign{"mnuQuitApp", "&Quit", {}}}, true},
  };
  return form;
}

FormDesign MakeSplash() {
  FormDesign form;
  form.name = "frmSplash";
  form.caption = "Form1";
  form.border = Border::None;
  form.control_box = false;
  form.min_button = false;
  form.max_button = false;
  form.client_width = 4500;
  form.client_height = 3375;
  form.picture = SplashBitmapFile();
  ControlDesign timer;
  timer.name = "Timer";
  timer.kind = ControlKind::Timer;
  form.controls.push_back(timer);
  return form;
}

FormDesign MakeAbout() {
  FormDesign form;
  form.name = "frmAbout";
  form.caption = "About Dayvane v2.0...";
  form.min_button = false;
  form.max_button = false;
  form.client_width = 4575;
  form.client_height = 1590;
  form.icon = ProgramIconFile();
  form.icon_images = ProgramIconImages();

  ControlDesign product = Placed("Label1", ControlKind::Label, 435, 308, 3480, 255);
  product.caption = std::string(kProductTitle) + ".";
  product.alignment = Alignment::Center;
  product.font = Font{"MS Sans Serif", 9.75, 400};
  form.controls.push_back(product);

  ControlDesign email = Placed("Label2", ControlKind::Label, 900, 788, 3495, 255);
  email.index = 0;
  email.caption = std::string("E-mail:  ") + kVendorEmail;
  form.controls.push_back(email);

  ControlDesign homepage = Placed("Label2", ControlKind::Label, 900, 1028, 3495, 255);
  homepage.index = 1;
  homepage.caption = std::string("Homepage:  ") + kVendorHomepage;
  form.controls.push_back(homepage);

  ControlDesign logo = Placed("Image1", ControlKind::Image, 180, 788, 480, 480);
  logo.picture = LogoIconFile();
  form.controls.push_back(logo);
  return form;
}

}  // namespace

const FormDesign& MainFormDesign() {
  static const FormDesign design = MakeMain();
  return design;
}

const FormDesign& SplashFormDesign() {
  static const FormDesign design = MakeSplash();
  return design;
}

const FormDesign& AboutFormDesign() {
  static const FormDesign design = MakeAbout();
  return design;
}

}  // namespace dv
