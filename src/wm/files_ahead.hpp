// The message files of a folder read in order by a second thread, a few
// files ahead of the one that decodes them, so that the disk and the
// decoding work at the same time. Each file gives what reading it on the
// calling thread would give: its bytes, nothing when it is missing or
// empty, or the exception that reading it threw.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pelicard {

class FilesAhead {
public:
    // `paths` stays alive and unchanged while this object lives.
    explicit FilesAhead(const std::vector<std::string>& paths);
    FilesAhead(const FilesAhead&) = delete;
    FilesAhead& operator=(const FilesAhead&) = delete;
    // Stops the thread between two files and waits for it.
    ~FilesAhead();

    // The next file of the list, in order: true with its bytes, false when
    // it is missing or empty; throws what reading it threw.
    bool Take(std::string& bytes);

private:
    struct Read {
        bool present = false;
        std::string bytes;
        std::exception_ptr error;
    };
    static Read ReadOne(const std::string& path);
    void Run();
    void ReadAll();
    bool Full() const;       // with the mutex held
    bool HalfTaken() const;  // with the mutex held

    const std::vector<std::string>& paths_;
    std::size_t taken_ = 0;  // files handed out (calling thread only)
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Read> ready_;  // read, not yet taken, in order
    std::size_t readyBytes_ = 0;
    bool stop_ = false;
    bool threadWaits_ = false, takerWaits_ = false;
    bool broken_ = false;  // the thread stopped early; Take reads the rest
    std::thread thread_;  // not started: Take reads each file itself
};

}  // namespace pelicard
