// class_info.cpp -- IProvideClassInfo2: the coclass's type info and the
// event interface a container connects to.
#include "type_info.h"

namespace tvkcom {
namespace {

HRESULT STDMETHODCALLTYPE get_class_info(IProvideClassInfo2 *iface, ITypeInfo **out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    ControlObject *obj = impl_from(iface);
    const HRESULT hr = ensure_type_infos(obj);
    if (FAILED(hr))
        return hr;
    return ITypeLib_GetTypeInfoOfGuid(obj->typelib, CLSID_TVKChecksum, out);
}

HRESULT STDMETHODCALLTYPE get_guid(IProvideClassInfo2 *, DWORD kind, GUID *out) {
    if (!out)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *out = GUID_NULL;
        return E_INVALIDARG;
    }
    *out = DIID___TVKChecksum2;
    return S_OK;
}

} // namespace

const IProvideClassInfo2Vtbl provide_class_info_vtbl = {
    forward_query_interface<IProvideClassInfo2>,
    forward_add_ref<IProvideClassInfo2>,
    forward_release<IProvideClassInfo2>,
    get_class_info,
    get_guid,
};

} // namespace tvkcom
