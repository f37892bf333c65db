// Ordered whole-text replacement rows, as the character repair and the HTML
// converter apply them: every row replaces all its occurrences, left to right,
// before the next row looks at the text. A presence index lets a row that
// cannot occur be skipped without scanning; a row that finds nothing costs
// no copy.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelicard::rows {

// Case folding table of the Windows-1252 letters (as FoldCase).
const std::array<unsigned char, 256>& FoldTable();

// Position of `needle` in `hay` from `from` (0-based), npos when absent;
// letter case ignored unless `exact`.
std::size_t Find(std::string_view hay, std::string_view needle, std::size_t from, bool exact);

// Replaces every occurrence of `find` by `with`, left to right, without
// rescanning what was written. Returns whether anything changed; when
// `sites` is given it receives the start of each written replacement.
bool ReplaceAll(std::string& s, std::string_view find, std::string_view with, bool exact,
                std::vector<std::size_t>* sites = nullptr);

struct Row {
    std::string find;
    std::string with;
    bool exact = true;
    // When the pattern is a run of "=HH" escapes only: their byte values.
    std::vector<std::uint8_t> escapes;
};

// A row; patterns made only of characters without a case counterpart are
// matched exactly whatever `exact` says (the result is the same).
Row MakeRow(std::string find, std::string with, bool exact);

// What may occur in a text, recorded at the positions where a pattern may
// begin (the "leads": first characters of the patterns, and "=" for the
// escapes): the folded prefixes starting there, as long as the longest
// pattern with that lead (up to kPrefix characters), and the "=HH" escape
// and pair of consecutive escapes starting there. It only ever
// over-approximates: a row it rules out cannot match.
class Presence {
public:
    static constexpr std::size_t kPrefix = 8;
    // Forgets everything, the leads included.
    void Clear();
    // Declares the rows that will be asked about; call before Scan.
    void AddLeads(const std::vector<Row>& rows);
    // Records what starts at positions [from, to) of s.
    void Scan(std::string_view s, std::size_t from, std::size_t to);
    bool MayMatch(const Row& r) const;
    // Whether text written by `r` could take part in an occurrence of a
    // declared pattern (it holds one of their characters, or deletes).
    bool MayCreate(const Row& r) const;

private:
    std::array<bool, 256> inPattern_{};          // any character of a declared pattern
    std::array<std::uint8_t, 256> prefixLen_{};  // 0: not a lead
    std::array<std::uint64_t, 1024> prefix_{};   // hashed folded prefixes
    std::array<std::uint64_t, 4> esc_{};         // escape values
    std::array<std::uint64_t, 1024> escPair_{};  // consecutive escape pairs
};

// Applies the rows in order to `text`, keeping `p` an over-approximation of
// the text's content (it must describe `text` on entry, with the rows' leads).
void ApplyRows(std::string& text, const std::vector<Row>& rows, Presence& p);

}  // namespace pelicard::rows
