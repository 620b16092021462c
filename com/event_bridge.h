// event_bridge.h -- the portable control's events, raised to the COM sinks
// of __TVKChecksum2 and __TVKChecksum with every argument by reference; what a handler leaves
// in an argument is read back into the control's variable.
#ifndef TVK_COM_EVENT_BRIDGE_H
#define TVK_COM_EVENT_BRIDGE_H

#include "TVKChecksum.h"

namespace tvkcom {

struct ControlObject;

class EventBridge : public tvk::TVKChecksumEvents {
  public:
    explicit EventBridge(ControlObject *obj) : obj_(obj) {}
    void Finished(tvk::String &CheckSumString) override;
    void Progress(tvk::Long &Value) override;
    void ErrorCode(tvk::Long &ErrorNumber, tvk::String &ErrorDescription) override;
    void FileChecked(tvk::String &FileName, tvk::String &Result) override;

  private:
    ControlObject *obj_;
};

} // namespace tvkcom

#endif
