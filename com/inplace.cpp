// inplace.cpp -- IOleInPlaceObject and IOleInPlaceActiveObject, and the
// in-place activation they share with IOleObject::DoVerb.
#include "inplace.h"

#include "com_call.h"
#include "control_window.h"

namespace tvkcom {

void notify_view_change(ControlObject *obj) {
    if (obj->view_sink)
        IAdviseSink_OnViewChange(obj->view_sink, DVASPECT_CONTENT, -1);
    if (obj->window)
        InvalidateRect(obj->window, nullptr, TRUE);
}

HRESULT resize_control(ControlObject *obj, LPCRECT pos) {
    HRESULT hr = com_call(obj, [](tvk::TVKChecksum &c) {
        c.UserControl_Resize();
        return S_OK;
    });
    if (FAILED(hr))
        return hr;
    obj->extent = control_extent_himetric(obj);
    if (!obj->window)
        return S_OK;

    RECT now;
    GetWindowRect(obj->window, &now);
    MapWindowPoints(HWND_DESKTOP, GetParent(obj->window), reinterpret_cast<POINT *>(&now), 2);
    const SIZE size = control_extent_pixels(obj);
    const POINT at = pos ? POINT{pos->left, pos->top} : POINT{now.left, now.top};
    SetWindowPos(obj->window, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    // When the container asked for another size, tell it the one we took.
    const RECT taken = {at.x, at.y, at.x + size.cx, at.y + size.cy};
    if (pos && !EqualRect(pos, &taken) && obj->inplace_site && !obj->in_rect_change) {
        obj->in_rect_change = TRUE;
        IOleInPlaceSite_OnPosRectChange(obj->inplace_site, &taken);
        obj->in_rect_change = FALSE;
    }
    notify_view_change(obj);
    return S_OK;
}

HRESULT inplace_activate(ControlObject *obj, IOleClientSite *site, HWND parent, LPCRECT rect) {
    if (obj->window) {
        ShowWindow(obj->window, SW_SHOWNA);
        return S_OK;
    }
    if (!site)
        site = obj->client_site;
    if (!site)
        return E_UNEXPECTED;

    IOleInPlaceSite *ips = nullptr;
    HRESULT hr =
        IOleClientSite_QueryInterface(site, IID_IOleInPlaceSite, reinterpret_cast<void **>(&ips));
    if (FAILED(hr))
        return hr;
    if (IOleInPlaceSite_CanInPlaceActivate(ips) != S_OK) {
        IOleInPlaceSite_Release(ips);
        return E_FAIL;
    }
    IOleInPlaceSite_OnInPlaceActivate(ips);

    HWND site_window = nullptr;
    if (FAILED(IOleInPlaceSite_GetWindow(ips, &site_window)) || !site_window)
        site_window = parent;
    RECT pos = {0, 0, 0, 0};
    RECT clip = {0, 0, 0, 0};
    IOleInPlaceFrame *frame = nullptr;
    IOleInPlaceUIWindow *doc = nullptr;
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    if (SUCCEEDED(IOleInPlaceSite_GetWindowContext(ips, &frame, &doc, &pos, &clip, &info))) {
        if (frame)
            IOleInPlaceFrame_Release(frame);
        if (doc)
            IOleInPlaceUIWindow_Release(doc);
    }
    if (rect)
        pos = *rect;

    if (!site_window || !create_inplace_window(obj, site_window, pos)) {
        IOleInPlaceSite_OnInPlaceDeactivate(ips);
        IOleInPlaceSite_Release(ips);
        return E_FAIL;
    }
    obj->inplace_site = ips;
    return resize_control(obj, &pos);
}

HRESULT inplace_deactivate(ControlObject *obj) {
    if (!obj->inplace_site)
        return S_OK;
    destroy_inplace_window(obj);
    IOleInPlaceSite *ips = obj->inplace_site;
    obj->inplace_site = nullptr;
    IOleInPlaceSite_OnInPlaceDeactivate(ips);
    IOleInPlaceSite_Release(ips);
    return S_OK;
}

namespace {

// IOleInPlaceObject

HRESULT STDMETHODCALLTYPE ipo_get_window(IOleInPlaceObject *iface, HWND *out) {
    if (!out)
        return E_POINTER;
    *out = impl_from(iface)->window;
    return *out ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ipo_context_help(IOleInPlaceObject *, BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ipo_deactivate(IOleInPlaceObject *iface) {
    return inplace_deactivate(impl_from(iface));
}

HRESULT STDMETHODCALLTYPE ipo_ui_deactivate(IOleInPlaceObject *) {
    return S_OK; // never UI-active: no menus, no toolbars
}

HRESULT STDMETHODCALLTYPE ipo_set_rects(IOleInPlaceObject *iface, LPCRECT pos, LPCRECT) {
    if (!pos)
        return E_POINTER;
    return resize_control(impl_from(iface), pos);
}

HRESULT STDMETHODCALLTYPE ipo_reactivate_and_undo(IOleInPlaceObject *) {
    return INPLACE_E_NOTUNDOABLE;
}

// IOleInPlaceActiveObject

HRESULT STDMETHODCALLTYPE ipa_get_window(IOleInPlaceActiveObject *iface, HWND *out) {
    if (!out)
        return E_POINTER;
    *out = impl_from(iface)->window;
    return *out ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ipa_context_help(IOleInPlaceActiveObject *, BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ipa_translate_accelerator(IOleInPlaceActiveObject *, LPMSG) {
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE ipa_frame_activate(IOleInPlaceActiveObject *, BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ipa_doc_activate(IOleInPlaceActiveObject *, BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ipa_resize_border(IOleInPlaceActiveObject *, LPCRECT,
                                            IOleInPlaceUIWindow *, BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ipa_enable_modeless(IOleInPlaceActiveObject *, BOOL) {
    return S_OK;
}

} // namespace

const IOleInPlaceObjectVtbl inplace_object_vtbl = {
    forward_query_interface<IOleInPlaceObject>,
    forward_add_ref<IOleInPlaceObject>,
    forward_release<IOleInPlaceObject>,
    ipo_get_window,
    ipo_context_help,
    ipo_deactivate,
    ipo_ui_deactivate,
    ipo_set_rects,
    ipo_reactivate_and_undo,
};

const IOleInPlaceActiveObjectVtbl inplace_active_vtbl = {
    forward_query_interface<IOleInPlaceActiveObject>,
    forward_add_ref<IOleInPlaceActiveObject>,
    forward_release<IOleInPlaceActiveObject>,
    ipa_get_window,
    ipa_context_help,
    ipa_translate_accelerator,
    ipa_frame_activate,
    ipa_doc_activate,
    ipa_resize_border,
    ipa_enable_modeless,
};

} // namespace tvkcom
