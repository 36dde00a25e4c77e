// Form_Resize: proportional layout. The first time ResizeForm meets a window
// it records the window's and its controls' geometry (the layout registry);
// every later call rescales each control from its record in proportion to
// the window's client area.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

namespace dv {

struct LayoutRecord {
  std::string Name;
  std::int32_t Index = 0;
  std::string FormName;
  std::int32_t Top = 0;
  std::int32_t Left = 0;
  std::int32_t Height = 0;
  std::int32_t Width = 0;
  std::int32_t ScaleHeight = 0;
  std::int32_t ScaleWidth = 0;
};

// A coordinate at or right of 0 unchanged; a negative one (a control parked
// off-screen at its true position minus 75000) plus 75000.
std::int32_t NormalizeLeft(std::int32_t value);

class FormResizeModule {
 public:
  // The registry. Records are appended, never changed, removed or cleared.
  std::vector<LayoutRecord> FormTable;
  std::int32_t FormCount = 0;
  std::vector<LayoutRecord> ControlTable;
  std::int32_t ControlCount = 0;
  // True while a ResizeForm call is under way.
  bool Resizing = false;

  std::int32_t FindForm(const Window& window);
  std::int32_t AddForm(const Window& window);
  std::int32_t FindControl(const Control& control, const std::string& window_name);
  std::int32_t AddControl(Control& control, const std::string& window_name);

  std::int32_t WidthPercent(const Window& window);
  std::int32_t HeightPercent(const Window& window);
  void ResizeControl(Control& control, const Window& window);
  void ResizeForm(Window& window);
};

// The process's one layout module; its tables live as long as the process.
FormResizeModule& Form_Resize();

inline void ResizeForm(Window& window) { Form_Resize().ResizeForm(window); }

}  // namespace dv
