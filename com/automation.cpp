// automation.cpp -- _TVKChecksum3: IDispatch driven by the type library, and
// the members, each handing its arguments to the portable control and its
// result back as the retval parameter. The members that take Data or Key are
// in automation_data.cpp.
#include "automation_data.h"
#include "bstr.h"
#include "com_call.h"
#include "type_info.h"

namespace tvkcom {
namespace {

ControlObject *self(_TVKChecksum3 *iface) {
    return impl_from(iface);
}

// IDispatch

HRESULT STDMETHODCALLTYPE get_type_info_count(_TVKChecksum3 *, UINT *count) {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE get_type_info(_TVKChecksum3 *iface, UINT index, LCID, ITypeInfo **out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    ControlObject *obj = self(iface);
    const HRESULT hr = ensure_type_infos(obj);
    if (FAILED(hr))
        return hr;
    ITypeInfo_AddRef(obj->dispatch_info);
    *out = obj->dispatch_info;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE get_ids_of_names(_TVKChecksum3 *iface, REFIID riid, LPOLESTR *names,
                                           UINT count, LCID, DISPID *ids) {
    if (!IsEqualGUID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ControlObject *obj = self(iface);
    const HRESULT hr = ensure_type_infos(obj);
    if (FAILED(hr))
        return hr;
    return DispGetIDsOfNames(obj->interface_info, names, count, ids);
}

HRESULT STDMETHODCALLTYPE invoke(_TVKChecksum3 *iface, DISPID id, REFIID riid, LCID, WORD flags,
                                 DISPPARAMS *params, VARIANT *result, EXCEPINFO *excep,
                                 UINT *arg_err) {
    if (!IsEqualGUID(riid, IID_NULL))
        return DISP_E_UNKNOWNINTERFACE;
    ControlObject *obj = self(iface);
    const HRESULT hr = ensure_type_infos(obj);
    if (FAILED(hr))
        return hr;
    // A method called as a property get (VBScript does so for calls
    // without parentheses) is still the method.
    if (flags & DISPATCH_PROPERTYGET)
        flags = static_cast<WORD>(flags | DISPATCH_METHOD);
    if (is_data_member(obj, id) && !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)))
        return invoke_data_member(iface, id, params, result, arg_err);
    return ITypeInfo_Invoke(obj->interface_info, iface, id, flags, params, result, excep, arg_err);
}

// Results

HRESULT put_string(BSTR *out, const tvk::String &text) {
    *out = to_bstr(text);
    return S_OK;
}

HRESULT put_empty(VARIANT *out) {
    VariantInit(out);
    return S_OK;
}

template <tvk::String (tvk::TVKChecksum::*Member)(tvk::String, tvk::Long)>
HRESULT STDMETHODCALLTYPE string_member(_TVKChecksum3 *iface, BSTR text, LONG length, BSTR *out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return com_call(self(iface), [&](tvk::TVKChecksum &c) {
        return put_string(out, (c.*Member)(from_bstr(text), static_cast<tvk::Long>(length)));
    });
}

template <tvk::String (tvk::TVKChecksum::*Member)(tvk::String)>
HRESULT STDMETHODCALLTYPE file_member(_TVKChecksum3 *iface, BSTR file, BSTR *out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return com_call(self(iface), [&](tvk::TVKChecksum &c) {
        return put_string(out, (c.*Member)(from_bstr(file)));
    });
}

template <tvk::Variant (tvk::TVKChecksum::*Member)()>
HRESULT STDMETHODCALLTYPE variant_member(_TVKChecksum3 *iface, VARIANT *out) {
    if (!out)
        return E_POINTER;
    VariantInit(out);
    return com_call(self(iface), [&](tvk::TVKChecksum &c) {
        (c.*Member)();
        return put_empty(out);
    });
}

HRESULT STDMETHODCALLTYPE control_name(_TVKChecksum3 *iface, BSTR *out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return com_call(self(iface),
                    [&](tvk::TVKChecksum &c) { return put_string(out, c.ControlName()); });
}

HRESULT STDMETHODCALLTYPE new_checksum_file(_TVKChecksum3 *iface, BSTR selection, BSTR file,
                                            VARIANT *out) {
    if (!out)
        return E_POINTER;
    VariantInit(out);
    return com_call(self(iface), [&](tvk::TVKChecksum &c) {
        c.NewCheckSumFile(from_bstr(selection), from_bstr(file));
        return put_empty(out);
    });
}

HRESULT STDMETHODCALLTYPE new_verify_list(_TVKChecksum3 *iface, BSTR list, VARIANT *out) {
    if (!out)
        return E_POINTER;
    VariantInit(out);
    return com_call(self(iface), [&](tvk::TVKChecksum &c) {
        c.NewVerifyList(from_bstr(list));
        return put_empty(out);
    });
}

} // namespace

const _TVKChecksum3Vtbl checksum_vtbl = {
    forward_query_interface<_TVKChecksum3>,
    forward_add_ref<_TVKChecksum3>,
    forward_release<_TVKChecksum3>,
    get_type_info_count,
    get_type_info,
    get_ids_of_names,
    invoke,
    variant_member<&tvk::TVKChecksum::About>,
    string_member<&tvk::TVKChecksum::CRC32String>,
    string_member<&tvk::TVKChecksum::TVK32String>,
    string_member<&tvk::TVKChecksum::MD5_32String>,
    string_member<&tvk::TVKChecksum::MD5String>,
    string_member<&tvk::TVKChecksum::SHA1String>,
    string_member<&tvk::TVKChecksum::SHA256String>,
    string_member<&tvk::TVKChecksum::Adler32String>,
    file_member<&tvk::TVKChecksum::CRC32File>,
    file_member<&tvk::TVKChecksum::MD5File>,
    file_member<&tvk::TVKChecksum::SHA1File>,
    file_member<&tvk::TVKChecksum::SHA256File>,
    file_member<&tvk::TVKChecksum::MD5_32file>,
    file_member<&tvk::TVKChecksum::TVK32file>,
    file_member<&tvk::TVKChecksum::Adler32file>,
    control_name,
    new_checksum_file,
    variant_member<&tvk::TVKChecksum::PauseExecution>,
    variant_member<&tvk::TVKChecksum::ResumeExecution>,
    variant_member<&tvk::TVKChecksum::CancelExecution>,
    string_member<&tvk::TVKChecksum::SHA512String>,
    string_member<&tvk::TVKChecksum::SHA384String>,
    file_member<&tvk::TVKChecksum::SHA512File>,
    file_member<&tvk::TVKChecksum::SHA384File>,
    hash_data,
    hash_file,
    hmac,
    new_verify_list,
};

} // namespace tvkcom
