// frmAbout, the About window: the product line, the logo and the contact
// lines; it has no behaviour of its own.
#pragma once

#include "runtime/forms.h"

namespace dv {

class FrmAbout : public Form {
 public:
  explicit FrmAbout(Forms& forms);
};

}  // namespace dv
