#include "export/pdf_target.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/text.hpp"

namespace pelicard {
namespace {

struct Parts {
    std::string folder, name;
};

Parts Split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string Refusal(const std::string& path, const std::string& why) {
    return Utf8ToCp1252("Impression refusée dans le fichier " + path + "\r\n" + why);
}

// Whether the file descriptor's content ends with the PDF end marker.
bool EndsLikeAPdf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 6) return false;
    char tail[32] = {};
    const off_t from = st.st_size > 32 ? st.st_size - 32 : 0;
    const ssize_t n = ::pread(fd, tail, sizeof tail, from);
    return n > 0 && std::string_view(tail, static_cast<std::size_t>(n)).find("%%EOF") != std::string_view::npos;
}

}  // namespace

std::string PdfTargetRefusal(const State& s, const std::string& path, bool replaceConfirmed) {
    const Parts p = Split(path);
    if (p.name.empty() || p.name == "." || p.name == "..") return Refusal(path, "Ce n'est pas un nom de fichier");
    if (s.list.Mode == StoreMode::OutlookExpress && !s.dbx.ChosenPath.empty() && IsSameFile(path, s.dbx.ChosenPath))
        return Refusal(path, "C'est le fichier de dossier en cours de lecture");
    if (s.list.Mode == StoreMode::WindowsMail && !s.wm.WmFolderPath.empty() &&
        IsInsideFolder(path, s.wm.WmFolderPath))
        return Refusal(path, "Il se trouve dans le dossier en cours de lecture");
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) return Refusal(path, "C'est un lien symbolique");
        if (!S_ISREG(st.st_mode)) return Refusal(path, "Ce n'est pas un fichier ordinaire");
        if (st.st_size > 0 && !replaceConfirmed) return Refusal(path, "Le fichier existe déjà et n'est pas vide");
    }
    return {};
}

std::unique_ptr<PdfTarget> OpenPdfTarget(const State& s, const std::string& path, bool replaceConfirmed) {
    if (std::string why = PdfTargetRefusal(s, path, replaceConfirmed); !why.empty()) throw Fault(why);
    auto t = std::make_unique<PdfTarget>();
    const Parts p = Split(path);
    t->path = path;
    t->replaceConfirmed = replaceConfirmed;
    t->dir = UniqueFd(::open(p.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!t->dir.valid()) throw SystemFault("Impossible d'ouvrir le dossier", p.folder, errno);
    t->file = BeginPending(t->dir.get(), p.name, path);
    return t;
}

std::string PdfWritePath(const PdfTarget& t) {
    // The printer opens a path: the descriptor's own one reaches the very
    // file created here, whatever happens to names meanwhile.
    const std::string own = "/proc/self/fd/" + ToDecimal(t.file.fd.get());
    if (::access(own.c_str(), W_OK) == 0) return own;
    const Parts p = Split(t.path);
    return p.folder + "/" + t.file.tempName;
}

void CommitPdfTarget(PdfTarget& t) {
    if (!EndsLikeAPdf(t.file.fd.get())) {
        AbandonPending(t.file);
        throw Fault(Utf8ToCp1252("Impossible d'écrire le fichier " + t.path +
                                 "\r\nLe fichier PDF est incomplet (disque plein ou fichier trop volumineux ?)"));
    }
    if (!CommitPending(t.file, t.replaceConfirmed))
        throw Fault(Refusal(t.path, "Un autre fichier a pris ce nom entre-temps"));
}

}  // namespace pelicard
