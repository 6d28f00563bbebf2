// SPDX-License-Identifier: GPL-3.0-or-later
// Debian's repack of qt6-base drops Qt's copy of the Wintab headers, which the Windows platform
// plugin includes for tablets. Wine's (LGPL-2.1-or-later, from libwine-dev, copied beside this
// file as wine-wintab.h and pktdef.h by build-qt.sh) declare the same interface, but lean on two
// macros of Wine's own headers; this shim gives them their Windows meaning. The plugin resolves
// the functions at run time by their W names, so only the types matter.
#pragma once

#include <windows.h>

#ifndef DECL_WINELIB_TYPE_AW
#  ifdef UNICODE
#    define DECL_WINELIB_TYPE_AW(type) typedef type##W type;
#  else
#    define DECL_WINELIB_TYPE_AW(type) typedef type##A type;
#  endif
#endif
#ifndef WINELIB_NAME_AW
#  ifdef UNICODE
#    define WINELIB_NAME_AW(name) name##W
#  else
#    define WINELIB_NAME_AW(name) name##A
#  endif
#endif
// Wintab's own calling convention macro, which Qt's declarations use.
#ifndef API
#  define API WINAPI
#endif

#include "wine-wintab.h"
