// automation_data.h -- the members of _TVKChecksum3 that take Data, Key or
// Encoding as VARIANTs: their vtable entries, and their late-bound calls,
// which are dispatched here and not by ITypeInfo::Invoke, so that a Byte()
// array passed by value reaches the engine where it lies rather than as the
// copy the system's Invoke would make of it.
#ifndef TVK_COM_AUTOMATION_DATA_H
#define TVK_COM_AUTOMATION_DATA_H

#include "control_object.h"

namespace tvkcom {

HRESULT STDMETHODCALLTYPE hash_data(_TVKChecksum3 *iface, BSTR algorithm, VARIANT data,
                                    VARIANT encoding, BSTR *out);
HRESULT STDMETHODCALLTYPE hash_file(_TVKChecksum3 *iface, BSTR algorithm, BSTR file,
                                    VARIANT encoding, BSTR *out);
HRESULT STDMETHODCALLTYPE hmac(_TVKChecksum3 *iface, BSTR algorithm, VARIANT key, VARIANT data,
                               VARIANT encoding, BSTR *out);

// Whether the member id is one dispatched by invoke_data_member (the type
// library names it HashData or HMAC).
bool is_data_member(ControlObject *obj, DISPID id);
// IDispatch::Invoke of such a member: positional arguments only.
HRESULT invoke_data_member(_TVKChecksum3 *iface, DISPID id, DISPPARAMS *params, VARIANT *result,
                           UINT *arg_err);

} // namespace tvkcom

#endif
