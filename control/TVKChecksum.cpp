// TVKChecksum.cpp -- the control's lifecycle, its About box and its error
// reporter.
#include "TVKChecksum.h"

#include "ErrorNumbers.h"
#include "Form1.h"
#include "Globals.h"
#include "ZipClass.h"
#include "verify_list.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace tvk {

namespace {

// How long destruction waits for a cancelled job to end, and the pause
// between two cancels. A job whose read blocks (a FIFO with no writer) never
// sees the cancel.
constexpr std::chrono::milliseconds CancelWait{3000};
constexpr std::chrono::milliseconds CancelRetryPause{10};

// The control whose job the engine's slot holds, running or finished and not
// yet collected, or none. Taken before the job starts, given up only by its
// owner: when its poll has collected the result, or when it is destroyed.
// Compared, never dereferenced.
std::atomic<const TVKChecksum *> job_owner{nullptr};

} // namespace

TVKChecksum::TVKChecksum(TVKChecksumEvents *events) : Events(events) {}

// Cancels the control's own job if it still runs and waits, for a bounded
// time, until the engine reports none; then frees the engine. A job that is
// still running then keeps the engine loaded: its worker runs in the library,
// so the library is not freed under it, and the control is gone without it.
// Another control's job is left alone: freeing the engine only drops this
// control's reference to it. No event is raised.
TVKChecksum::~TVKChecksum() {
    if (OwnsJob() && Host().IsLoaded()) {
        // The slot stays this control's while it waits, so the job it
        // cancels is its own: no other control can start one meanwhile.
        const Long none = 0;
        const auto deadline = std::chrono::steady_clock::now() + CancelWait;
        while (Host().CallWindowLONG(u"getstatus", none, none, none) == 1) {
            if (std::chrono::steady_clock::now() >= deadline) {
                ReleaseJob();
                return;
            }
            Host().CallWindow(u"cancel", u" ", u" ", u" ");
            std::this_thread::sleep_for(CancelRetryPause);
        }
    }
    ReleaseJob();
    if (Host().IsLoaded())
        Host().Deinit();
}

bool TVKChecksum::OwnsJob() const {
    return job_owner.load() == this;
}

bool TVKChecksum::JobHeldByOther() const {
    const TVKChecksum *owner = job_owner.load();
    return owner != nullptr && owner != this;
}

bool TVKChecksum::ClaimJob() {
    const TVKChecksum *expected = nullptr;
    return job_owner.compare_exchange_strong(expected, this) || expected == this;
}

void TVKChecksum::ReleaseJob() {
    const TVKChecksum *self = this;
    job_owner.compare_exchange_strong(self, nullptr);
}

ZipClass &TVKChecksum::Host() {
    if (!EngineHost)
        EngineHost = std::make_unique<ZipClass>();
    return *EngineHost;
}

Variant TVKChecksum::About() {
    Form1::ShowModal();
    return {};
}

String TVKChecksum::ControlName() {
    return ApplicationTitle();
}

void TVKChecksum::UserControl_Resize() {
    Height = 750;
    Width = 750;
}

void TVKChecksum::ReportError(Long &Number) {
    const Error::Entry reported = Error::Report(Number);
    Long number = reported.number;
    String text = reported.text;
    if (Events)
        Events->ErrorCode(number, text);
}

void TVKChecksum::RaiseFinished(String CheckSumString) {
    if (Events)
        Events->Finished(CheckSumString);
}

void TVKChecksum::RaiseProgress(Long &Value) {
    if (Events)
        Events->Progress(Value);
}

Long TVKChecksum::AskEngine(const char16_t *word) {
    const Long none = 0;
    return Host().CallWindowLONG(word, none, none, none);
}

} // namespace tvk
