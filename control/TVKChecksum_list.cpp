// TVKChecksum_list.cpp -- NewVerifyList: a checksum list checked as one
// background job of the engine, its entries raised as FileChecked on the
// ticks of Timer1.
#include "TVKChecksum.h"

#include "ErrorNumbers.h"
#include "Globals.h"
#include "ZipClass.h"
#include "platform.h"
#include "sum_sets.h"
#include "verify_list.h"

#include <vector>

namespace tvk {

namespace {

// The whole list file; false when it cannot be read to its end.
bool ReadWhole(const String &file, std::string &bytes) {
    Globals::InputFileReader reader(file);
    if (!reader.IsOpen())
        return false;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(reader.Length()));
    if (!reader.Read(buffer.data(), buffer.size()))
        return false;
    bytes.assign(buffer.begin(), buffer.end());
    return true;
}

} // namespace

Variant TVKChecksum::NewVerifyList(String ListFile) {
    const String file = ListFile;
    if (!JobMayStart())
        return {};
    Long error = 0;
    const bool ownedBefore = OwnsJob();
    bool claimed = false;
    std::string bytes;
    if (Host().CheckForEmpty(file))
        error = Error::InputFileEmpty;
    else if (!Host().CheckInputFile(file))
        error = Error::InputFileInvalid;
    else if (!ReadWhole(file, bytes))
        error = Error::InputFileEmpty;
    else if (!(claimed = ClaimJob()) || AskEngine(u"getstatus") == 1)
        error = Error::AlreadyExecuting;
    else if (!Host().TakesWideNames() || !Host().TakesSets())
        error = Error::InputFileInvalid;
    else {
        List = std::make_unique<ListRun>();
        List->list = ReadVerifyList(bytes, file);
        // With no file to read, every line is decided already.
        if (List->list.files == 0) {
            if (!ownedBefore)
                ReleaseJob();
            RaiseDecidedEntries();
            FinishList(false);
            return {};
        }
        String buffer = u" ";
        if (Host().CallWindowWide(u"newexecutelistw", List->list.entries, buffer, 0) == 0) {
            Timer1.SetEnabled(true);
            return {};
        }
        List.reset();
        error = Error::InputFileInvalid; // the engine refused the list
    }
    JobStartFailed(error, claimed && !ownedBefore);
    return {};
}

bool TVKChecksum::RaiseDecidedEntries() {
    std::vector<ListItem> &items = List->list.items;
    for (; List->next < items.size(); ++List->next) {
        const ListItem &item = items[List->next];
        ListOutcome outcome = ListOutcome::Malformed;
        if (item.entry >= 0) {
            String sum;
            const Long answer =
                Host().CallWindowAddress(u"getlistentry", static_cast<std::uintptr_t>(item.entry),
                                         0, sum, tvkalgo::SUM_SET_TEXT_SIZE);
            if (answer == tvkalgo::LIST_ENTRY_PENDING)
                return false;
            if (answer == 2) // cancelled before or during this file
                return true;
            outcome = answer == 0 ? CompareSums(platform_utf16_to_utf8(sum, U'\uFFFD'), item.sum)
                                  : ListOutcome::Unreadable;
        }
        List->tally.Count(outcome);
        String name = item.name;
        String word = OutcomeWord(outcome);
        if (Events)
            Events->FileChecked(name, word);
    }
    return true;
}

// Every entry decided since the last tick is raised, so a tick that finds
// the job over raises the rest; the engine goes on with the next files
// between two ticks.
void TVKChecksum::ListTick() {
    const bool running = AskEngine(u"getstatus") != 0;
    RaiseDecidedEntries();
    if (running) {
        Long progress = AskEngine(u"getprogress");
        if (progress != LastProgress) {
            RaiseProgress(progress);
            LastProgress = progress;
        }
        return;
    }
    const bool cancelled = AskEngine(u"getreturnvalue") != 0;
    // The slot is given up before the final events, as for a file job.
    ReleaseJob();
    FinishList(cancelled);
}

void TVKChecksum::FinishList(bool cancelled) {
    const String summary = List->tally.Summary();
    List.reset();
    LastProgress = -1;
    Timer1.SetEnabled(false);
    if (cancelled) {
        Long error = Error::UserAbort;
        ReportError(error);
    }
    Long done = 100;
    RaiseProgress(done);
    RaiseFinished(summary);
}

} // namespace tvk
