// The part of the shared state that this subsystem owns.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace pelicard {

struct ContentState {
    // MIME extraction of the current Outlook Express message (MsgProcessing).
    // Positions are 1-based as the raw export reads them: SubjectStart is the
    // position of "Subject:" in HeaderText + 9 (9 when there is none),
    // SubjectEnd the CR LF that ends that line (0 when none).
    std::int32_t SubjectStart = 0;
    std::int32_t SubjectEnd = 0;
    std::uint8_t BodyKind = 0;  // 0 plain, 1 html, 2 multipart
    std::string Boundary;       // "--" + boundary, or the delimiter line of the body
    bool IsBase64 = false;
    std::string PartSubtype;    // 4 characters after the first "text/" of a multipart body

    // Options beside the specified ones, kept in the second settings file.
    // FullDecoding: messages read by the Internet mail standards (encoded
    // words, transfer encodings, charsets) instead of the fixed repair.
    // Utf8Files: text files and printed pages in UTF-8.
    bool FullDecoding = false;
    bool Utf8Files = false;
    // UTF-8 companions of the working texts of the message read last (see
    // Utf8Form): empty when the core's text says it all.
    std::string SubjectLineU8;
    std::string DateSenderBlockU8;
    std::string BodyU8;
    std::string SubjectU8;  // the subject as the editor shows it
};

}  // namespace pelicard
