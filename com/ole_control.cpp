// ole_control.cpp -- IOleControl: no mnemonics, no ambient properties that
// matter to the control. FreezeEvents is counted; the control raises its
// events only inside calls and ticks the host started, so it keeps them.
#include "control_object.h"

namespace tvkcom {
namespace {

HRESULT STDMETHODCALLTYPE get_control_info(IOleControl *, CONTROLINFO *info) {
    if (!info)
        return E_POINTER;
    if (info->cb != sizeof(CONTROLINFO))
        return E_INVALIDARG;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE on_mnemonic(IOleControl *, MSG *) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE on_ambient_property_change(IOleControl *, DISPID) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE freeze_events(IOleControl *iface, BOOL freeze) {
    ControlObject *obj = impl_from(iface);
    if (freeze)
        ++obj->freeze_count;
    else if (obj->freeze_count > 0)
        --obj->freeze_count;
    return S_OK;
}

} // namespace

const IOleControlVtbl ole_control_vtbl = {
    forward_query_interface<IOleControl>,
    forward_add_ref<IOleControl>,
    forward_release<IOleControl>,
    get_control_info,
    on_mnemonic,
    on_ambient_property_change,
    freeze_events,
};

} // namespace tvkcom
