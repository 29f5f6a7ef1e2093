# ztusb/export.h: the macros that mark the public API of each library, written for the kind
# of libraries being built (static: nothing to mark; shared: visibility on Linux, DLL exports
# on Windows). The headers include it as "ztusb/export.h"; it is installed with them.
set(ZT_GENERATED_INCLUDE ${PROJECT_BINARY_DIR}/include)

function(zt_export_macro macro target out)
  if(NOT BUILD_SHARED_LIBS)
    set(text "#define ${macro}\n")
  elseif(WIN32)
    # Each library exports its own declarations and imports the others'.
    set(text "#ifdef ${target}_EXPORTS\n#define ${macro} __declspec(dllexport)\n#else\n#define ${macro} __declspec(dllimport)\n#endif\n")
  else()
    set(text "#define ${macro} __attribute__((visibility(\"default\")))\n")
  endif()
  set(${out} "${${out}}${text}" PARENT_SCOPE)
endfunction()

set(ZT_EXPORT_MACROS "")
zt_export_macro(ZT_API ztusb ZT_EXPORT_MACROS)
zt_export_macro(ZT_SIM_API ztusb ZT_EXPORT_MACROS)
zt_export_macro(ZT_UDEV_API ztusb ZT_EXPORT_MACROS)
zt_export_macro(ZT_UMOCKDEV_API ztusb_umockdev ZT_EXPORT_MACROS)
file(CONFIGURE OUTPUT ${ZT_GENERATED_INCLUDE}/ztusb/export.h @ONLY CONTENT [[
#pragma once
// Marks what the library exports: ZT_API, and ZT_SIM_API and ZT_UDEV_API for the parts that
// were libraries of their own (the world, this machine's devices); ZT_UMOCKDEV_API what the
// testing kit's umockdev library does. Written when the package was configured.
@ZT_EXPORT_MACROS@]])
