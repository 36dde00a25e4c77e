// The toolkit's services as the program calls them, with the rules that do
// not depend on the front end.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace dv {

// The message box; without a title, the application's title.
int MsgBox(Toolkit& toolkit, const std::string& prompt, int buttons = kMbOk,
           const std::optional<std::string>& title = std::nullopt);

// Activates the top-level window titled exactly `title`, else the first one
// whose title begins with it; invalid procedure call when there is none.
void AppActivate(Toolkit& toolkit, const std::string& title);

// The stored text, or `default_value` when the key is missing.
std::string GetSetting(Toolkit& toolkit, const std::string& app, const std::string& section,
                       const std::string& key, const std::string& default_value);
void SaveSetting(Toolkit& toolkit, const std::string& app, const std::string& section,
                 const std::string& key, const std::string& value);
// Several keys of one section in one update of the store.
void SaveSettings(Toolkit& toolkit, const std::string& app, const std::string& section,
                  const SettingValues& values);

// The file numbers of open files.
class FileTable {
 public:
  explicit FileTable(Toolkit& toolkit) : toolkit_(toolkit) {}
  // Opens `name` for appending as file `number`.
  void OpenForAppend(const std::string& name, int number);
  void Close(int number);
  bool IsOpen(int number) const { return files_.count(number) != 0; }

 private:
  Toolkit& toolkit_;
  std::map<int, std::unique_ptr<OpenFile>> files_;
};

// The work area that a window at `window` (pixels) lands on: the one that
// shows the most of it, else the nearest; null without work areas.
const Rect* LandingArea(const Rect& window, const std::vector<Rect>& work_areas);

// Where a window at `window` (pixels) goes when it is shown: unchanged while
// it fits in the work area it lands on and some work area shows at least
// 32 x 32 pixels of it (all of it, when it is smaller); otherwise shrunk to
// that work area where it is larger, and moved into it.
Rect FitOnScreen(const Rect& window, const std::vector<Rect>& work_areas);

// Twips and pixels.
int TwipsToPixels(Single twips, Single twips_per_pixel);
Single PixelsToTwips(int pixels, Single twips_per_pixel);
// Twips per pixel at a logical resolution of `dpi` dots per inch.
Single TwipsPerPixelAt(double dpi);

// A rectangle in twips as pixels; a negative size becomes 0.
Rect PixelRect(Single left, Single top, Single width, Single height, Single twips_per_pixel);
// Where a window at `outer` (pixels) goes for a Move with one to four
// arguments in twips: the arguments left out keep their current value.
Rect MovedBounds(const Rect& outer, Single left, std::optional<Single> top,
                 std::optional<Single> width, std::optional<Single> height, Single twips_per_pixel);

}  // namespace dv
