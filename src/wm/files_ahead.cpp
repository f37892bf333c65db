#include "wm/files_ahead.hpp"

#include <filesystem>
#include <system_error>

#include "common/byte_file.hpp"

namespace pelicard {
namespace {

// How far the thread reads ahead: a few dozen files, or some megabytes
// (a larger file is still read, alone).
constexpr std::size_t kFilesAhead = 64;
constexpr std::size_t kBytesAhead = std::size_t{16} << 20;
// Below this many files, one thread is quicker than starting another.
constexpr std::size_t kFilesForTwoThreads = 16;

}  // namespace

FilesAhead::Read FilesAhead::ReadOne(const std::string& path) {
    Read r;
    try {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (ec || size < 1) return r;
        r.bytes = ReadWholeFile(path);
        r.present = true;
    } catch (...) {
        r.bytes.clear();
        r.error = std::current_exception();
    }
    return r;
}

FilesAhead::FilesAhead(const std::vector<std::string>& paths) : paths_(paths) {
    if (paths_.size() < kFilesForTwoThreads) return;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No second thread: each file is read when it is taken.
    }
}

FilesAhead::~FilesAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void FilesAhead::Run() {
    try {
        ReadAll();
    } catch (...) {
        // Out of memory while keeping a file: the files from there on are
        // read when they are taken.
        {
            std::lock_guard<std::mutex> lock(mutex_);
            broken_ = true;
        }
        changed_.notify_all();
    }
}

// Each side wakes the other only when it waits, and the thread, once it is
// far enough ahead, waits until half of what it read has been taken: a
// wake-up costs more than reading a small file.
bool FilesAhead::Full() const {
    return !ready_.empty() && (ready_.size() >= kFilesAhead || readyBytes_ >= kBytesAhead);
}

bool FilesAhead::HalfTaken() const { return ready_.size() <= kFilesAhead / 2 && readyBytes_ <= kBytesAhead / 2; }

void FilesAhead::ReadAll() {
    for (const std::string& path : paths_) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (Full()) {
                threadWaits_ = true;
                changed_.wait(lock, [this] { return stop_ || HalfTaken(); });
                threadWaits_ = false;
            }
            if (stop_) return;
        }
        Read r = ReadOne(path);
        bool wake;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            readyBytes_ += r.bytes.size();
            ready_.push_back(std::move(r));
            wake = takerWaits_;
        }
        if (wake) changed_.notify_all();
    }
}

bool FilesAhead::Take(std::string& bytes) {
    Read r;
    bool own = !thread_.joinable();
    if (!own) {
        bool wake = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (ready_.empty() && !broken_) {
                takerWaits_ = true;
                changed_.wait(lock, [this] { return !ready_.empty() || broken_; });
                takerWaits_ = false;
            }
            if (ready_.empty()) {
                own = true;
            } else {
                r = std::move(ready_.front());
                ready_.pop_front();
                readyBytes_ -= r.bytes.size();
                wake = threadWaits_ && HalfTaken();
            }
        }
        if (wake) changed_.notify_all();
    }
    if (own) r = ReadOne(paths_.at(taken_));
    ++taken_;
    if (r.error) std::rethrow_exception(r.error);
    bytes = std::move(r.bytes);
    return r.present;
}

}  // namespace pelicard
