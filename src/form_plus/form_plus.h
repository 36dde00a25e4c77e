// FormPlus: the placement keeper. Bound to a window through Form, it restores
// the window's saved position, size and state from the per-user settings
// store, and writes them back on every Resize and when it is released.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/toolkit.h"
#include "platform/window.h"

namespace dv {

// The outer sizes, in twips, at which a window is usable where it lands.
struct SizeLimits {
  double min_width = 0;
  double min_height = 0;
  double max_width = 2147483647.0;
  double max_height = 2147483647.0;
};

class FormPlus {
 public:
  static constexpr const char* kNotBound = "You must set the form object!";
  // The smallest usable outer size of a window that has no design, in pixels.
  static constexpr int kMinimumPixels = 32;

  explicit FormPlus(Toolkit& toolkit) : toolkit_(toolkit) {}
  FormPlus(const FormPlus&) = delete;
  FormPlus& operator=(const FormPlus&) = delete;
  // A keeper destroyed without Release still saves; an error is dropped then.
  ~FormPlus();

  // Writes the window's current placement to the store.
  void Resize();
  Window* Form() const { return BoundForm; }
  // Binds `vNewValue` (the previous window is not saved), restores its saved
  // placement, then saves it.
  void SetForm(Window* vNewValue);

  // Raised with "You must set the form object!" when the keeper is used
  // unbound; a change the listener makes to the text is ignored.
  std::function<void(std::string& Message)> ErrorMessage;

  // Releases one reference to a keeper: the last one saves the placement a
  // final time and destroys the keeper. A failure of that save passes to the
  // caller after the keeper is gone.
  static void Release(std::shared_ptr<FormPlus>& keeper);

  // The sizes at which `form` is usable: at least its designed client area
  // with the window's frame around it (the whole calendar shows), at most
  // the work area of the screen that a window at these bounds (twips) lands
  // on; a window without a design needs kMinimumPixels in each direction.
  SizeLimits UsableSizes(Window& form, std::int32_t left, std::int32_t top, std::int32_t width,
                         std::int32_t height);

  Window* BoundForm = nullptr;
  std::int32_t SavedLeft = 0;
  std::int32_t SavedTop = 0;
  std::int32_t SavedWidth = 0;
  std::int32_t SavedHeight = 0;
  std::int16_t SavedWindowState = 0;

 private:
  bool Bound();
  void LoadPlacement();
  void SavePlacement();
  // A stored width or height that is not usable where the window lands
  // counts as missing; the window's own size is brought into the limits.
  void KeepUsableSize(Window& form);
  void Terminate();

  Toolkit& toolkit_;
  bool terminated_ = false;
  double frame_width_ = 0;  // twips, as last measured
  double frame_height_ = 0;
};

}  // namespace dv
