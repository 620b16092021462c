// TVKChecksum.h -- the checksum control: twenty-eight methods, four events.
// The control computes nothing itself; it drives the engine library through
// its EngineHost (ZipClass). Automation types are modelled portably: String
// is UTF-16, Long is 32-bit signed, Variant is the empty variant.
#ifndef TVK_CONTROL_TVKCHECKSUM_H
#define TVK_CONTROL_TVKCHECKSUM_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tvkalgo {
struct AlgorithmFacts;
}

namespace tvk {

enum class ChecksumEncoding;
class AlgorithmList;

using Long = std::int32_t;
using String = std::u16string;

// The empty Variant that the members which hand back nothing return.
struct Variant {
    bool IsEmpty() const { return true; }
};

// A run-time error that leaves a member (error 5003 when the engine library
// cannot be loaded). The host sees it as the failure of the method call.
class RuntimeError {
  public:
    RuntimeError(Long number, String description)
        : Number(number), Description(std::move(description)) {}
    Long Number;
    String Description;
};

// The host's side of the event interface. Every parameter is by reference:
// what the handler leaves in it is read back by the control where it matters.
class TVKChecksumEvents {
  public:
    virtual ~TVKChecksumEvents() = default;
    virtual void Finished(String &CheckSumString) = 0;
    virtual void Progress(Long &Value) = 0;
    virtual void ErrorCode(Long &ErrorNumber, String &ErrorDescription) = 0;
    // A line of NewVerifyList's list has been decided (see NewVerifyList).
    // Hosts of the first interface know nothing of it.
    virtual void FileChecked(String &FileName, String &Result) {
        (void)FileName;
        (void)Result;
    }
};

// Timer1: 100 ms, ticks on the control's thread. The control only switches it
// on and off; whoever hosts the control delivers the ticks by calling
// TVKChecksum::Timer1_Timer while Enabled() is true (a host loop, a test, or a
// Win32 timer that follows OnEnabledChanged).
class Timer {
  public:
    static constexpr Long Interval = 100;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on) {
        if (on == enabled_)
            return;
        enabled_ = on;
        if (OnEnabledChanged)
            OnEnabledChanged(on);
    }
    std::function<void(bool)> OnEnabledChanged;

  private:
    bool enabled_ = false;
};

// Data or Key of HashData and HMAC as the host passed it: bytes where the
// caller keeps them (a Byte() array: hashed in place, never copied), a text
// (hashed as its UTF-8 bytes, a lone surrogate as U+FFFD), or a value of any
// other type, which has no bytes to hash. Empty is Bytes of size 0. The
// caller's memory must outlive the call.
struct DataArgument {
    enum class Kind { Bytes, Text, Invalid };
    Kind kind = Kind::Bytes;
    const unsigned char *bytes = nullptr;
    std::size_t size = 0;
    std::u16string_view text;

    static DataArgument Bytes(const void *data, std::size_t size) {
        DataArgument a;
        a.bytes = static_cast<const unsigned char *>(data);
        a.size = size;
        return a;
    }
    static DataArgument Text(std::u16string_view text) {
        DataArgument a;
        a.kind = Kind::Text;
        a.text = text;
        return a;
    }
    static DataArgument Invalid() {
        DataArgument a;
        a.kind = Kind::Invalid;
        return a;
    }
};

class ZipClass;
struct ListRun;

class TVKChecksum {
  public:
    explicit TVKChecksum(TVKChecksumEvents *events);
    // Cancels the control's own running job, waits a few seconds at most for
    // it to end, then gives up the job slot and frees the engine; a job that
    // has not ended keeps the engine loaded. Another control's job runs on.
    ~TVKChecksum();
    TVKChecksum(const TVKChecksum &) = delete;
    TVKChecksum &operator=(const TVKChecksum &) = delete;

    Variant About();
    // The string methods digest the first Length bytes of TheString in the
    // narrow code page. Length is clamped to [0, byte count + 1] (the one is
    // the NUL the bridge appends), so the engine never reads past the text.
    String CRC32String(String TheString, Long Length);
    String TVK32String(String TheString, Long Length);
    String MD5_32String(String TheString, Long Length);
    String MD5String(String TheString, Long Length);
    String SHA1String(String TheString, Long Length);
    String SHA256String(String TheString, Long Length);
    String Adler32String(String TheString, Long Length);
    // The file methods return the empty string, with ErrorCode, when the
    // engine could not checksum the file.
    String CRC32File(String InputFile);
    String MD5File(String InputFile);
    String SHA1File(String InputFile);
    String SHA256File(String InputFile);
    String MD5_32file(String InputFile);
    String TVK32file(String InputFile);
    String Adler32file(String InputFile);
    String ControlName();
    // CheckSelection: an algorithm name, or several separated by commas
    // ("sha-256,md5"), all from one read of the file: Finished then carries
    // the checksums in the list's order, separated by one blank.
    Variant NewCheckSumFile(String CheckSelection, String InputFile);
    Variant PauseExecution();
    Variant ResumeExecution();
    Variant CancelExecution();

