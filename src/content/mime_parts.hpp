// The attachments of a complete message, found by GMime: every part that is
// not the message's own text, each decoded (base64, quoted-printable,
// uuencode), attached messages as they were attached, and the files that
// old news messages carry uuencoded inside their text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelicard {

struct Attachment {
    std::string name;   // file name as the part gives it, decoded to UTF-8; empty when none
    std::string type;   // "type/subtype", lower case
    std::string bytes;  // the decoded content
};

struct AttachmentScan {
    std::vector<Attachment> items;
    // Empty when the whole message could be looked through; otherwise why
    // not (UTF-8 French). The items found before are kept.
    std::string problem;
};

// Parts nested deeper than this are not looked into (the scan says so).
inline constexpr int kMaxPartDepth = 200;

AttachmentScan FindAttachments(std::string_view message);

// The name an attachment is saved under before it is made safe: its own,
// or «piece-jointe-N» (N its position, from 1) with an extension from its
// type; an attached message always ends in ".eml".
std::string AttachmentFileName(const Attachment& a, std::size_t position);

// The extension usually given to files of a MIME type ("image/jpeg" -> "jpg").
std::string ExtensionForType(std::string_view type);

}  // namespace pelicard
