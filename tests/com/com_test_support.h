// com_test_support.h -- what the COM tests share: the control loaded
// straight from an OCX file (no registration), a message loop with a safety
// bound, an event sink that records the control's events, and the MD5 of
// the system's crypto provider as an independent reference.
#ifndef TVK_TESTS_COM_SUPPORT_H
#define TVK_TESTS_COM_SUPPORT_H

#include "TVKChecksum_h.h"

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

namespace tvk_com_test {

// Folder of the running test program, without a trailing separator.
std::wstring ExeDir();
std::string Narrow(const std::wstring &text);
std::wstring Wide(BSTR text);

// TVKChecksum.ocx loaded with LoadLibrary; objects come from its class
// factory. The module stays loaded until the process ends.
class Ocx {
  public:
    explicit Ocx(const std::wstring &path);
    bool Loaded() const { return module_ != nullptr; }
    HRESULT Create(REFIID riid, void **out) const;
    HRESULT CanUnloadNow() const;
    HRESULT Install(bool install, const wchar_t *cmdline) const; // DllInstall
    HMODULE Module() const { return module_; }

  private:
    HMODULE module_ = nullptr;
};

// Dispatches messages until done() holds or limit_ms has passed (a guard
// against a hang, not a timing check). Returns done().
bool PumpUntil(const std::function<bool()> &done, DWORD limit_ms = 60000);

struct Event {
    DISPID id;         // 1 Finished, 2 Progress, 3 ErrorCode, 4 FileChecked
    LONG number;       // Progress value, ErrorCode number
    std::wstring text; // Finished sum, ErrorCode text, FileChecked "NAME: RESULT"
};

// An IDispatch sink for __TVKChecksum2 and __TVKChecksum. Handlers, when set, run inside the
// event and may change its by-reference arguments.
class EventSink : public IDispatch {
  public:
    std::vector<Event> events;
    std::function<void(LONG &)> on_progress;
    std::function<void(BSTR *)> on_finished;
    bool bad_arguments = false; // an event came with unexpected types

    size_t Count(DISPID id) const;
    bool HasFinished() const { return Count(1) > 0; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *,
                                     EXCEPINFO *, UINT *) override;

  private:
    LONG ref_ = 1;
};

// Connects the sink to one of the control's event interfaces (that of 9.0
// unless told); 0 on failure.
DWORD Connect(IUnknown *control, IDispatch *sink, REFIID events = DIID___TVKChecksum);
void Disconnect(IUnknown *control, DWORD cookie, REFIID events = DIID___TVKChecksum);

// A visible top-level dialog ("#32770") of this process with the caption, or
// nullptr. Other programs on the same display may show the same caption.
HWND FindOwnDialog(const wchar_t *caption);

// While it lives, a thread closes this process's dialogs with the caption
// (OK, else Esc) and records the text of their first static control.
class OwnDialogCloser {
  public:
    explicit OwnDialogCloser(const wchar_t *caption);
    ~OwnDialogCloser();
    OwnDialogCloser(const OwnDialogCloser &) = delete;
    OwnDialogCloser &operator=(const OwnDialogCloser &) = delete;
    std::vector<std::string> Texts();

  private:
    static DWORD WINAPI Run(void *self);
    std::wstring caption_;
    volatile LONG stop_ = 0;
    CRITICAL_SECTION lock_;
    std::vector<std::string> texts_;
    HANDLE thread_ = nullptr;
};

// Lower-case hexadecimal MD5 of the bytes, from the CryptoAPI.
std::string CryptoMd5(const std::string &bytes);
// Writes a file of deterministic bytes; returns its contents.
std::string WriteTestFile(const std::wstring &path, size_t size);

} // namespace tvk_com_test

#endif
