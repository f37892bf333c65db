// Builds .eml/.nws message texts and temporary Windows Mail folders for the
// tests.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace pelicard::testing {

// A message text: header lines, an empty line, the body. Lines end with
// CR LF unless lineEnd says otherwise; "\n" in the body becomes lineEnd.
struct EmlBuilder {
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string lineEnd = "\r\n";

    EmlBuilder& Header(const std::string& name, const std::string& value) {
        headers.emplace_back(name, value);
        return *this;
    }
    EmlBuilder& Body(const std::string& text) {
        body = text;
        return *this;
    }
    EmlBuilder& LfOnly() {
        lineEnd = "\n";
        return *this;
    }
    std::string Text() const;
};

// A plain message with the usual fields; empty values leave the field out.
EmlBuilder SimpleEml(const std::string& subject, const std::string& messageId,
                     const std::string& references = "", const std::string& body = "Bonjour");

// A folder under the system's temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    // Writes `content` to Path()/name (sub-folders created); returns the path.
    std::string Write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

}  // namespace pelicard::testing
