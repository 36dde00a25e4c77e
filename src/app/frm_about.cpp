#include "app/frm_about.h"

#include "app/window_designs.h"

namespace dv {

FrmAbout::FrmAbout(Forms& forms) : Form(forms, AboutFormDesign()) {}

}  // namespace dv
