// view_object.cpp -- IViewObject2: the face drawn into the container's
// device context, the extent, and one view advise sink.
#include "control_window.h"

namespace tvkcom {
namespace {

ControlObject *self(IViewObject2 *iface) {
    return impl_from(iface);
}

HRESULT STDMETHODCALLTYPE draw(IViewObject2 *, DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC,
                               HDC dc, LPCRECTL bounds, LPCRECTL,
                               BOOL(STDMETHODCALLTYPE *)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!dc || !bounds)
        return E_INVALIDARG;
    const RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    draw_face(dc, rect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE get_color_set(IViewObject2 *, DWORD, LONG, void *, DVTARGETDEVICE *, HDC,
                                        LOGPALETTE **colors) {
    if (colors)
        *colors = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE freeze(IViewObject2 *, DWORD, LONG, void *, DWORD *) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE unfreeze(IViewObject2 *, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE set_advise(IViewObject2 *iface, DWORD aspects, DWORD advf,
                                     IAdviseSink *sink) {
    ControlObject *obj = self(iface);
    if (sink)
        IAdviseSink_AddRef(sink);
    IAdviseSink *old = obj->view_sink;
    obj->view_sink = sink;
    obj->view_aspects = aspects;
    obj->view_advf = advf;
    if (old)
        IAdviseSink_Release(old);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE get_advise(IViewObject2 *iface, DWORD *aspects, DWORD *advf,
                                     IAdviseSink **sink) {
    ControlObject *obj = self(iface);
    if (aspects)
        *aspects = obj->view_aspects;
    if (advf)
        *advf = obj->view_advf;
    if (sink) {
        *sink = obj->view_sink;
        if (*sink)
            IAdviseSink_AddRef(*sink);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE get_extent(IViewObject2 *iface, DWORD aspect, LONG, DVTARGETDEVICE *,
                                     LPSIZEL size) {
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = self(iface)->extent;
    return S_OK;
}

} // namespace

const IViewObject2Vtbl view_object_vtbl = {
    forward_query_interface<IViewObject2>,
    forward_add_ref<IViewObject2>,
    forward_release<IViewObject2>,
    draw,
    get_color_set,
    freeze,
    unfreeze,
    set_advise,
    get_advise,
    get_extent,
};

} // namespace tvkcom
