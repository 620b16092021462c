// type_info.h -- the module's own type library (resource TYPELIB 1 of
// TVKChecksum.ocx) and the type infos the object hands out and invokes.
#ifndef TVK_COM_TYPE_INFO_H
#define TVK_COM_TYPE_INFO_H

#include "control_object.h"

namespace tvkcom {

// Loads the embedded type library without registering it.
HRESULT load_module_typelib(ITypeLib **out);
// Fills obj->typelib, obj->dispatch_info and obj->interface_info once.
HRESULT ensure_type_infos(ControlObject *obj);

} // namespace tvkcom

#endif
