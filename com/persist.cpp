// persist.cpp -- IPersistStreamInit and IPersistPropertyBag. The control has
// no properties: there is nothing to load or save, and it is never dirty,
// but containers ask for these before they activate a control.
#include "control_object.h"

namespace tvkcom {
namespace {

HRESULT class_id(CLSID *out) {
    if (!out)
        return E_POINTER;
    *out = CLSID_TVKChecksum;
    return S_OK;
}

// IPersistStreamInit

HRESULT STDMETHODCALLTYPE stream_get_class_id(IPersistStreamInit *, CLSID *out) {
    return class_id(out);
}
HRESULT STDMETHODCALLTYPE stream_is_dirty(IPersistStreamInit *) {
    return S_FALSE;
}
HRESULT STDMETHODCALLTYPE stream_load(IPersistStreamInit *, IStream *stream) {
    return stream ? S_OK : E_POINTER;
}
HRESULT STDMETHODCALLTYPE stream_save(IPersistStreamInit *, IStream *stream, BOOL) {
    return stream ? S_OK : E_POINTER;
}
HRESULT STDMETHODCALLTYPE stream_get_size_max(IPersistStreamInit *, ULARGE_INTEGER *size) {
    if (!size)
        return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE stream_init_new(IPersistStreamInit *) {
    return S_OK;
}

// IPersistPropertyBag

HRESULT STDMETHODCALLTYPE bag_get_class_id(IPersistPropertyBag *, CLSID *out) {
    return class_id(out);
}
HRESULT STDMETHODCALLTYPE bag_init_new(IPersistPropertyBag *) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE bag_load(IPersistPropertyBag *, IPropertyBag *bag, IErrorLog *) {
    return bag ? S_OK : E_POINTER;
}
HRESULT STDMETHODCALLTYPE bag_save(IPersistPropertyBag *, IPropertyBag *bag, BOOL, BOOL) {
    return bag ? S_OK : E_POINTER;
}

} // namespace

const IPersistStreamInitVtbl persist_stream_vtbl = {
    forward_query_interface<IPersistStreamInit>,
    forward_add_ref<IPersistStreamInit>,
    forward_release<IPersistStreamInit>,
    stream_get_class_id,
    stream_is_dirty,
    stream_load,
    stream_save,
    stream_get_size_max,
    stream_init_new,
};

const IPersistPropertyBagVtbl persist_bag_vtbl = {
    forward_query_interface<IPersistPropertyBag>,
    forward_add_ref<IPersistPropertyBag>,
    forward_release<IPersistPropertyBag>,
    bag_get_class_id,
    bag_init_new,
    bag_load,
    bag_save,
};

} // namespace tvkcom
