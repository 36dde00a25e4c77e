// The Windows headers as the front end uses them. <windows.h> defines
// CreateWindow and CreateProcess as macros, which would rename the toolkit's
// members of those names: they are taken back here.
#pragma once

#include <windows.h>
// windows.h first: the headers below need its definitions.
#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>
#include <windowsx.h>

#undef CreateWindow
#undef CreateProcess
