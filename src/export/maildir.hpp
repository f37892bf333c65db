// The Maildir form of a mailbox: a folder holding cur/, new/ and tmp/, one
// file per message, delivered into tmp/ and moved to cur/ once complete, its
// name unique as the Maildir convention gives it, followed by the info
// ":2," and the message's flags.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace pelicard {

// Outlook Express index-record flags that a Maildir keeps.
inline constexpr std::uint32_t kOeFlagMarked = 0x20;
inline constexpr std::uint32_t kOeFlagRead = 0x80;
inline constexpr std::uint32_t kOeFlagAnswered = 0x80000;
inline constexpr std::uint32_t kOeFlagForwarded = 0x100000;

// «secs.MusecPpidQn.host»: the host's "/" and ":" written \057 and \072.
std::string MaildirUniqueName(std::int64_t seconds, long microseconds, long pid, std::uint64_t delivery,
                              std::string_view host);
// The info letters, in the order the convention sorts them: F (marked),
// P (forwarded), R (answered), S (read).
std::string MaildirFlagsFromOe(std::uint32_t flags);

// Writes one message into a Maildir whose cur/ and tmp/ are open at curFd
// and tmpFd: the text with LF line ends under tmp/, its modification time
// set to `utc`, then moved to cur/ as «unique:2,flags». Throws Fault (the
// Maildir's path `shown` in its text); nothing is left in tmp/ then.
void DeliverToMaildir(int tmpFd, int curFd, const std::string& unique, std::string_view text,
                      std::string_view flags, std::int64_t utc, std::string& buffer, const std::string& shown);

}  // namespace pelicard
