#include "app/program.h"

namespace dv {

Program::Program(Toolkit& toolkit)
    : forms(toolkit), about(forms), main(forms, about), splash(forms, main) {}

}  // namespace dv
