#include "export_fixture.hpp"

#include <fstream>
#include <iterator>
#include <stdlib.h>

#include "export/msg_end.hpp"

namespace fs = std::filesystem;

namespace pelicard::testing {

std::string ReadFileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

ExportTest::ExportTest() {
    std::string tmpl = (fs::temp_directory_path() / "pelicard-export-XXXXXX").string();
    root = mkdtemp(tmpl.data());
    fs::create_directories(root + "/src/Archives");
    fs::create_directories(root + "/store");
    s.window = &window;
    s.printer = &printer;
    s.settings.StorageFolder = root + "/store";
    s.list.Mode = StoreMode::WindowsMail;
}

ExportTest::~ExportTest() {
    std::error_code ec;
    for (auto& e : fs::recursive_directory_iterator(root, ec))
        fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root, ec);
}

std::int32_t ExportTest::AddMessage(const std::string& subject, const std::string& dateText,
                                    const std::string& body, const std::string& threadKey,
                                    const std::string& rawFile) {
    WmMessageEntry e;
    const auto i = static_cast<std::int32_t>(s.list.Wm.size());
    e.FilePath = root + "/src/Archives/m" + std::to_string(i) + ".eml";
    WriteFileBytes(e.FilePath, rawFile);
    e.Subject = subject;
    e.Sender = "Anne";
    e.DateText = dateText;
    // dd/mm/yyyy hh:nn:ss -> yyyymmdd hhnnss
    e.DateKey = dateText.substr(6, 4) + dateText.substr(3, 2) + dateText.substr(0, 2) + " " +
                dateText.substr(11, 2) + dateText.substr(14, 2) + dateText.substr(17, 2);
    e.ThreadKey = threadKey;
    e.Body = body;
    s.list.Wm.push_back(e);
    s.list.Count = i;
    return i;
}

void ExportTest::Select(const std::vector<std::int32_t>& ids) {
    s.selection.SelectionOrder.assign(1, 0);
    s.selection.SelectionOrder.insert(s.selection.SelectionOrder.end(), ids.begin(), ids.end());
    s.selection.SelectionCount = static_cast<std::int32_t>(ids.size());
    s.selection.CurrentPosition = 1;
}

void ExportTest::Load(std::int32_t i) {
    const WmMessageEntry& e = s.list.Wm[static_cast<std::size_t>(i)];
    s.texts.SubjectLine = "Objet : " + e.Subject + "\r\n";
    s.texts.DateSenderBlock = "Date : " + e.DateText + "\r\nExp\xE9" "diteur : " + e.Sender + "\r\n\r\n";
    s.texts.BodyText = e.Body;
    s.texts.RawText = ReadFileBytes(e.FilePath);
}

void ExportTest::FakeRead(State& s, std::int32_t index, OutputMode& mode) {
    const WmMessageEntry& e = s.list.Wm[static_cast<std::size_t>(index)];
    s.texts.SubjectLine = "Objet : " + e.Subject + "\r\n";
    s.texts.DateSenderBlock = "Date : " + e.DateText + "\r\nExp\xE9" "diteur : " + e.Sender + "\r\n\r\n";
    s.texts.BodyText = e.Body;
    MsgEnd(s, index, mode);
}

std::vector<std::string> ExportTest::OutputFiles() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(OutputDir(), ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ExportTest::Output(const std::string& name) const { return ReadFileBytes(OutputDir() + name); }

}  // namespace pelicard::testing
