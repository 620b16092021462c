// variant_data.h -- the Data, Key and Encoding arguments of the second
// interface, from the VARIANTs automation callers pass, by value or by
// reference (VT_BYREF), also inside a Variant (VT_VARIANT | VT_BYREF).
#ifndef TVK_COM_VARIANT_DATA_H
#define TVK_COM_VARIANT_DATA_H

#include "TVKChecksum.h"

#include <windows.h>
#include <oleauto.h>

namespace tvkcom {

// A Data or Key argument as the portable control takes it: a Byte() array
// of one dimension (any lower bound) as its bytes where they lie, locked
// with SafeArrayAccessData while this object lives; a String as its text;
// Empty (and a Byte() array never allocated) as no bytes; anything else
// invalid.
class VariantData {
  public:
    explicit VariantData(const VARIANT *value);
    ~VariantData();
    VariantData(const VariantData &) = delete;
    VariantData &operator=(const VariantData &) = delete;
    const tvk::DataArgument &argument() const { return argument_; }

  private:
    SAFEARRAY *locked_ = nullptr;
    tvk::DataArgument argument_;
};

// The Encoding argument: "hex" when it is missing (nullptr, or VT_ERROR
// DISP_E_PARAMNOTFOUND as automation passes an omitted optional argument)
// or Empty; a String as it is; anything else a text that names no encoding.
tvk::String encoding_of(const VARIANT *value);

} // namespace tvkcom

#endif
