#include "ui/decoding_options.hpp"

#include "app/text_options.hpp"
#include "common/report.hpp"
#include "content/charsets.hpp"

namespace pelicard {
namespace {

bool ListHoldsEncodedWords(const State& s) {
    const std::size_t n = static_cast<std::size_t>(s.list.Count);
    if (s.list.Mode == StoreMode::WindowsMail) {
        for (std::size_t i = 1; i <= n && i < s.list.Wm.size(); ++i)
            if (HoldsEncodedWord(s.list.Wm[i].Subject) || HoldsEncodedWord(s.list.Wm[i].Sender)) return true;
        return false;
    }
    for (std::size_t i = 1; i <= n && i < s.list.Oe.size(); ++i)
        if (HoldsEncodedWord(s.list.Oe[i].Subject) || HoldsEncodedWord(s.list.Oe[i].Sender)) return true;
    return false;
}

}  // namespace

void ShowTextOptions(State& s) {
    s.window->SetChecked("mnuFullDecoding", s.content.FullDecoding);
    s.window->SetChecked("mnuUtf8Files", s.content.Utf8Files);
}

void ShowDecodingHint(State& s) {
    if (!s.content.FullDecoding && ListHoldsEncodedWords(s)) {
        s.window->SetText("lblDecoding", "Des objets ou des exp\xE9" "diteurs restent cod\xE9s : menu Options, "
                                         "\xAB D\xE9" "codage complet des messages (normes Internet) \xBB");
        s.window->SetVisible("lblDecoding", true);
    } else {
        s.window->SetVisible("lblDecoding", false);
    }
}

void mnuFullDecoding_Click(State& s) {
    RunGuarded(s, "mnuFullDecoding_Click", [&] {
        s.content.FullDecoding = !s.content.FullDecoding;
        ShowTextOptions(s);
        WriteTextOptions(s);
        // The open list was read the other way: it is read again at the
        // next opening.
        if (s.list.Count > 0) {
            s.window->SetText("lblDecoding", "Rouvrez le fichier ou le dossier pour appliquer l'option.");
            s.window->SetVisible("lblDecoding", true);
        }
    });
}

void mnuUtf8Files_Click(State& s) {
    RunGuarded(s, "mnuUtf8Files_Click", [&] {
        s.content.Utf8Files = !s.content.Utf8Files;
        ShowTextOptions(s);
        WriteTextOptions(s);
    });
}

}  // namespace pelicard
