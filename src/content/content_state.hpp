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
};

}  // namespace pelicard
