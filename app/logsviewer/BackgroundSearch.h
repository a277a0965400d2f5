// One search of the logs on a thread of its own, so that the window and the
// chat keep going while it reads. The window starts it, hears of it through
// notify, takes the result when it is done, and may stop it at any moment.
// The text of the logs read is kept for the next search (and may be read
// ahead, while the user is still typing).
//
// Nothing thrown on the search's thread leaves it: a failure ends the search
// with every log not searched counted as unreadable. Stop waits at most for
// the piece of a log being read (about a millisecond), and no notify is called
// after it returns.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LogSearch.h"

namespace logsviewer {

class BackgroundSearch {
public:
    // Called on the search's thread, at most every kNotifyIntervalMs while it
    // runs and once when it is done (finished true): it should only post.
    using Notify = std::function<void(bool finished)>;
    static constexpr int kNotifyIntervalMs = 100;

    BackgroundSearch() = default;
    ~BackgroundSearch() { Stop(); }
    BackgroundSearch(const BackgroundSearch&) = delete;
    BackgroundSearch& operator=(const BackgroundSearch&) = delete;

    // Stops a search already running, then starts this one.
    void Start(std::string folder, std::vector<std::string> names, std::string needle, Notify notify);
    // Reads the logs' text ahead of a search, telling nothing; a search
    // started meanwhile stops it and goes on from what it has read.
    void Prefetch(std::string folder, std::vector<std::string> names);
    void Stop();
    // Stops, and lets go of the text kept for the next search.
    void Close();
    // Logs searched so far.
    size_t Done() const { return done_.load(); }
    // The result once finished was notified; empty before, and after it is taken.
    SearchResult TakeResult();

private:
    void Run(const std::string& folder, const std::vector<std::string>& names, const std::string& needle) noexcept;
    void Tell(bool finished) noexcept;

    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<size_t> done_{0};
    std::mutex lock_;  // over notify_ and result_
    Notify notify_;
    SearchResult result_;
    LogTextCache cache_;  // only ever used by the one thread running
};

}  // namespace logsviewer
