// variant_data.cpp -- VARIANT arguments to the portable control's model.
#include "variant_data.h"

#include "bstr.h"

namespace tvkcom {

namespace {

// What a Variant passed by reference holds; a chain of them is followed a
// few steps at most.
const VARIANT *unwrapped(const VARIANT *value) {
    for (int depth = 0; value && V_VT(value) == (VT_VARIANT | VT_BYREF) && depth < 8; ++depth)
        value = V_VARIANTREF(value);
    return value;
}

} // namespace

VariantData::VariantData(const VARIANT *value) : argument_(tvk::DataArgument::Invalid()) {
    value = unwrapped(value);
    if (!value)
        return;
    switch (V_VT(value)) {
    case VT_EMPTY:
        argument_ = tvk::DataArgument::Bytes(nullptr, 0);
        return;
    case VT_BSTR:
    case VT_BSTR | VT_BYREF: {
        const BSTR text = V_VT(value) & VT_BYREF ? *V_BSTRREF(value) : V_BSTR(value);
        const auto *units = reinterpret_cast<const char16_t *>(text);
        argument_ = tvk::DataArgument::Text(text ? std::u16string_view(units, SysStringLen(text))
                                                 : std::u16string_view());
        return;
    }
    case VT_ARRAY | VT_UI1:
    case VT_ARRAY | VT_UI1 | VT_BYREF: {
        SAFEARRAY *array = V_VT(value) & VT_BYREF ? *V_ARRAYREF(value) : V_ARRAY(value);
        if (!array) {
            argument_ = tvk::DataArgument::Bytes(nullptr, 0);
            return;
        }
        void *bytes = nullptr;
        if (SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1 ||
            FAILED(SafeArrayAccessData(array, &bytes)))
            return;
        locked_ = array;
        argument_ = tvk::DataArgument::Bytes(bytes, array->rgsabound[0].cElements);
        return;
    }
    default:
        return;
    }
}

VariantData::~VariantData() {
    if (locked_)
        SafeArrayUnaccessData(locked_);
}

tvk::String encoding_of(const VARIANT *value) {
    value = unwrapped(value);
    if (!value || V_VT(value) == VT_EMPTY ||
        (V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND))
        return u"hex";
    if (V_VT(value) == VT_BSTR)
        return from_bstr(V_BSTR(value));
    if (V_VT(value) == (VT_BSTR | VT_BYREF))
        return from_bstr(*V_BSTRREF(value));
    return tvk::String(); // names no encoding
}

} // namespace tvkcom