    // The members of the second interface. SHA512String/SHA384String and
    // SHA512File/SHA384File work as their SHA-256 counterparts.
    String SHA512String(String TheString, Long Length);
    String SHA384String(String TheString, Long Length);
    String SHA512File(String InputFile);
    String SHA384File(String InputFile);
    // Algorithm: a name NewCheckSumFile takes, any case; HashFile also
    // takes a list of them, as NewCheckSumFile does, and answers each
    // checksum in the encoding, in the list's order, separated by one
    // blank. Encoding, any case: "hex" (lower-case digits), "base64" (RFC
    // 4648 section 4, padded) or "base64url" (section 5, unpadded). A
    // refusal raises ErrorCode (7 for the algorithm, 10 for Data or Key, 11
    // for the encoding, in that order; 8, 3 and 5 for the file) and returns
    // the empty string.
    String HashData(String Algorithm, const DataArgument &Data, String Encoding);
    // Computed on the caller's thread before it returns, as the file methods.
    String HashFile(String Algorithm, String InputFile, String Encoding);
    // RFC 2104 with the algorithm's core; 7 for an algorithm without HMAC.
    String HMAC(String Algorithm, const DataArgument &Key, const DataArgument &Data,
                String Encoding);

    // The member of the third interface: verifies the checksum list
    // ListFile (the lines of md5sum, sha1sum, sha256sum, sha384sum,
    // sha512sum, b3sum and xxhsum, plain or tagged, as tvksum -c reads them;
    // an untagged sum's algorithm is told by its length, or by the list's
    // file name, "B3SUMS", "x.b3", "x.xxh128"...) as one background job:
    // its files, named relative to the list's folder unless absolute, are
    // read one after another. Refused as NewCheckSumFile is (error 8 while
    // a job runs or another control holds the slot, 3 for an empty name or
    // a list that cannot be read to its end, 5 for a name that is no
    // readable file). The ticks of Timer1 raise Progress (the bytes of the
    // whole list) and, in list order, FileChecked(FileName, Result) for
    // every line decided since the last tick: FileName as the list writes
    // it, Result "OK", "FAILED" (the sum differs; hex digits compare in any
    // case), "FAILED open or read" or "improperly formatted" (the whole
    // line as FileName; such lines never reach the engine). Finished then
    // carries the summary: "N OK", followed by ", N FAILED", ", N FAILED
    // open or read" and ", N improperly formatted" in that order, each only
    // when N is not 0 ("3 OK, 1 FAILED, 1 FAILED open or read"). Pause,
    // resume and cancel act on the whole list; a cancelled list raises
    // ErrorCode 9 (user abort) and Finished with the summary of the lines
    // raised before the cancel.
    Variant NewVerifyList(String ListFile);

    // One tick of Timer1: the poll of a background job.
    void Timer1_Timer();
    // The container resized the control: it ends at 750 x 750 twips.
    void UserControl_Resize();

    Timer Timer1;
    Long Width = 750;  // twips
    Long Height = 750; // twips
    Long LastProgress = 0;

  private:
    // EngineHost, created on its first use and kept for the control's life.
    ZipClass &Host();
    // Raises ErrorCode with the number's fixed text (255 for unknown numbers).
    void ReportError(Long &Number);
    void RaiseFinished(String CheckSumString);
    void RaiseProgress(Long &Value);
    Long AskEngine(const char16_t *word); // "getstatus", "getprogress", ...
    String StringChecksum(const char16_t *word, String &TheString, Long Length);
    String FileChecksum(const char16_t *word, String &InputFile);
    // The several checksums of a list from one read ("setfilew"), separated
    // by one blank.
    String FileSetChecksum(const AlgorithmList &algorithms, String &InputFile);
    // The checks the file methods make before the engine sees the name;
    // raises the refusal.
    bool FileAccepted(const String &file);
    // The second interface's checks and presentation (TVKChecksum_data.cpp).
    // A list of several algorithms is refused unless `listed`.
    bool AcceptRequest(const AlgorithmList &algorithms, bool listed, bool keyed,
                       const String &Encoding, ChecksumEncoding &encoding,
                       const DataArgument *const *arguments, std::size_t count);
    String Presented(const String &hex, ChecksumEncoding encoding, Long failure);
    String PresentedSet(const String &hex, const AlgorithmList &algorithms,
                        ChecksumEncoding encoding);
    // The start of a background job (NewCheckSumFile, NewVerifyList): false,
    // with error 8, while a job runs or another control holds the slot;
    // otherwise Progress 0. A start that failed after it raises ErrorCode
    // and an empty Finished, and gives the slot back if it took it.
    bool JobMayStart();
    void JobStartFailed(Long error, bool release);
    // "pause", "resume", "cancel": sent only for the control's own job.
    Variant SteerJob(const char16_t *word);
    // The engine has one job slot per process. The control that starts a job
    // takes the slot first (ClaimJob: false while another control holds it)
    // and holds it until its poll has collected the job's result or it is
    // destroyed; only the owner polls, steers or cancels the job, and no
    // other control starts one meanwhile (error 8).
    bool OwnsJob() const;
    bool JobHeldByOther() const;
    bool ClaimJob();
    void ReleaseJob();

    // The list job (TVKChecksum_list.cpp): one tick's poll, the lines
    // decided since the last (false when one is still pending), the end.
    void ListTick();
    bool RaiseDecidedEntries();
    void FinishList(bool cancelled);

    std::unique_ptr<ZipClass> EngineHost;
    std::unique_ptr<ListRun> List; // while a list job runs
    TVKChecksumEvents *Events;
    // The latest job was started with several algorithms: its text is read
    // with "getsums".
    bool SetJob = false;
};

} // namespace tvk

#endif
