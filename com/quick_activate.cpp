// quick_activate.cpp -- IQuickActivate: the container hands over its client
// site, event sink and view sink in one call and learns the control's
// flags; the content extent is the control's fixed size.
#include "connection_point.h"
#include "inplace.h"
#include "misc_status.h"

namespace tvkcom {
namespace {

HRESULT STDMETHODCALLTYPE quick_activate(IQuickActivate *iface, QACONTAINER *container,
                                         QACONTROL *control) {
    if (!container || !control)
        return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL))
        return E_INVALIDARG;
    ControlObject *obj = impl_from(iface);

    control->dwMiscStatus = control_misc_status;
    control->dwViewStatus = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;

    HRESULT hr = S_OK;
    if (container->pClientSite)
        hr = IOleObject_SetClientSite(&obj->OleObject_iface, container->pClientSite);
    if (SUCCEEDED(hr) && container->pAdviseSink)
        hr = IViewObject2_SetAdvise(&obj->ViewObject2_iface, DVASPECT_CONTENT, 0,
                                    reinterpret_cast<IAdviseSink *>(container->pAdviseSink));
    if (SUCCEEDED(hr) && container->pUnkEventSink)
        hr = connect_container_sink(obj, container->pUnkEventSink, &control->dwEventCookie);
    return hr;
}

HRESULT STDMETHODCALLTYPE set_content_extent(IQuickActivate *iface, LPSIZEL size) {
    if (!size)
        return E_POINTER;
    return resize_control(impl_from(iface), nullptr);
}

HRESULT STDMETHODCALLTYPE get_content_extent(IQuickActivate *iface, LPSIZEL size) {
    if (!size)
        return E_POINTER;
    *size = impl_from(iface)->extent;
    return S_OK;
}

} // namespace

const IQuickActivateVtbl quick_activate_vtbl = {
    forward_query_interface<IQuickActivate>,
    forward_add_ref<IQuickActivate>,
    forward_release<IQuickActivate>,
    quick_activate,
    set_content_extent,
    get_content_extent,
};

} // namespace tvkcom
