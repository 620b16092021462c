// ole_object.cpp -- IOleObject: the client site, verbs (all of which show
// the control in place), the extent, and the advise holder.
#include "inplace.h"
#include "misc_status.h"

namespace tvkcom {
namespace {

ControlObject *self(IOleObject *iface) {
    return impl_from(iface);
}

HRESULT STDMETHODCALLTYPE set_client_site(IOleObject *iface, IOleClientSite *site) {
    ControlObject *obj = self(iface);
    if (site == obj->client_site)
        return S_OK;
    if (!site)
        inplace_deactivate(obj);
    if (site)
        IOleClientSite_AddRef(site);
    IOleClientSite *old = obj->client_site;
    obj->client_site = site;
    if (old)
        IOleClientSite_Release(old);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE get_client_site(IOleObject *iface, IOleClientSite **out) {
    if (!out)
        return E_POINTER;
    *out = self(iface)->client_site;
    if (*out)
        IOleClientSite_AddRef(*out);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE set_host_names(IOleObject *, LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE close(IOleObject *iface, DWORD) {
    ControlObject *obj = self(iface);
    inplace_deactivate(obj);
    if (obj->advise_holder)
        IOleAdviseHolder_SendOnClose(obj->advise_holder);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE set_moniker(IOleObject *, DWORD, IMoniker *) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE get_moniker(IOleObject *, DWORD, DWORD, IMoniker **out) {
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE init_from_data(IOleObject *, IDataObject *, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE get_clipboard_data(IOleObject *, DWORD, IDataObject **out) {
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE do_verb(IOleObject *iface, LONG verb, LPMSG, IOleClientSite *site, LONG,
                                  HWND parent, LPCRECT rect) {
    ControlObject *obj = self(iface);
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_OPEN:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return inplace_activate(obj, site, parent, rect);
    case OLEIVERB_HIDE:
        if (obj->window)
            ShowWindow(obj->window, SW_HIDE);
        return S_OK;
    default:
        return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

HRESULT STDMETHODCALLTYPE enum_verbs(IOleObject *, IEnumOLEVERB **out) {
    if (out)
        *out = nullptr;
    return OLE_S_USEREG;
}

HRESULT STDMETHODCALLTYPE update(IOleObject *) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE is_up_to_date(IOleObject *) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE get_user_class_id(IOleObject *, CLSID *out) {
    if (!out)
        return E_POINTER;
    *out = CLSID_TVKChecksum;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE get_user_type(IOleObject *, DWORD, LPOLESTR *out) {
    if (out)
        *out = nullptr;
    return OLE_S_USEREG;
}

HRESULT STDMETHODCALLTYPE set_extent(IOleObject *iface, DWORD aspect, SIZEL *size) {
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    return resize_control(self(iface), nullptr);
}

HRESULT STDMETHODCALLTYPE get_extent(IOleObject *iface, DWORD aspect, SIZEL *size) {
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = self(iface)->extent;
    return S_OK;
}

HRESULT ensure_advise_holder(ControlObject *obj) {
    return obj->advise_holder ? S_OK : CreateOleAdviseHolder(&obj->advise_holder);
}

HRESULT STDMETHODCALLTYPE advise(IOleObject *iface, IAdviseSink *sink, DWORD *cookie) {
    ControlObject *obj = self(iface);
    const HRESULT hr = ensure_advise_holder(obj);
    if (FAILED(hr))
        return hr;
    return IOleAdviseHolder_Advise(obj->advise_holder, sink, cookie);
}

HRESULT STDMETHODCALLTYPE unadvise(IOleObject *iface, DWORD cookie) {
    ControlObject *obj = self(iface);
    if (!obj->advise_holder)
        return OLE_E_NOCONNECTION;
    return IOleAdviseHolder_Unadvise(obj->advise_holder, cookie);
}

HRESULT STDMETHODCALLTYPE enum_advise(IOleObject *iface, IEnumSTATDATA **out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    ControlObject *obj = self(iface);
    const HRESULT hr = ensure_advise_holder(obj);
    if (FAILED(hr))
        return hr;
    return IOleAdviseHolder_EnumAdvise(obj->advise_holder, out);
}

HRESULT STDMETHODCALLTYPE get_misc_status(IOleObject *, DWORD, DWORD *out) {
    if (!out)
        return E_POINTER;
    *out = control_misc_status;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE set_color_scheme(IOleObject *, LOGPALETTE *) {
    return E_NOTIMPL;
}

} // namespace

const IOleObjectVtbl ole_object_vtbl = {
    forward_query_interface<IOleObject>,
    forward_add_ref<IOleObject>,
    forward_release<IOleObject>,
    set_client_site,
    get_client_site,
    set_host_names,
    close,
    set_moniker,
    get_moniker,
    init_from_data,
    get_clipboard_data,
    do_verb,
    enum_verbs,
    update,
    is_up_to_date,
    get_user_class_id,
    get_user_type,
    set_extent,
    get_extent,
    advise,
    unadvise,
    enum_advise,
    get_misc_status,
    set_color_scheme,
};

} // namespace tvkcom
