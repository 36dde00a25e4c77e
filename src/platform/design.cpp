#include "platform/design.h"

namespace dv {

const MenuDesign* FindMenu(const std::vector<MenuDesign>& menus, const std::string& name) {
  for (const MenuDesign& menu : menus) {
    if (menu.name == name) return &menu;
    if (const MenuDesign* found = FindMenu(menu.items, name)) return found;
  }
  return nullptr;
}

std::string DisplayCaption(const std::string& caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

}  // namespace dv
