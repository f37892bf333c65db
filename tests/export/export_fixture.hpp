// A fresh state wired to the fake window and printer, with a temporary
// storage folder and a small Windows Mail list whose bodies the test reader
// hands over as ReadMsg would.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/state.hpp"
#include "support/fake_printer.hpp"
#include "support/fake_window.hpp"

namespace pelicard::testing {

class ExportTest : public ::testing::Test {
protected:
    ExportTest();
    ~ExportTest() override;

    // Appends a Windows Mail entry (its file in <root>/src/Archives) and
    // returns its index. dateText "dd/mm/yyyy hh:nn:ss".
    std::int32_t AddMessage(const std::string& subject, const std::string& dateText,
                            const std::string& body, const std::string& threadKey = "<t>",
                            const std::string& rawFile = "");
    void Select(const std::vector<std::int32_t>& ids);
    // Working texts of entry i as ReadMsg fills them.
    void Load(std::int32_t i);
    // Reads one message as ReadMsg would, then MsgEnd.
    static void FakeRead(State& s, std::int32_t index, OutputMode& mode);

    // Files of the output folder, by name, and one file's bytes.
    std::vector<std::string> OutputFiles() const;
    std::string Output(const std::string& name) const;
    std::string OutputDir() const { return root + "/store/Archives/"; }

    State s;
    FakeWindow window;
    FakePrinter printer;
    std::string root;  // temporary folder
};

std::string ReadFileBytes(const std::filesystem::path& p);
void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);

}  // namespace pelicard::testing
