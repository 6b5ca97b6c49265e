// The identifiers of tovincopyshl.dll's resources, for the resource script,
// the sources that load them and scripts/check-dll, which reads the
// "#define NAME number" lines below. Plain defines only: the resource
// compiler reads this file too.
#pragma once

// "REGISTRY" resources: the application-identifier script (appid.rgs) and
// the class script (tovincopyshl_ext.rgs).
#define IDR_APPID_SCRIPT 101
#define IDR_CLASS_SCRIPT 102

// The type library, under the name LoadTypeLib takes from a bare module path.
#define IDR_TYPELIB 1

// The string table's one entry, the project's name.
#define IDS_PROJECT_NAME 100

// The version block.
#define IDR_VERSION 1
