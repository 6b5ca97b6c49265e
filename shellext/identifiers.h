// The identifiers of the library's class, application, type library and interface.
#pragma once
#include <objbase.h>

// {1955A1E8-C828-42AF-A571-081D65B07B83}: the context-menu extension class.
extern const CLSID CLSID_TovinCopyShlExt;
// {1BC25855-267B-479B-9D7D-6AD83DCCBD30}: the library's application identifier.
extern const GUID APPID_tovincopyshl;
// {308D0CF8-2449-4115-9E32-FD0217BE1B79}: the type library tovincopyshlLib.
extern const GUID LIBID_tovincopyshlLib;
// {A2FA2CBA-FA7A-42EA-8F96-080BACFF0317}: ITovinCopyShlExt, described by the
// type library only; no object answers it.
extern const IID IID_ITovinCopyShlExt;

// The application identifier as registry text, braces included.
extern const WCHAR appIdText[];
