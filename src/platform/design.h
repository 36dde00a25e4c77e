// Window designs: what the toolkit builds a window, its controls and its
// menus from when the window is loaded. Lengths are twips.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/convert.h"

namespace dv {

using Bytes = std::span<const std::uint8_t>;

enum class ControlKind { Calendar, PictureBox, Label, Image, Timer, Line, Menu };

struct Font {
  std::string face;
  double points = 8.25;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  int charset = 0;
};

// Colour values as stored: 0x00BBGGRR, or 0x800000nn for system colour nn.
using OleColor = std::uint32_t;
constexpr OleColor kSystemColorFlag = 0x80000000U;
constexpr OleColor kButtonFace = kSystemColorFlag | 15U;
constexpr OleColor kButtonShadow = kSystemColorFlag | 16U;

struct CalendarLook {
  OleColor back_color = kButtonFace;
  OleColor day_font_color = 0;
  OleColor grid_font_color = 0;
  OleColor grid_lines_color = kButtonShadow;
  OleColor title_font_color = 0;
  bool show_title = true;
  bool show_date_selectors = true;
  bool show_days = true;
  bool show_horizontal_grid = true;
  bool show_vertical_grid = true;
  Font day_font;
  Font grid_font;
  Font title_font;
  // The control's remaining options: first day of the week, day and month
  // name length, grid cell effect, and one further 32-bit value.
  int first_day = 1;
  int day_length = 1;
  int month_length = 2;
  int grid_cell_effect = 0;
  std::int32_t extra = 1;
};

enum class Alignment { Left, Center };

struct ControlDesign {
  std::string name;
  ControlKind kind = ControlKind::Label;
  int index = -1;  // member of a control array when 0 or more
  Single left = 0, top = 0, width = 0, height = 0;
  std::string caption;
  Alignment alignment = Alignment::Left;
  std::optional<Font> font;  // the window's default font when empty
  Bytes picture;             // an image's icon file
  CalendarLook calendar;
  bool drawn = true;  // false for a receiver that is never displayed
};

struct MenuDesign {
  std::string name;
  std::string caption;  // '&' marks the access key
  std::vector<MenuDesign> items;
  // Also the tray icon's menu: a tray that shows menus itself (a
  // StatusNotifierItem host) is given this one.
  bool tray_menu = false;
};

enum class Border { None, Sizable };

struct FormDesign {
  std::string name;
  std::string caption;
  Border border = Border::Sizable;
  bool control_box = true;
  bool min_button = true;
  bool max_button = true;
  Single client_width = 0;  // twips
  Single client_height = 0;
  bool centred = true;
  Bytes icon;  // icon file; empty for none
  // The same icon drawn at further sizes (PNG files), for desktops that ask
  // for other sizes than the icon file's.
  std::vector<Bytes> icon_images;
  Bytes picture;  // background bitmap file drawn from the top-left corner
  Font font{"MS Sans Serif", 8.25, 400};
  std::vector<ControlDesign> controls;
  std::vector<MenuDesign> menus;
};

// Finds a menu by name anywhere in the tree; nullptr when there is none.
const MenuDesign* FindMenu(const std::vector<MenuDesign>& menus, const std::string& name);

// The caption as displayed: access-key ampersands removed ("&&" stays "&").
std::string DisplayCaption(const std::string& caption);

}  // namespace dv
