// The one definition of every interface and class identifier the headers
// declare; they are exported so that every module shares them.
#include <initguid.h>

#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oaidl.h>
#include <objidl.h>
#include <comcat.h>
#include <shlobj.h>
#include <shobjidl.h>
