// A folder of a test's own under /tmp, for files on the real file system.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace dv::test {

// A new, empty folder /tmp/dayvane-NAME.XXXXXX; an empty path when none
// could be made.
inline std::filesystem::path ScratchFolder(const std::string& name) {
  std::string pattern = "/tmp/dayvane-" + name + ".XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace dv::test
