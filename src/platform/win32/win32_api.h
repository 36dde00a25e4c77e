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

#include <cstdint>

namespace dv::win32 {

// Window, icon, menu and kernel object handles have 32 significant bits in
// a 64-bit process too (Windows keeps them so for 32-bit programs to share
// them): the core holds them as 32-bit numbers. A handle goes to the core
// cut to its low 32 bits and comes back sign-extended, as Windows'
// HandleToLong and LongToHandle do. Never for pointers.
inline std::uint32_t Handle32(const void* handle) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

template <typename Handle>
Handle HandleFrom32(std::uint32_t value) {
  return reinterpret_cast<Handle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

}  // namespace dv::win32
