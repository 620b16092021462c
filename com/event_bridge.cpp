// event_bridge.cpp -- Finished, Progress, ErrorCode and FileChecked as calls of the sinks'
// IDispatch::Invoke with VT_BYREF arguments (last parameter first, as
// DISPPARAMS wants them).
#include "event_bridge.h"

#include "bstr.h"
#include "connection_point.h"

namespace tvkcom {
namespace {

// A BSTR that an event handler may replace; the final value is freed here.
class ByRefString {
  public:
    explicit ByRefString(const tvk::String &text) : value_(to_bstr(text)) {}
    ~ByRefString() { SysFreeString(value_); }
    ByRefString(const ByRefString &) = delete;
    ByRefString &operator=(const ByRefString &) = delete;
    void bind(VARIANTARG &arg) {
        V_VT(&arg) = VT_BYREF | VT_BSTR;
        V_BSTRREF(&arg) = &value_;
    }
    tvk::String value() const { return from_bstr(value_); }

  private:
    BSTR value_;
};

void bind_long(VARIANTARG &arg, LONG &value) {
    V_VT(&arg) = VT_BYREF | VT_I4;
    V_I4REF(&arg) = &value;
}

} // namespace

void EventBridge::Finished(tvk::String &CheckSumString) {
    ByRefString text(CheckSumString);
    VARIANTARG args[1];
    text.bind(args[0]);
    fire_event(obj_, 1, args, 1, true);
    CheckSumString = text.value();
}

void EventBridge::Progress(tvk::Long &Value) {
    LONG value = Value;
    VARIANTARG args[1];
    bind_long(args[0], value);
    fire_event(obj_, 2, args, 1, true);
    Value = value;
}

void EventBridge::ErrorCode(tvk::Long &ErrorNumber, tvk::String &ErrorDescription) {
    LONG number = ErrorNumber;
    ByRefString text(ErrorDescription);
    VARIANTARG args[2];
    text.bind(args[0]);
    bind_long(args[1], number);
    fire_event(obj_, 3, args, 2, true);
    ErrorNumber = number;
    ErrorDescription = text.value();
}

// __TVKChecksum2 only: the first version's sinks know nothing of it.
void EventBridge::FileChecked(tvk::String &FileName, tvk::String &Result) {
    ByRefString name(FileName);
    ByRefString result(Result);
    VARIANTARG args[2];
    result.bind(args[0]);
    name.bind(args[1]);
    fire_event(obj_, 4, args, 2, false);
    FileName = name.value();
    Result = result.value();
}

} // namespace tvkcom
