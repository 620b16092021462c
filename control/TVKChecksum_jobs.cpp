// TVKChecksum_jobs.cpp -- file checksums: the seven synchronous file methods,
// the background job (start, poll on Timer1) and its steering.
#include "TVKChecksum.h"

#include "ErrorNumbers.h"
#include "ZipClass.h"
#include "algorithm_names.h"
#include "sum_sets.h"
#include "verify_list.h"

namespace tvk {

namespace {

String Blanks() {
    return String(300, u' ');
}

String BlanksAndNul() {
    String buffer = Blanks();
    buffer += u'\0';
    return buffer;
}

} // namespace

bool TVKChecksum::FileAccepted(const String &file) {
    Host().Init(false);
    Long error = 0;
    if (AskEngine(u"getstatus") == 1)
        error = Error::AlreadyExecuting;
    else if (Host().CheckForEmpty(file))
        error = Error::InputFileEmpty;
    else if (!Host().CheckInputFile(file) || !Host().TakesWideNames())
        error = Error::InputFileInvalid;
    if (error == 0)
        return true;
    ReportError(error);
    return false;
}

String TVKChecksum::FileChecksum(const char16_t *word, String &InputFile) {
    String file = InputFile;
    if (!FileAccepted(file))
        return String();
    // The name goes to the engine's wide word as the caller wrote it.
    String result = BlanksAndNul();
    String command = word;
    command += u'w';
    Host().CallWindowWide(command, file, result, 0);
    // The engine writes nothing when it cannot open the file after all (it
    // vanished or became unreadable since the check): that is no checksum.
    if (result == Blanks()) {
        Long error = Error::InputFileInvalid;
        ReportError(error);
        return String();
    }
    return result;
}

String TVKChecksum::FileSetChecksum(const AlgorithmList &algorithms, String &InputFile) {
    String file = InputFile;
    if (!FileAccepted(file))
        return String();
    // Untouched, the output stays empty: the file could not be read after
    // all, or the engine does not know the word.
    String result;
    Host().CallWindowSet(u"setfilew", file, result, tvkalgo::SUM_SET_TEXT_SIZE,
                         algorithms.Selectors());
    if (result.empty()) {
        Long error = Error::InputFileInvalid;
        ReportError(error);
    }
    return result;
}

String TVKChecksum::CRC32File(String InputFile) {
    return FileChecksum(u"crc32file", InputFile);
}
String TVKChecksum::MD5File(String InputFile) {
    return FileChecksum(u"md5file", InputFile);
}
String TVKChecksum::SHA1File(String InputFile) {
    return FileChecksum(u"sha1file", InputFile);
}
String TVKChecksum::SHA256File(String InputFile) {
    return FileChecksum(u"sha256file", InputFile);
}
String TVKChecksum::MD5_32file(String InputFile) {
    return FileChecksum(u"md532file", InputFile);
}
String TVKChecksum::TVK32file(String InputFile) {
    return FileChecksum(u"tvk32file", InputFile);
}
String TVKChecksum::Adler32file(String InputFile) {
    return FileChecksum(u"adler32file", InputFile);
}

Variant TVKChecksum::NewCheckSumFile(String CheckSelection, String InputFile) {
    String selection = CheckSelection;
    String file = InputFile;
    if (!JobMayStart())
        return {};
    Long error = 0;
    const bool ownedBefore = OwnsJob();
    bool claimed = false;
    const AlgorithmList algorithms(selection);
    if (Host().CheckForEmpty(file))
        error = Error::InputFileEmpty;
    else if (!Host().CheckInputFile(file))
        error = Error::InputFileInvalid;
    else if (algorithms.Count() == 0)
        error = Error::InvalidSelection;
    // The slot is taken before the job starts: a control on another thread,
    // or a Progress handler that started a job of its own meanwhile, keeps
    // it, and the engine would take a second start on top of a running job.
    else if (!(claimed = ClaimJob()) || AskEngine(u"getstatus") == 1)
        error = Error::AlreadyExecuting;
    else if (!Host().TakesWideNames() || (algorithms.Count() > 1 && !Host().TakesSets()))
        error = Error::InputFileInvalid;
    else {
        // One algorithm starts the job of one checksum, several the job of
        // a set, all from one read.
        const bool several = algorithms.Count() > 1;
        String buffer = several ? Blanks() : BlanksAndNul();
        const Long refused =
            several ? Host().CallWindowSet(u"newexecutesetw", file, buffer, buffer.size() + 1,
                                           algorithms.Selectors())
                    : Host().CallWindowWide(u"newexecutew", file, buffer, algorithms[0].selector);
        if (refused == 0) {
            SetJob = several;
            Timer1.SetEnabled(true);
            return {};
        }
        error = Error::InputFileInvalid; // the engine refused the path
    }
    JobStartFailed(error, claimed && !ownedBefore);
    return {};
}

bool TVKChecksum::JobMayStart() {
    Host().Init(false);
    // Another control's job, running or not yet collected by it, holds the
    // slot as a running one does.
    if (AskEngine(u"getstatus") == 1 || JobHeldByOther() || List) {
        Long error = Error::AlreadyExecuting;
        ReportError(error);
        return false;
    }
    Long start = 0;
    RaiseProgress(start);
    return true;
}

void TVKChecksum::JobStartFailed(Long error, bool release) {
    if (release)
        ReleaseJob();
    ReportError(error);
    RaiseFinished(String());
}

// One tick of Timer1. Only the job this control started is polled: its slot
// is this control's until this tick has collected the result.
void TVKChecksum::Timer1_Timer() {
    Host().Init(false);
    if (!OwnsJob()) {
        Timer1.SetEnabled(false);
        return;
    }
    if (List) {
        ListTick();
        return;
    }
    if (AskEngine(u"getstatus") != 0) {
        Long progress = AskEngine(u"getprogress");
        if (progress != LastProgress) {
            RaiseProgress(progress);
            LastProgress = progress;
        }
        return;
    }
    const Long outcome = AskEngine(u"getreturnvalue");
    String sum;
    if (outcome == 0 && SetJob) {
        sum = Host().SetJobSums();
    } else if (outcome == 0) {
        sum = Blanks();
        String command = u"getsum";
        String blank = u" ";
        Host().CallWindow2(command, sum, blank, 0);
    }
    // The job is over before its final events: a handler that starts the
    // next job gets the slot and the timer switched on again for it.
    ReleaseJob();
    LastProgress = -1;
    Timer1.SetEnabled(false);
    if (outcome != 0) {
        Long error = Error::UserAbort;
        ReportError(error);
    }
    Long done = 100;
    RaiseProgress(done);
    RaiseFinished(sum);
}

Variant TVKChecksum::SteerJob(const char16_t *word) {
    if (Host().IsLoaded() && OwnsJob())
        Host().CallWindow(word, u" ", u" ", u" ");
    return {};
}

Variant TVKChecksum::PauseExecution() {
    return SteerJob(u"pause");
}
Variant TVKChecksum::ResumeExecution() {
    return SteerJob(u"resume");
}
Variant TVKChecksum::CancelExecution() {
    return SteerJob(u"cancel");
}

} // namespace tvk
