// automation_data.cpp -- HashData, HashFile and HMAC: VARIANT arguments to
// the portable control, by the vtable and by IDispatch::Invoke.
#include "automation_data.h"

#include "bstr.h"
#include "com_call.h"
#include "variant_data.h"

#include <cwchar>

namespace tvkcom {

namespace {

// The three members' common call. key is nullptr for the unkeyed ones;
// encoding nullptr when it was left out.
HRESULT data_call(ControlObject *obj, BSTR algorithm, const VARIANT *key, const VARIANT *data,
                  const VARIANT *encoding, BSTR *out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return com_call(obj, [&](tvk::TVKChecksum &c) {
        const VariantData data_bytes(data);
        tvk::String sum;
        if (key) {
            const VariantData key_bytes(key);
            sum = c.HMAC(from_bstr(algorithm), key_bytes.argument(), data_bytes.argument(),
                         encoding_of(encoding));
        } else {
            sum = c.HashData(from_bstr(algorithm), data_bytes.argument(), encoding_of(encoding));
        }
        *out = to_bstr(sum);
        return S_OK;
    });
}

// A String argument of a late-bound call, as ITypeInfo::Invoke converts one.
class TextArgument {
  public:
    explicit TextArgument(VARIANT *value) {
        VariantInit(&text_);
        hr_ = VariantChangeType(&text_, value, 0, VT_BSTR);
    }
    ~TextArgument() { VariantClear(&text_); }
    TextArgument(const TextArgument &) = delete;
    TextArgument &operator=(const TextArgument &) = delete;
    HRESULT status() const { return hr_; }
    BSTR text() const { return V_BSTR(&text_); }

  private:
    VARIANT text_;
    HRESULT hr_;
};

} // namespace

HRESULT STDMETHODCALLTYPE hash_data(_TVKChecksum3 *iface, BSTR algorithm, VARIANT data,
                                    VARIANT encoding, BSTR *out) {
    return data_call(impl_from(iface), algorithm, nullptr, &data, &encoding, out);
}

HRESULT STDMETHODCALLTYPE hmac(_TVKChecksum3 *iface, BSTR algorithm, VARIANT key, VARIANT data,
                               VARIANT encoding, BSTR *out) {
    return data_call(impl_from(iface), algorithm, &key, &data, &encoding, out);
}

HRESULT STDMETHODCALLTYPE hash_file(_TVKChecksum3 *iface, BSTR algorithm, BSTR file,
                                    VARIANT encoding, BSTR *out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return com_call(impl_from(iface), [&](tvk::TVKChecksum &c) {
        *out = to_bstr(c.HashFile(from_bstr(algorithm), from_bstr(file), encoding_of(&encoding)));
        return S_OK;
    });
}

bool is_data_member(ControlObject *obj, DISPID id) {
    BSTR name = nullptr;
    UINT count = 0;
    if (FAILED(ITypeInfo_GetNames(obj->interface_info, id, &name, 1, &count)) || count != 1)
        return false;
    const bool ours = std::wcscmp(name, L"HashData") == 0 || std::wcscmp(name, L"HMAC") == 0;
    SysFreeString(name);
    return ours;
}

HRESULT invoke_data_member(_TVKChecksum3 *iface, DISPID id, DISPPARAMS *params, VARIANT *result,
                           UINT *arg_err) {
    if (!params)
        return E_INVALIDARG;
    if (params->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    ControlObject *obj = impl_from(iface);
    BSTR name = nullptr;
    UINT count = 0;
    if (FAILED(ITypeInfo_GetNames(obj->interface_info, id, &name, 1, &count)) || count != 1)
        return DISP_E_MEMBERNOTFOUND;
    const bool keyed = std::wcscmp(name, L"HMAC") == 0;
    SysFreeString(name);
    // HashData(Algorithm, Data, [Encoding]), HMAC(Algorithm, Key, Data, [Encoding]).
    const UINT required = keyed ? 3 : 2;
    const UINT args = params->cArgs;
    if (args < required || args > required + 1)
        return DISP_E_BADPARAMCOUNT;
    // rgvarg holds the arguments last first.
    const auto arg = [&](UINT position) { return &params->rgvarg[args - 1 - position]; };
    TextArgument algorithm(arg(0));
    if (FAILED(algorithm.status())) {
        if (arg_err)
            *arg_err = args - 1;
        return DISP_E_TYPEMISMATCH;
    }
    const VARIANT *key = keyed ? arg(1) : nullptr;
    const VARIANT *data = arg(keyed ? 2 : 1);
    const VARIANT *encoding = args > required ? arg(required) : nullptr;
    BSTR sum = nullptr;
    const HRESULT hr = data_call(obj, algorithm.text(), key, data, encoding, &sum);
    if (FAILED(hr))
        return hr;
    if (result) {
        VariantInit(result);
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = sum;
    } else {
        SysFreeString(sum);
    }
    return S_OK;
}

} // namespace tvkcom
