#include "support/eml_builder.hpp"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

namespace pelicard::testing {

std::string EmlBuilder::Text() const {
    std::string out;
    for (const auto& [name, value] : headers) out += name + ": " + value + lineEnd;
    out += lineEnd;
    for (char c : body) {
        if (c == '\n') out += lineEnd;
        else out.push_back(c);
    }
    return out;
}

EmlBuilder SimpleEml(const std::string& subject, const std::string& messageId,
                     const std::string& references, const std::string& body) {
    EmlBuilder b;
    b.Header("From", "Alice <alice@example.org>");
    if (!subject.empty()) b.Header("Subject", subject);
    b.Header("Date", "Thu, 01 Jan 2009 12:00:00 +0000");
    if (!messageId.empty()) b.Header("Message-ID", messageId);
    if (!references.empty()) b.Header("References", references);
    b.Header("Content-Type", "text/plain; charset=iso-8859-1");
    b.Body(body);
    return b;
}

TempFolder::TempFolder() {
    namespace fs = std::filesystem;
    static std::atomic<int> counter{0};
    std::random_device rd;
    fs::path p = fs::temp_directory_path() /
                 ("pelicard-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    fs::create_directories(p);
    path_ = p.string();
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempFolder::Write(const std::string& name, const std::string& content) const {
    namespace fs = std::filesystem;
    fs::path p = fs::path(path_) / name;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << content;
    return p.string();
}

}  // namespace pelicard::testing
