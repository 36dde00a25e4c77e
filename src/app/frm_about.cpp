#include "app/frm_about.h"

#include "forms/designs.h"

namespace dv {

FrmAbout::FrmAbout(Forms& forms) : Form(forms, AboutFormDesign()) {}

}  // namespace dv
