// type_info.cpp -- loading the embedded type library.
#include "type_info.h"

#include "module.h"

namespace tvkcom {

HRESULT load_module_typelib(ITypeLib **out) {
    const std::wstring path = module_path();
    if (path.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, out);
}

HRESULT ensure_type_infos(ControlObject *obj) {
    if (obj->interface_info)
        return S_OK;
    HRESULT hr = S_OK;
    if (!obj->typelib && FAILED(hr = load_module_typelib(&obj->typelib)))
        return hr;
    ITypeInfo *dispatch = nullptr;
    if (FAILED(hr = ITypeLib_GetTypeInfoOfGuid(obj->typelib, IID__TVKChecksum3, &dispatch)))
        return hr;
    // A dual interface's dispatch type info refers to its vtable form as
    // implemented type -1; ITypeInfo::Invoke calls through that one.
    HREFTYPE ref = 0;
    ITypeInfo *vtable = nullptr;
    hr = ITypeInfo_GetRefTypeOfImplType(dispatch, static_cast<UINT>(-1), &ref);
    if (SUCCEEDED(hr))
        hr = ITypeInfo_GetRefTypeInfo(dispatch, ref, &vtable);
    if (FAILED(hr)) {
        ITypeInfo_Release(dispatch);
        return hr;
    }
    obj->dispatch_info = dispatch;
    obj->interface_info = vtable;
    return S_OK;
}

} // namespace tvkcom
