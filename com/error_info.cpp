// error_info.cpp -- run-time errors as automation error info, and
// ISupportErrorInfo, which says yes for _TVKChecksum3 and the two before it.
#include "bstr.h"
#include "com_call.h"
#include "registration_rows.h"

#include <string>

namespace tvkcom {

HRESULT runtime_error_hresult(tvk::Long number) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<unsigned>(number) & 0xFFFFu);
}

void clear_error_info() {
    SetErrorInfo(0, nullptr);
}

HRESULT raise_runtime_error(const tvk::RuntimeError &error) {
    ICreateErrorInfo *create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        std::wstring description(error.Description.begin(), error.Description.end());
        ICreateErrorInfo_SetGUID(create, IID__TVKChecksum3);
        ICreateErrorInfo_SetSource(create, const_cast<LPOLESTR>(prog_id));
        ICreateErrorInfo_SetDescription(create, &description[0]);
        IErrorInfo *info = nullptr;
        if (SUCCEEDED(ICreateErrorInfo_QueryInterface(create, IID_IErrorInfo,
                                                      reinterpret_cast<void **>(&info)))) {
            SetErrorInfo(0, info);
            IErrorInfo_Release(info);
        }
        ICreateErrorInfo_Release(create);
    }
    return runtime_error_hresult(error.Number);
}

namespace {

HRESULT STDMETHODCALLTYPE supports_error_info(ISupportErrorInfo *, REFIID riid) {
    return IsEqualGUID(riid, IID__TVKChecksum3) || IsEqualGUID(riid, IID__TVKChecksum2) ||
                   IsEqualGUID(riid, IID__TVKChecksum)
               ? S_OK
               : S_FALSE;
}

} // namespace

const ISupportErrorInfoVtbl support_error_info_vtbl = {
    forward_query_interface<ISupportErrorInfo>,
    forward_add_ref<ISupportErrorInfo>,
    forward_release<ISupportErrorInfo>,
    supports_error_info,
};

} // namespace tvkcom
