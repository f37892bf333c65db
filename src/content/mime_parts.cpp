#include "content/mime_parts.hpp"

#include <gmime/gmime.h>

#include <memory>
#include <new>
#include <utility>

#include "content/gmime_init.hpp"
#include "content/uudecode.hpp"

namespace pelicard {
namespace {

struct Unref {
    void operator()(void* p) const {
        if (p) g_object_unref(p);
    }
};
template <typename T>
using Ref = std::unique_ptr<T, Unref>;

struct FreeOptions {
    void operator()(GMimeParserOptions* p) const {
        if (p) g_mime_parser_options_free(p);
    }
};
using Options = std::unique_ptr<GMimeParserOptions, FreeOptions>;

// Raw 8-bit texts in headers are read in the first of these they fit.
Options MakeOptions(const char* partCharset) {
    Options o(g_mime_parser_options_new());
    const char* charsets[] = {partCharset ? partCharset : "UTF-8", "UTF-8", "windows-1252", nullptr};
    g_mime_parser_options_set_fallback_charsets(o.get(), partCharset ? charsets : charsets + 1);
    g_mime_parser_options_set_rfc2047_compliance_mode(o.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(o.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    return o;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool HasEightBit(const char* s) {
    for (; s && *s; ++s)
        if (static_cast<unsigned char>(*s) >= 0x80) return true;
    return false;
}

std::string TakeBytes(GMimeStream* mem) {
    GByteArray* a = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem));
    return a ? std::string(reinterpret_cast<const char*>(a->data), a->len) : std::string();
}

// Raw bytes in `charset` (Windows-1252 when none or unknown) as UTF-8.
std::string ToUtf8(std::string_view raw, const char* charset) {
    if (g_utf8_validate(raw.data(), static_cast<gssize>(raw.size()), nullptr)) return std::string(raw);
    for (const char* from : {charset, "windows-1252"}) {
        if (!from) continue;
        gsize written = 0;
        gchar* u = g_convert(raw.data(), static_cast<gssize>(raw.size()), "UTF-8", from, nullptr, &written, nullptr);
        if (u) {
            std::string out(u, written);
            g_free(u);
            return out;
        }
    }
    std::string out(raw);
    for (char& c : out)
        if (static_cast<unsigned char>(c) >= 0x80) c = '_';
    return out;
}

// The file name of a part whose header holds raw 8-bit bytes, read again in
// the part's own charset (GMime read it in the general fallbacks).
std::string NameInPartCharset(GMimeObject* obj, const char* charset) {
    GMimeHeaderList* headers = g_mime_object_get_header_list(obj);
    Options o = MakeOptions(charset);
    if (GMimeHeader* h = g_mime_header_list_get_header(headers, "Content-Disposition");
        h && HasEightBit(g_mime_header_get_raw_value(h))) {
        Ref<GMimeContentDisposition> d(g_mime_content_disposition_parse(o.get(), g_mime_header_get_raw_value(h)));
        const char* name = d ? g_mime_content_disposition_get_parameter(d.get(), "filename") : nullptr;
        if (name && *name) return ToUtf8(name, charset);
    }
    if (GMimeHeader* h = g_mime_header_list_get_header(headers, "Content-Type");
        h && HasEightBit(g_mime_header_get_raw_value(h))) {
        Ref<GMimeContentType> t(g_mime_content_type_parse(o.get(), g_mime_header_get_raw_value(h)));
        const char* name = t ? g_mime_content_type_get_parameter(t.get(), "name") : nullptr;
        if (name && *name) return ToUtf8(name, charset);
    }
    return {};
}

std::string PartName(GMimeObject* obj) {
    const char* charset = g_mime_object_get_content_type_parameter(obj, "charset");
    if (charset && g_ascii_strcasecmp(charset, "us-ascii") != 0 && g_ascii_strcasecmp(charset, "utf-8") != 0) {
        std::string again = NameInPartCharset(obj, charset);
        if (!again.empty()) return again;
    }
    const char* name = g_mime_object_get_content_disposition_parameter(obj, "filename");
    if (!name || !*name) name = g_mime_object_get_content_type_parameter(obj, "name");
    return name ? ToUtf8(name, charset) : std::string();
}

std::string MimeType(GMimeObject* obj) {
    GMimeContentType* t = g_mime_object_get_content_type(obj);
    if (!t) return "application/octet-stream";
    gchar* m = g_mime_content_type_get_mime_type(t);
    std::string out = m ? Lower(m) : "application/octet-stream";
    g_free(m);
    return out;
}

std::string DecodedContent(GMimePart* part) {
    GMimeDataWrapper* w = g_mime_part_get_content(part);
    if (!w) return {};
    Ref<GMimeStream> mem(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(w, mem.get());
    return TakeBytes(mem.get());
}

struct Walk {
    std::string_view original;
    AttachmentScan& out;

    // An attached message as it was attached: from its first header to the
    // delimiter line of the multipart around it; written out again by GMime
    // when its place cannot be told.
    std::string AttachedMessage(GMimeMessagePart* mp, const char* boundary) {
        GMimeMessage* inner = g_mime_message_part_get_message(mp);
        if (!inner) return {};
        GMimeHeaderList* headers = g_mime_object_get_header_list(GMIME_OBJECT(inner));
        if (headers && g_mime_header_list_get_count(headers) > 0) {
            const gint64 start = g_mime_header_get_offset(g_mime_header_list_get_header_at(headers, 0));
            if (start >= 0 && static_cast<std::uint64_t>(start) < original.size()) {
                std::size_t end = original.size();
                if (boundary) {
                    const std::size_t at = original.find("\n--" + std::string(boundary), static_cast<std::size_t>(start));
                    if (at != std::string_view::npos) end = at > 0 && original[at - 1] == '\r' ? at - 1 : at;
                }
                if (end > static_cast<std::size_t>(start))
                    return std::string(original.substr(static_cast<std::size_t>(start), end - static_cast<std::size_t>(start)));
            }
        }
        Ref<GMimeStream> mem(g_mime_stream_mem_new());
        g_mime_object_write_to_stream(GMIME_OBJECT(inner), nullptr, mem.get());
        return TakeBytes(mem.get());
    }

    void Leaf(GMimePart* part) {
        GMimeObject* obj = GMIME_OBJECT(part);
        std::string type = MimeType(obj);
        std::string name = PartName(obj);
        const char* disposition = g_mime_object_get_disposition(obj);
        const bool attached = disposition && g_ascii_strcasecmp(disposition, "attachment") == 0;
        const bool text = type == "text/plain" || type == "text/html" || type == "text/enriched";
        if (text && name.empty() && !attached) {
            // The message's own text; old news messages carry files in it.
            if (type != "text/plain") return;
            const char* charset = g_mime_object_get_content_type_parameter(obj, "charset");
            for (UuFile& f : FindUuencoded(DecodedContent(part)))
                out.items.push_back({ToUtf8(f.name, charset), "application/octet-stream", std::move(f.bytes)});
            return;
        }
        out.items.push_back({std::move(name), std::move(type), DecodedContent(part)});
    }

    void Run(GMimeObject* root) {
        struct Item {
            GMimeObject* obj;
            int depth;
            const char* boundary;  // of the multipart holding it
        };
        std::vector<Item> stack{{root, 0, nullptr}};
        bool tooDeep = false;
        while (!stack.empty()) {
            const Item it = stack.back();
            stack.pop_back();
            if (GMIME_IS_MULTIPART(it.obj)) {
                GMimeMultipart* mp = GMIME_MULTIPART(it.obj);
                if (it.depth >= kMaxPartDepth) {
                    tooDeep = true;
                    continue;
                }
                const char* boundary = g_mime_multipart_get_boundary(mp);
                for (int i = g_mime_multipart_get_count(mp) - 1; i >= 0; --i)
                    stack.push_back({g_mime_multipart_get_part(mp, i), it.depth + 1, boundary});
            } else if (GMIME_IS_MESSAGE_PART(it.obj)) {
                out.items.push_back({PartName(it.obj), "message/rfc822",
                                     AttachedMessage(GMIME_MESSAGE_PART(it.obj), it.boundary)});
            } else if (GMIME_IS_PART(it.obj)) {
                Leaf(GMIME_PART(it.obj));
            }
        }
        if (tooDeep)
            out.problem = "parties imbriqu\xC3\xA9" "es sur plus de " + std::to_string(kMaxPartDepth) +
                          " niveaux : les plus profondes sont ignor\xC3\xA9" "es";
    }
};

}  // namespace

AttachmentScan FindAttachments(std::string_view message) {
    AttachmentScan out;
    try {
        EnsureGMime();
        Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(message.data(), message.size()));
        Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
        g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
        Options options = MakeOptions(nullptr);
        Ref<GMimeMessage> msg(g_mime_parser_construct_message(parser.get(), options.get()));
        if (!msg) {
            out.problem = "le message ne peut pas \xC3\xAAtre lu";
            return out;
        }
        GMimeObject* root = g_mime_message_get_mime_part(msg.get());
        if (root) Walk{message, out}.Run(root);
    } catch (const std::bad_alloc&) {
        out.problem = "m\xC3\xA9moire insuffisante";
    }
    return out;
}

std::string ExtensionForType(std::string_view type) {
    static const std::pair<std::string_view, std::string_view> kKnown[] = {
        {"image/jpeg", "jpg"}, {"image/pjpeg", "jpg"}, {"image/png", "png"}, {"image/gif", "gif"},
        {"image/bmp", "bmp"}, {"image/tiff", "tif"}, {"image/x-icon", "ico"}, {"image/svg+xml", "svg"},
        {"application/pdf", "pdf"}, {"application/msword", "doc"}, {"application/rtf", "rtf"},
        {"application/vnd.ms-excel", "xls"}, {"application/vnd.ms-powerpoint", "ppt"},
        {"application/zip", "zip"}, {"application/x-zip-compressed", "zip"}, {"application/gzip", "gz"},
        {"application/postscript", "ps"}, {"application/pkcs7-signature", "p7s"},
        {"application/x-pkcs7-signature", "p7s"}, {"application/pgp-signature", "asc"},
        {"application/ms-tnef", "dat"}, {"message/rfc822", "eml"}, {"message/delivery-status", "txt"},
        {"text/plain", "txt"}, {"text/html", "htm"}, {"text/enriched", "txt"}, {"text/calendar", "ics"},
        {"text/x-vcard", "vcf"}, {"text/vcard", "vcf"}, {"text/csv", "csv"}, {"text/xml", "xml"},
        {"audio/mpeg", "mp3"}, {"audio/wav", "wav"}, {"audio/x-wav", "wav"}, {"audio/midi", "mid"},
        {"video/mpeg", "mpg"}, {"video/mp4", "mp4"}, {"video/quicktime", "mov"}, {"video/x-msvideo", "avi"},
    };
    const std::string t = Lower(type);
    for (const auto& [mime, ext] : kKnown)
        if (t == mime) return std::string(ext);
    return "bin";
}

std::string AttachmentFileName(const Attachment& a, std::size_t position) {
    std::string name = a.name.empty() ? "piece-jointe-" + std::to_string(position) + "." + ExtensionForType(a.type) : a.name;
    if (a.type == "message/rfc822" && (name.size() < 4 || Lower(name.substr(name.size() - 4)) != ".eml")) name += ".eml";
    return name;
}

}  // namespace pelicard
