// The library's static records, all in this one file so that they are built
// at load in the order object map, instance record, module, and torn down in
// the reverse order at unload.
#include "module/class_factory.h"
#include "module/module_instance.h"
#include "module/object_map.h"
#include "module/tovincopyshl_module.h"
#include "shellext/tovincopyshl_ext.h"

namespace {

ObjectMapEntry tovinCopyShlExtEntry = {
    &CLSID_TovinCopyShlExt,
    &CTovinCopyShlExt::UpdateRegistry,
    &CreateClassObject,
    &CreateInstanceNoAggregation<CTovinCopyShlExt>,
    nullptr,
    &CTovinCopyShlExt::GetCategoryMap,
    &CTovinCopyShlExt::ObjectMain,
};

ObjectMapEntry *objectMapEntries[] = {&tovinCopyShlExtEntry};

}  // namespace

CObjectMap objectMap(objectMapEntries, objectMapEntries + sizeof(objectMapEntries) / sizeof(objectMapEntries[0]));
CModuleInstance moduleInstance;
CtovincopyshlModule tovincopyshlModule;
