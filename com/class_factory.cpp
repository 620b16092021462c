// class_factory.cpp -- the class object of TVKChecksum and DllGetClassObject.
// The factory is a static object: it counts as a server lock while a client
// holds it, so the module stays loaded as long as the factory is in use.
#include "control_object.h"
#include "module.h"

namespace tvkcom {
namespace {

HRESULT STDMETHODCALLTYPE factory_query_interface(IClassFactory *iface, REFIID riid, void **out) {
    if (!out)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
        *out = iface;
        IClassFactory_AddRef(iface);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE factory_add_ref(IClassFactory *) {
    module_lock(true);
    return 2;
}

ULONG STDMETHODCALLTYPE factory_release(IClassFactory *) {
    module_lock(false);
    return 1;
}

HRESULT STDMETHODCALLTYPE factory_create_instance(IClassFactory *, IUnknown *outer, REFIID riid,
                                                  void **out) {
    return create_control_object(outer, riid, out);
}

HRESULT STDMETHODCALLTYPE factory_lock_server(IClassFactory *, BOOL lock) {
    module_lock(lock != FALSE);
    return S_OK;
}

const IClassFactoryVtbl factory_vtbl = {
    factory_query_interface, factory_add_ref,     factory_release,
    factory_create_instance, factory_lock_server,
};

IClassFactory g_factory = {&factory_vtbl};

} // namespace
} // namespace tvkcom

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void **out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(clsid, CLSID_TVKChecksum))
        return CLASS_E_CLASSNOTAVAILABLE;
    return IClassFactory_QueryInterface(&tvkcom::g_factory, riid, out);
}
