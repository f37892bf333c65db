#include "content/text_part.hpp"

#include <gmime/gmime.h>

#include <cstring>

#include "common/text.hpp"
#include "content/charsets.hpp"

namespace pelicard {
namespace {

// Owns one reference of a library object.
template <class T>
struct Ref {
    T* p;
    explicit Ref(T* object) : p(object) {}
    ~Ref() {
        if (p) g_object_unref(p);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
};

// ---- the parser ----

struct FirstText {
    GMimeObject* part = nullptr;
    bool seen = false;
};

void Visit(GMimeObject*, GMimeObject* object, gpointer data) {
    auto* f = static_cast<FirstText*>(data);
    if (f->seen || !GMIME_IS_PART(object)) return;
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (type == nullptr || !g_mime_content_type_is_type(type, "text", "*")) return;
    f->seen = true;  // the first text part decides, as the fixed reading does
    if (g_mime_content_type_is_type(type, "text", "plain") || g_mime_content_type_is_type(type, "text", "html"))
        f->part = object;
}

std::string TransferDecoded(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (content == nullptr) return {};
    Ref<GMimeStream> mem(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, mem.p);
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem.p));
    return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::string Parameter(GMimeObject* object, const char* name) {
    const char* v = g_mime_object_get_content_type_parameter(object, name);
    return v == nullptr ? std::string() : std::string(v);
}

// ---- the short scan ----

bool IsFieldNameByte(unsigned char c) { return c > 0x20 && c < 0x7F && c != ':'; }

// A field of the header: its name and its value with the folds as written.
struct Field {
    std::string_view name, value;
    bool folded = false;
};

struct PlainHeader {
    Field type, encoding;
    int types = 0, encodings = 0;
};

void Keep(PlainHeader& h, const Field& f) {
    if (EqualsNoCase(f.name, "Content-Type")) {
        h.type = f;
        ++h.types;
    } else if (EqualsNoCase(f.name, "Content-Transfer-Encoding")) {
        h.encoding = f;
        ++h.encodings;
    }
}

// False when the header is not plain in the sense above.
bool ScanHeader(std::string_view header, PlainHeader& h) {
    const char* const base = header.data();
    Field field;
    bool open = false;
    for (std::size_t i = 0; i < header.size();) {
        const std::size_t e = FindExact(header, "\r\n", i);
        if (e == npos) return false;
        const std::string_view line = header.substr(i, e - i);
        if (line.empty() || std::memchr(line.data(), '\n', line.size()) != nullptr ||
            std::memchr(line.data(), '\r', line.size()) != nullptr ||
            std::memchr(line.data(), '\0', line.size()) != nullptr)
            return false;
        if (line[0] == ' ' || line[0] == '\t') {
            if (!open) return false;
            field.value = std::string_view(field.value.data(), static_cast<std::size_t>(base + e - field.value.data()));
            field.folded = true;
        } else {
            std::size_t colon = 0;
            while (colon < line.size() && IsFieldNameByte(static_cast<unsigned char>(line[colon]))) ++colon;
            if (colon == 0 || colon == line.size() || line[colon] != ':') return false;
            if (open) Keep(h, field);
            field = {line.substr(0, colon), line.substr(colon + 1), false};
            open = true;
        }
        i = e + 2;
    }
    if (open) Keep(h, field);
    return true;
}

bool IsAsciiWithoutWords(std::string_view v) {
    for (char c : v)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return FindExact(v, "=?", 0) == npos;
}

bool Decoded(std::string_view body, GMimeContentEncoding encoding, std::string& out) {
    switch (encoding) {
        case GMIME_CONTENT_ENCODING_7BIT:
        case GMIME_CONTENT_ENCODING_8BIT:
        case GMIME_CONTENT_ENCODING_BINARY:
            out.assign(body);
            return true;
        case GMIME_CONTENT_ENCODING_BASE64:
        case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE: {
            GMimeEncoding state;
            g_mime_encoding_init_decode(&state, encoding);
            out.resize(g_mime_encoding_outlen(&state, body.size()));
            const std::size_t n = g_mime_encoding_flush(&state, body.data(), body.size(), out.data());
            out.resize(n);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

SinglePart SinglePartText(std::string_view message, TextPart& out) {
    const std::size_t blank = FindExact(message, "\r\n\r\n", 0);
    if (blank == npos) return SinglePart::NeedsParser;
    PlainHeader h;
    if (!ScanHeader(message.substr(0, blank + 2), h) || h.types > 1 || h.encodings > 1)
        return SinglePart::NeedsParser;

    GMimeContentEncoding encoding = GMIME_CONTENT_ENCODING_7BIT;
    if (h.encodings == 1) {
        if (h.encoding.folded || !IsAsciiWithoutWords(h.encoding.value)) return SinglePart::NeedsParser;
        encoding = g_mime_content_encoding_from_string(TrimSpaces(h.encoding.value).c_str());
        if (encoding == GMIME_CONTENT_ENCODING_DEFAULT || encoding == GMIME_CONTENT_ENCODING_UUENCODE)
            return SinglePart::NeedsParser;
    }

    EnsureMimeLibrary();
    std::string charset;
    bool html = false;
    if (h.types == 1) {
        if (!IsAsciiWithoutWords(h.type.value)) return SinglePart::NeedsParser;
        Ref<GMimeContentType> type(g_mime_content_type_parse(nullptr, std::string(h.type.value).c_str()));
        if (type.p == nullptr) return SinglePart::NoText;
        if (g_mime_content_type_is_type(type.p, "multipart", "*") || g_mime_content_type_is_type(type.p, "message", "*"))
            return SinglePart::NeedsParser;
        html = g_mime_content_type_is_type(type.p, "text", "html");
        if (!html && !g_mime_content_type_is_type(type.p, "text", "plain")) return SinglePart::NoText;
        const char* cs = g_mime_content_type_get_parameter(type.p, "charset");
        if (cs != nullptr) charset = cs;
    }
    if (!Decoded(message.substr(blank + 4), encoding, out.bytes)) return SinglePart::NeedsParser;
    out.charset = charset;
    out.topCharset = std::move(charset);
    out.html = html;
    return SinglePart::Text;
}

bool ParsedTextPart(std::string_view message, TextPart& out) {
    EnsureMimeLibrary();
    Ref<GMimeStream> in(g_mime_stream_mem_new_with_buffer(message.data(), message.size()));
    Ref<GMimeParser> parser(g_mime_parser_new_with_stream(in.p));
    g_mime_parser_set_format(parser.p, GMIME_FORMAT_MESSAGE);
    Ref<GMimeMessage> msg(g_mime_parser_construct_message(parser.p, nullptr));
    if (msg.p == nullptr) return false;
    GMimeObject* top = g_mime_message_get_mime_part(msg.p);
    if (top == nullptr) return false;
    FirstText first;
    g_mime_message_foreach(msg.p, Visit, &first);
    if (first.part == nullptr) return false;
    out.bytes = TransferDecoded(GMIME_PART(first.part));
    out.charset = Parameter(first.part, "charset");
    out.topCharset = Parameter(top, "charset");
    out.html = g_mime_content_type_is_type(g_mime_object_get_content_type(first.part), "text", "html");
    return true;
}

bool ReadTextPart(std::string_view message, TextPart& out) {
    switch (SinglePartText(message, out)) {
        case SinglePart::Text:
            return true;
        case SinglePart::NoText:
            return false;
        case SinglePart::NeedsParser:
            break;
    }
    return ParsedTextPart(message, out);
}

}  // namespace pelicard
