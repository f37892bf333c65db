// The running executables, from /proc: each process's short name (comm) and
// the last component of its first argument, which for a program run by Wine
// is a Windows path ("C:\Program Files\Outlook Express\msimn.exe").
#pragma once
#include <string>
#include <vector>

#include "app/ports.hpp"

namespace pelicard {

class ProcProcesses : public ProcessesPort {
public:
    explicit ProcProcesses(std::string procRoot = "/proc") : root_(std::move(procRoot)) {}
    std::vector<std::string> RunningExecutables() override;

private:
    std::string root_;
};

// The last component of a command's first argument, "/" and "\" both
// separating.
std::string ExecutableName(const std::string& firstArgument);

}  // namespace pelicard
