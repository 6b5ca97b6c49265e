// Registration of the classes of an object map and of their categories.
#pragma once
#include "module/object_map.h"

// Registers each class of `map` in table order (its script, then its
// categories), then, when asked, the map's type library. Returns the first
// failing step's HRESULT (classes done before stay registered), else the
// type library's, else S_OK.
HRESULT RegisterObjectMap(CObjectMap &map, BOOL withTypeLibrary);
// Removes each class's categories, then its script, then, when asked, the
// type library, going on past a failing step; returns the first failure, else S_OK.
HRESULT UnregisterObjectMap(CObjectMap &map, BOOL withTypeLibrary);

// Adds (or removes) the implemented and required categories of `categories`
// (null for none: nothing happens) for class `clsid` through the platform's
// categories manager. Registering: S_OK, the manager's creation HRESULT when
// it can't be created, or the first failing registration. Removing: always
// S_OK; category keys of the class left without subkeys are deleted.
HRESULT UpdateClassCategories(REFCLSID clsid, const CategoryMapEntry *categories, BOOL registering);
