#include "BackgroundSearch.h"

#include <chrono>

namespace logsviewer {

void BackgroundSearch::Start(std::string folder, std::vector<std::string> names, std::string needle, Notify notify) {
    Stop();
    cancel_ = false;
    done_ = 0;
    {
        std::lock_guard<std::mutex> hold(lock_);
        notify_ = std::move(notify);
        result_ = {};
    }
    try {
        thread_ = std::thread([this, folder, names, needle] { Run(folder, names, needle); });
    } catch (...) {
        // No thread to be had: the search ends at once, having read nothing.
        {
            std::lock_guard<std::mutex> hold(lock_);
            result_.unreadable = names;
        }
        Tell(true);
    }
}

void BackgroundSearch::Prefetch(std::string folder, std::vector<std::string> names) {
    Stop();
    cancel_ = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        notify_ = {};
    }
    // Reading ahead is only a help: whatever fails, the search reads what it lacks.
    try {
        thread_ = std::thread([this, folder = std::move(folder), names = std::move(names)] {
            try {
                FillLogTextCache(folder, names, cache_, [this] { return cancel_.load(); });
            } catch (...) {
            }
        });
    } catch (...) {
    }
}

void BackgroundSearch::Stop() {
    {
        // Under the lock: once it is set, no notify starts.
        std::lock_guard<std::mutex> hold(lock_);
        cancel_ = true;
    }
    if (thread_.joinable()) thread_.join();
}

void BackgroundSearch::Close() {
    Stop();
    cache_ = LogTextCache();
}

SearchResult BackgroundSearch::TakeResult() {
    std::lock_guard<std::mutex> hold(lock_);
    SearchResult taken = std::move(result_);
    result_ = {};
    return taken;
}

void BackgroundSearch::Run(const std::string& folder, const std::vector<std::string>& names,
                           const std::string& needle) noexcept {
    using Clock = std::chrono::steady_clock;
    SearchResult result;
    try {
        auto lastTold = Clock::now();
        result = SearchLogs(
            folder, names, needle, [this] { return cancel_.load(); },
            [&](size_t done, size_t) {
                done_ = done;
                if (Clock::now() - lastTold < std::chrono::milliseconds(kNotifyIntervalMs)) return;
                lastTold = Clock::now();
                Tell(false);
            },
            &cache_);
    } catch (...) {
        // Whatever it was, the search ends here; what it did not search is not found.
        result = {};
        try {
            result.unreadable.assign(names.begin() + static_cast<std::ptrdiff_t>(done_.load()), names.end());
        } catch (...) {
        }
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        result_ = std::move(result);
    }
    Tell(true);
}

void BackgroundSearch::Tell(bool finished) noexcept {
    try {
        std::lock_guard<std::mutex> hold(lock_);
        if (!cancel_ && notify_) notify_(finished);
    } catch (...) {
        // A notify that failed tells nothing; the window is told by the next one.
    }
}

}  // namespace logsviewer
