// win_dialogs.h -- finds the message boxes a test provokes, records their
// texts and closes them, so no test waits for a person (Windows only).
#ifndef TVK_TESTS_WIN_DIALOGS_H
#define TVK_TESTS_WIN_DIALOGS_H

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tvk_test {

// While it lives, a watcher thread looks for top-level dialog windows
// (class "#32770") with the given caption, records the text of their static
// text control (the first static control of other dialogs) and closes
// them: with OK when they have that button, else with Cancel.
class DialogWatcher {
  public:
    explicit DialogWatcher(std::string caption);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher &) = delete;
    DialogWatcher &operator=(const DialogWatcher &) = delete;

    // Texts of the dialogs closed so far, in the order they appeared.
    std::vector<std::string> Texts() const;
    void Clear();

  private:
    void Run();
    std::string caption_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

} // namespace tvk_test

#endif
